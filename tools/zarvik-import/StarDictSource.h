#pragma once

#include "GzipData.h"
#include "SourceEntry.h"

#include <QByteArray>
#include <memory>

namespace zarvik {

// A StarDict dictionary: "NAME.ifo" with "NAME.idx" (or ".idx.gz") and "NAME.dict" (or
// ".dict.dz"). Honours idxoffsetbits 32/64 and sametypesequence. The text fields m, l, g, x,
// h, k, w, y are kept (markup removed), the phonetic field t is written as [..] so that the
// short line drops it like any transcription, binary fields are left out. Anything that does
// not add up (no wordcount, a short .idx, an entry outside .dict, a count that differs)
// refuses the input.
// The .idx is held; each article is read when asked for.
class StarDictSource final : public ArticleSource {
public:
    // Throws ImportError on a malformed set of files.
    StarDictSource(const QString& ifoPath, const SourceLimits& limits = {});

    qsizetype size() const override { return qsizetype(m_entries.size()); }
    const QString& word(qsizetype i) const override { return m_entries[size_t(i)].word; }
    QString article(qsizetype i) override;
    ArticleId articleId(qsizetype i) const override
    {
        return {m_entries[size_t(i)].offset, quint64(m_entries[size_t(i)].length)};
    }
    const std::map<QString, qint64>& skipped() const override { return m_skipped; }
    QStringList files() const override { return {m_ifoPath, m_idxPath, m_dict->path()}; }

private:
    struct Place {
        QString word;
        quint64 offset;
        qint64 length;
    };
    QString m_ifoPath, m_idxPath;
    SourceLimits m_limits;
    QByteArray m_sameTypes;
    std::unique_ptr<DataFile> m_dict;
    std::vector<Place> m_entries;
    std::map<QString, qint64> m_skipped;
};

// The whole dictionary at once (tests, fuzzers).
SourceData readStarDict(const QString& ifoPath);

// The text of one entry's data block (exposed for the tests).
QString starDictArticle(const QByteArray& block, const QByteArray& sameTypeSequence);

} // namespace zarvik
