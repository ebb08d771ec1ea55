#include "DictionaryImporter.h"

#include "BddWriter.h"
#include "DictdSource.h"
#include "ImportError.h"
#include "StarDictSource.h"
#include "TsvSource.h"

#include <QFileInfo>

namespace zarvik {

SourceData readSource(const QString& input, QString* format)
{
    const QString name = QFileInfo(input).fileName().toLower();
    auto named = [format](const char* text) {
        if (format)
            *format = QString::fromLatin1(text);
    };
    if (!QFileInfo(input).isFile())
        throw ImportError(QStringLiteral("%1: no such file").arg(input));
    if (name.endsWith(QLatin1String(".index"))) {
        named("dictd");
        return readDictd(input);
    }
    if (name.endsWith(QLatin1String(".ifo"))) {
        named("StarDict");
        return readStarDict(input);
    }
    if (name.endsWith(QLatin1String(".tsv")) || name.endsWith(QLatin1String(".txt"))) {
        named("tab-separated text");
        return readTsv(input);
    }
    throw ImportError(QStringLiteral("%1: unknown format; expected a dictd .index, a StarDict .ifo, "
                                     "or a tab-separated .tsv/.txt file")
                          .arg(input));
}

ImportReport importDictionary(const QString& input, const QString& output, const ImportOptions& options)
{
    ImportReport report;
    const SourceData source = readSource(input, &report.format);
    report.read = qint64(source.entries.size());
    report.skipped = source.skipped;

    const ArticleCleaner cleaner(options.maxLength);
    std::vector<Entry> rows;
    rows.reserve(source.entries.size());
    if (source.articles && !options.full) {
        ReferenceOutcome outcome;
        std::vector<QString> lines = ReferenceResolver(cleaner).lines(source.entries, outcome);
        for (size_t i = 0; i < lines.size(); ++i)
            rows.push_back(Entry{source.entries[i].word, std::move(lines[i])});
        report.referencesResolved = outcome.resolved;
        report.referencesUnresolved = outcome.unresolved;
        report.untranslated = std::move(outcome.untranslated);
    } else {
        for (const SourceEntry& e : source.entries) {
            QString trans;
            if (!source.articles)
                trans = options.full ? e.article.simplified() : cleaner.boundedLine(e.article);
            else
                trans = cleaner.fullLine(e.word, e.article);
            if (!hasCyrillicLetter(trans))
                report.untranslated.push_back(UntranslatedEntry{
                    e.word, trans,
                    source.articles ? QStringLiteral("no Russian text in the article")
                                    : QStringLiteral("no Russian text in the translation")});
            rows.push_back(Entry{e.word, trans});
        }
    }

    BddWriter writer(output);
    writer.addMeta(QStringLiteral("source"), QFileInfo(input).fileName());
    writer.addMeta(QStringLiteral("mode"), options.full ? QStringLiteral("full") : QStringLiteral("short"));
    writer.setProgress(options.progress);
    writer.write(rows);
    report.written = qint64(rows.size());
    return report;
}

} // namespace zarvik
