#pragma once

#include "GzipData.h"
#include "SourceEntry.h"

#include <memory>

namespace zarvik {

// A dictd dictionary: "NAME.index" (headword TAB base64 offset TAB base64 length, an optional
// fourth field with the headword as written) and its data "NAME.dict" or "NAME.dict.dz".
// A malformed index line or an entry outside the data file refuses the whole input: a broken
// index means the pair of files does not belong together. The dictd meta entries
// (00-database-*) are skipped. The index is held; each article is read when asked for.
class DictdSource final : public ArticleSource {
public:
    // Throws ImportError on a malformed pair of files.
    DictdSource(const QString& indexPath, const SourceLimits& limits = {});

    qsizetype size() const override { return qsizetype(m_entries.size()); }
    const QString& word(qsizetype i) const override { return m_entries[size_t(i)].word; }
    QString article(qsizetype i) override;
    ArticleId articleId(qsizetype i) const override
    {
        return {m_entries[size_t(i)].offset, quint64(m_entries[size_t(i)].length)};
    }
    const std::map<QString, qint64>& skipped() const override { return m_skipped; }
    QStringList files() const override { return {m_indexPath, m_data->path()}; }

private:
    struct Place {
        QString word;
        quint64 offset;
        qint64 length;
    };
    QString m_indexPath;
    SourceLimits m_limits;
    std::unique_ptr<DataFile> m_data;
    std::vector<Place> m_entries;
    std::map<QString, qint64> m_skipped;
};

// The whole dictionary at once (tests, fuzzers).
SourceData readDictd(const QString& indexPath);

// Decodes the dictd base64 number notation; false when the text is not such a number.
bool decodeDictdNumber(QStringView text, quint64& value);

} // namespace zarvik
