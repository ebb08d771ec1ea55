#pragma once

#include "IndexedSource.h"

namespace zarvik {

// A dictd dictionary: "NAME.index" (headword TAB base64 offset TAB base64 length, an optional
// fourth field with the headword as written) and its data "NAME.dict" or "NAME.dict.dz".
// A malformed index line or an entry outside the data file refuses the whole input: a broken
// index means the pair of files does not belong together. The dictd meta entries
// (00-database-*) are skipped. The index is held; each article is read when asked for.
class DictdSource final : public IndexedSource {
public:
    // Throws ImportError on a malformed pair of files.
    DictdSource(const QString& indexPath, const SourceLimits& limits = {});

private:
    QString articleText(const QByteArray& bytes) const override { return QString::fromUtf8(bytes); }
};

// The whole dictionary at once (tests, fuzzers).
SourceData readDictd(const QString& indexPath);

// Decodes the dictd base64 number notation; false when the text is not such a number.
bool decodeDictdNumber(QStringView text, quint64& value);

} // namespace zarvik
