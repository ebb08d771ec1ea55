#include "IndexedSource.h"

namespace zarvik {

IndexedSource::IndexedSource(const QString& path, const SourceLimits& limits)
    : m_limits(limits), m_files{path}
{
}

std::unique_ptr<DataFile> IndexedSource::openFile(const QString& path)
{
    m_files << path;
    return std::make_unique<DataFile>(path, m_limits);
}

quint64 IndexedSource::openData(const QString& path)
{
    m_data = openFile(path);
    return m_data->size();
}

void IndexedSource::addEntry(const QString& word, quint64 offset, quint64 length)
{
    if (length > quint64(m_limits.maxArticleBytes)) {
        length = quint64(m_limits.maxArticleBytes);
        skip(cutArticlesReason(m_limits));
    }
    m_entries.push_back(Place{word, offset, qint64(length)});
}

QString IndexedSource::article(qsizetype i)
{
    const Place& place = m_entries[size_t(i)];
    return articleText(m_data->read(place.offset, place.length));
}

SourceData readAll(ArticleSource& source)
{
    SourceData out;
    for (qsizetype i = 0; i < source.size(); ++i)
        out.entries.push_back(SourceEntry{source.word(i), source.article(i)});
    out.skipped = source.skipped();
    return out;
}

} // namespace zarvik
