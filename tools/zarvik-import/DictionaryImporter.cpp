#include "DictionaryImporter.h"

#include "ArticleStructure.h"
#include "BddWriter.h"
#include "DictdSource.h"
#include "ImportError.h"
#include "ReverseIndexBuilder.h"
#include "StarDictSource.h"
#include "TsvAhead.h"
#include "TsvSource.h"
#include "dictionary/ArticleCodec.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sys/stat.h>

namespace zarvik {

namespace {

enum class Format { Dictd, StarDict, Tsv };

Format formatOf(const QString& input, QString* name)
{
    const QString file = QFileInfo(input).fileName().toLower();
    if (!QFileInfo(input).isFile())
        throw ImportError(QStringLiteral("%1: no such file").arg(input));
    if (file.endsWith(QLatin1String(".index"))) {
        *name = QStringLiteral("dictd");
        return Format::Dictd;
    }
    if (file.endsWith(QLatin1String(".ifo"))) {
        *name = QStringLiteral("StarDict");
        return Format::StarDict;
    }
    if (file.endsWith(QLatin1String(".tsv")) || file.endsWith(QLatin1String(".txt"))) {
        *name = QStringLiteral("tab-separated text");
        return Format::Tsv;
    }
    throw ImportError(QStringLiteral("%1: unknown format; expected a dictd .index, a StarDict .ifo, "
                                     "or a tab-separated .tsv/.txt file")
                          .arg(input));
}

// The new file is renamed over the output at the end: were the output one of the files being
// read (under another name, through a link), the dictionary's source would be lost.
void refuseOutputAmongInputs(const QStringList& inputs, const QString& output)
{
    struct stat out{};
    if (::stat(QFile::encodeName(output).constData(), &out) != 0)
        return; // no such file yet: it cannot be an input
    for (const QString& input : inputs) {
        struct stat in{};
        if (::stat(QFile::encodeName(input).constData(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
            throw ImportError(QStringLiteral("%1 is the input file %2; writing it would destroy the input, so "
                                             "choose another output")
                                  .arg(output, input));
    }
}

// The shared dictionary of the source's articles (see sharedDictionary), from a sample spread
// evenly over it.
QByteArray dictionaryOf(ArticleSource& source)
{
    constexpr qsizetype kSample = 300;
    std::vector<QByteArray> sample;
    qsizetype previous = -1;
    for (qsizetype k = 0; k < kSample; ++k) {
        const qsizetype i = qsizetype(qint64(k) * source.size() / kSample);
        if (i >= source.size() || i == previous)
            continue;
        previous = i;
        sample.push_back(articles::encode(articleStructure(source.word(i), source.article(i))));
    }
    return sharedDictionary(sample);
}

std::unique_ptr<ArticleSource> openArticles(Format format, const QString& input, const SourceLimits& limits)
{
    if (format == Format::Dictd)
        return std::make_unique<DictdSource>(input, limits);
    return std::make_unique<StarDictSource>(input, limits);
}

} // namespace

ImportReport importDictionary(const QString& input, const QString& output, const ImportOptions& options)
{
    ImportReport report;
    const Format format = formatOf(input, &report.format);
    const ArticleCleaner cleaner(options.maxLength);

    BddWriter writer(output);
    writer.addMeta(QStringLiteral("source"), QFileInfo(input).fileName());
    writer.addMeta(QStringLiteral("mode"), options.full ? QStringLiteral("full") : QStringLiteral("short"));
    writer.setProgress(options.progress);
    for (TableBuilder* table : options.tables)
        writer.addTable(table);
    // Made after the writer, so that it is gone (its sort's temporary file with it) before
    // the writer closes the file, whatever happens.
    ReverseIndexBuilder reverse;
    writer.addTable(&reverse);

    if (format == Format::Tsv) {
        TsvReader reader(input, options.limits);
        refuseOutputAmongInputs({input}, output);
        writer.begin();
        {
            TsvAhead ahead(reader, [&cleaner, full = options.full](const QString& article) {
                return full ? article.simplified() : cleaner.boundedLine(article);
            });
            std::vector<TsvAhead::Row> batch;
            while (ahead.next(batch)) {
                for (const TsvAhead::Row& row : batch) {
                    ++report.read;
                    if (!hasCyrillicLetter(row.trans))
                        report.addUntranslated(
                            UntranslatedEntry{row.word, row.trans, QStringLiteral("no Russian text in the translation")});
                    writer.add(row.word, row.trans);
                }
            }
        }
        report.skipped = reader.skipped();
    } else {
        const std::unique_ptr<ArticleSource> source = openArticles(format, input, options.limits);
        refuseOutputAmongInputs(source->files() << input, output);
        writer.begin();
        report.read = source->size();
        // Every entry keeps its whole article beside its line.
        const QByteArray dictionary = dictionaryOf(*source);
        writer.setArticleDictionary(dictionary);
        auto keep = [](const QString& word, const QString& joined) {
            return keepArticle(structureOfJoined(word, joined));
        };
        if (!options.full) {
            ReferenceResolver resolver(cleaner, *source);
            resolver.setKeeper(keep);
            ReferenceOutcome outcome;
            // Batches small enough that their parsed articles stay in the resolver's cache; the
            // next is parsed while the lines of one are made.
            constexpr qsizetype kBatch = 512;
            resolver.prepareAhead(0, qMin(source->size(), kBatch));
            for (qsizetype from = 0; from < source->size(); from += kBatch) {
                const qsizetype to = qMin(source->size(), from + kBatch);
                resolver.takePrepared();
                if (to < source->size())
                    resolver.prepareAhead(to, qMin(source->size(), to + kBatch));
                for (qsizetype i = from; i < to; ++i) {
                    const QString line = resolver.line(i, outcome);
                    const std::shared_ptr<const ParsedArticle> article = resolver.article(i);
                    reverse.addSenses(source->word(i), article->senses, article->sourceLength);
                    const KeptArticle kept = resolver.kept(i);
                    writer.add(source->word(i), line, kept.text, kept.transcription);
                    // Moved into the report as they come, so the outcome never grows.
                    for (UntranslatedEntry& u : outcome.untranslated)
                        report.addUntranslated(std::move(u));
                    outcome.untranslated.clear();
                }
            }
            report.referencesResolved = outcome.resolved;
            report.referencesUnresolved = outcome.unresolved;
        } else {
            // Entries in a row that share one article (a hostile index may point thousands of
            // lines at one) share its line rather than read and join it again.
            ArticleSource::ArticleId lastId{~quint64(0), 0};
            QString trans;
            ParsedArticle parsed;
            KeptArticle kept;
            for (qsizetype i = 0; i < source->size(); ++i) {
                if (source->articleId(i) != lastId || i == 0) {
                    lastId = source->articleId(i);
                    const QString article = source->article(i);
                    trans = cleaner.fullLine(source->word(i), article);
                    parsed = cleaner.parseJoined(trans, article.size());
                    kept = keep(source->word(i), trans); // the full line is the article's lines joined
                }
                reverse.addSenses(source->word(i), parsed.senses, parsed.sourceLength);
                if (!hasCyrillicLetter(trans))
                    report.addUntranslated(
                        UntranslatedEntry{source->word(i), trans, QStringLiteral("no Russian text in the article")});
                writer.add(source->word(i), trans, kept.text, kept.transcription);
            }
        }
        report.skipped = source->skipped();
    }
    writer.finish();
    report.written = writer.count();
    report.reverseEntries = reverse.size();
    return report;
}

} // namespace zarvik
