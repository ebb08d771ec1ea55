#pragma once

#include "GzipData.h"
#include "SourceEntry.h"

#include <memory>

namespace zarvik {

// A dictionary kept as dictd and StarDict keep one: an index, read once and held (each
// headword and where its article lies), and a data file from which each article is read when
// asked for. Every file such a source reads is opened or named through this base, so that
// files(), the list the importer checks the output against, cannot leave one of them out.
class IndexedSource : public ArticleSource {
public:
    qsizetype size() const final { return qsizetype(m_entries.size()); }
    const QString& word(qsizetype i) const final { return m_entries[size_t(i)].word; }
    QString article(qsizetype i) final;
    ArticleId articleId(qsizetype i) const final
    {
        return {m_entries[size_t(i)].offset, quint64(m_entries[size_t(i)].length)};
    }
    const std::map<QString, qint64>& skipped() const final { return m_skipped; }
    QStringList files() const final { return m_files; }

protected:
    // `path` is the file named on the command line (the index, the .ifo).
    IndexedSource(const QString& path, const SourceLimits& limits);

    // Opens a further file (inflating it when compressed) and counts it among the inputs.
    std::unique_ptr<DataFile> openFile(const QString& path);
    // Opens the file the articles are read from; returns its size.
    quint64 openData(const QString& path);
    // An index entry, its article `length` bytes at `offset` of the data file (the caller
    // has checked that they lie inside it); an article over the bound is cut and counted.
    void addEntry(const QString& word, quint64 offset, quint64 length);
    void skip(const QString& reason) { ++m_skipped[reason]; }
    const SourceLimits& limits() const { return m_limits; }
    const QString& dataPath() const { return m_data->path(); }

    // The text of one article from its bytes in the data file.
    virtual QString articleText(const QByteArray& bytes) const = 0;

private:
    struct Place {
        QString word;
        quint64 offset;
        qint64 length;
    };
    SourceLimits m_limits;
    QStringList m_files;
    std::unique_ptr<DataFile> m_data;
    std::vector<Place> m_entries;
    std::map<QString, qint64> m_skipped;
};

// Every entry of a source with its article, at once (tests, fuzzers).
SourceData readAll(ArticleSource& source);

} // namespace zarvik
