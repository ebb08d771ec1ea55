#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <utility>
#include <vector>

namespace zarvik {

// One entry as a source file gives it: the headword and its article (or, for a
// tab-separated file, its ready translation).
struct SourceEntry {
    QString word;
    QString article;
};

// What a source reader found, all at once (for the tests and the fuzzers; the importer
// itself streams).
struct SourceData {
    std::vector<SourceEntry> entries;
    // Entries left out, counted by reason ("meta entry", "line without tab"...).
    std::map<QString, qint64> skipped;
    // True when the articles are whole dictionary articles to be cleaned into one line;
    // false when they already are translations (a tab-separated file).
    bool articles = true;
};

// What the readers take on, whatever the input, so that memory stays bounded.
struct SourceLimits {
    // The most that a compressed file may inflate to (it is inflated into a temporary file,
    // not into memory). Real dictionaries are a few tens of megabytes.
    quint64 maxInflatedBytes = quint64(1) << 30;
    // The most of one article (or one line of a tab-separated file) that is read; the rest is
    // left out and the entry counted. A real article is a few kilobytes.
    qint64 maxArticleBytes = 1 << 20;
};

// The count under which an article cut to SourceLimits::maxArticleBytes is reported.
QString cutArticlesReason(const SourceLimits& limits);

// A dictionary whose articles are read on demand, one at a time: the headwords (and where
// each article lies) are held, the articles are not.
class ArticleSource {
public:
    virtual ~ArticleSource() = default;
    virtual qsizetype size() const = 0;
    virtual const QString& word(qsizetype i) const = 0;
    // The article of entry i, read now (at most SourceLimits::maxArticleBytes of it).
    virtual QString article(qsizetype i) = 0;
    // Entries that share an article share this value, so that it is parsed once.
    using ArticleId = std::pair<quint64, quint64>;
    virtual ArticleId articleId(qsizetype i) const = 0;
    // Entries left out or cut, by reason.
    virtual const std::map<QString, qint64>& skipped() const = 0;
    // The files it reads, for the check that the output is none of them.
    virtual QStringList files() const = 0;
};

// Entries held in memory (tests, benchmarks).
class MemorySource final : public ArticleSource {
public:
    explicit MemorySource(const std::vector<SourceEntry>& entries) : m_entries(entries) {}
    qsizetype size() const override { return qsizetype(m_entries.size()); }
    const QString& word(qsizetype i) const override { return m_entries[size_t(i)].word; }
    QString article(qsizetype i) override { return m_entries[size_t(i)].article; }
    ArticleId articleId(qsizetype i) const override { return {quint64(i), 0}; }
    const std::map<QString, qint64>& skipped() const override { return m_skipped; }
    QStringList files() const override { return {}; }

private:
    const std::vector<SourceEntry>& m_entries;
    std::map<QString, qint64> m_skipped;
};

} // namespace zarvik
