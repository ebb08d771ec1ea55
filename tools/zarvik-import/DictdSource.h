#pragma once

#include "SourceEntry.h"

namespace zarvik {

// A dictd dictionary: "NAME.index" (headword TAB base64 offset TAB base64 length, an optional
// fourth field with the headword as written) and its data "NAME.dict" or "NAME.dict.dz".
// A malformed index line or an entry outside the data file refuses the whole input: a broken
// index means the pair of files does not belong together. The dictd meta entries
// (00-database-*) are skipped.
SourceData readDictd(const QString& indexPath);

// Decodes the dictd base64 number notation; false when the text is not such a number.
bool decodeDictdNumber(QStringView text, quint64& value);

} // namespace zarvik
