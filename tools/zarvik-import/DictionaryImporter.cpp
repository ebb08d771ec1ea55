#include "DictionaryImporter.h"

#include "BddWriter.h"
#include "DictdSource.h"
#include "ImportError.h"
#include "ReverseIndexBuilder.h"
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

namespace {

// A ready-made translation (a tab-separated file) seen as senses: its "; "-separated parts.
std::vector<ArticleSense> translationSenses(const QString& translation)
{
    std::vector<ArticleSense> senses;
    int n = 0;
    for (const QString& part : translation.split(QStringLiteral("; "), Qt::SkipEmptyParts))
        senses.push_back(ArticleSense{0, 0, ++n, part, std::nullopt});
    return senses;
}

} // namespace

ImportReport importDictionary(const QString& input, const QString& output, const ImportOptions& options)
{
    ImportReport report;
    const SourceData source = readSource(input, &report.format);
    report.read = qint64(source.entries.size());
    report.skipped = source.skipped;

    const ArticleCleaner cleaner(options.maxLength);
    ReverseIndexBuilder reverse;
    std::vector<Entry> rows;
    rows.reserve(source.entries.size());
    if (source.articles && !options.full) {
        ReferenceOutcome outcome;
        ReferenceResolver resolver(cleaner);
        std::vector<QString> lines = resolver.lines(source.entries, outcome);
        for (size_t i = 0; i < lines.size(); ++i) {
            reverse.add(source.entries[i].word, resolver.articles()[i].senses, int(source.entries[i].article.size()));
            rows.push_back(Entry{source.entries[i].word, std::move(lines[i])});
        }
        report.referencesResolved = outcome.resolved;
        report.referencesUnresolved = outcome.unresolved;
        report.untranslated = std::move(outcome.untranslated);
    } else {
        for (const SourceEntry& e : source.entries) {
            QString trans;
            if (!source.articles) {
                trans = options.full ? e.article.simplified() : cleaner.boundedLine(e.article);
                reverse.add(e.word, translationSenses(e.article.simplified()));
            } else {
                trans = cleaner.fullLine(e.word, e.article);
                reverse.add(e.word, cleaner.parse(e.word, e.article).senses, int(e.article.size()));
            }
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
    report.reverseEntries = reverse.size();
    writer.setReverseRows(reverse.rows());
    writer.write(rows);
    report.written = qint64(rows.size());
    return report;
}

} // namespace zarvik
