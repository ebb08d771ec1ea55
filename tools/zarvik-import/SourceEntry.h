#pragma once

#include <QString>
#include <map>
#include <vector>

namespace zarvik {

// One entry as a source file gives it: the headword and its article (or, for a
// tab-separated file, its ready translation).
struct SourceEntry {
    QString word;
    QString article;
};

// What a source reader found.
struct SourceData {
    std::vector<SourceEntry> entries;
    // Entries left out, counted by reason ("meta entry", "line without tab"...).
    std::map<QString, qint64> skipped;
    // True when the articles are whole dictionary articles to be cleaned into one line;
    // false when they already are translations (a tab-separated file).
    bool articles = true;
};

} // namespace zarvik
