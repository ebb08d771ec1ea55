#pragma once

#include "SourceEntry.h"

namespace zarvik {

// A tab-separated text file in UTF-8: one entry per line, the headword, a tab, the
// translation (further tabs belong to the translation). Blank lines and lines starting with
// "#" are comments. Such files are written by hand, so a line without a tab or with an empty
// headword is skipped and counted rather than refusing the file; text that is not UTF-8, or a
// file without a single entry, is refused.
SourceData readTsv(const QString& path);

} // namespace zarvik
