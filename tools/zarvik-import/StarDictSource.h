#pragma once

#include "IndexedSource.h"

#include <QByteArray>

namespace zarvik {

// A StarDict dictionary: "NAME.ifo" with "NAME.idx" (or ".idx.gz") and "NAME.dict" (or
// ".dict.dz"). Honours idxoffsetbits 32/64 and sametypesequence. The text fields m, l, g, x,
// h, k, w, y are kept (markup removed), the phonetic field t is written as [..] so that the
// short line drops it like any transcription, binary fields are left out. Anything that does
// not add up (no wordcount, a short .idx, an entry outside .dict, a count that differs)
// refuses the input.
// The .idx is held; each article is read when asked for.
class StarDictSource final : public IndexedSource {
public:
    // Throws ImportError on a malformed set of files.
    StarDictSource(const QString& ifoPath, const SourceLimits& limits = {});

private:
    QString articleText(const QByteArray& bytes) const override;

    QByteArray m_sameTypes;
};

// The whole dictionary at once (tests, fuzzers).
SourceData readStarDict(const QString& ifoPath);

// The text of one entry's data block (exposed for the tests).
QString starDictArticle(const QByteArray& block, const QByteArray& sameTypeSequence);

} // namespace zarvik
