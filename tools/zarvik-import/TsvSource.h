#pragma once

#include "SourceEntry.h"

#include <QFile>

namespace zarvik {

// A tab-separated text file in UTF-8: one entry per line, the headword, a tab, the
// translation (further tabs belong to the translation). Blank lines and lines starting with
// "#" are comments. Such files are written by hand, so a line without a tab or with an empty
// headword is skipped and counted rather than refusing the file; text that is not UTF-8, or a
// file without a single entry, is refused. Read one line at a time: a line longer than
// SourceLimits::maxArticleBytes is cut there and counted.
class TsvReader final {
public:
    // Throws ImportError when the file cannot be read.
    TsvReader(const QString& path, const SourceLimits& limits = {});
    // The next entry; false at the end of the file. Throws ImportError on text that is not
    // UTF-8, and at the end of a file without entries.
    bool next(SourceEntry& entry);
    const std::map<QString, qint64>& skipped() const { return m_skipped; }

private:
    QString m_path;
    SourceLimits m_limits;
    QFile m_file;
    qint64 m_lineNo = 0;
    qint64 m_entries = 0;
    std::map<QString, qint64> m_skipped;
};

// The whole file at once (tests, fuzzers).
SourceData readTsv(const QString& path);

} // namespace zarvik
