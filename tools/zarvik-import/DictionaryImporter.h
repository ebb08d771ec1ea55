#pragma once

#include "ArticleCleaner.h"
#include "ReferenceResolver.h"
#include "SourceEntry.h"

#include <QString>
#include <functional>
#include <map>

namespace zarvik {

class TableBuilder;

struct ImportOptions {
    // Keep whole articles instead of the short one-line translations.
    bool full = false;
    int maxLength = ArticleCleaner::kDefaultMaxLength;
    // Called while rows are written (done of total).
    std::function<void(qint64, qint64)> progress;
    // What the readers take on (inflation, one article).
    SourceLimits limits;
    // Further tables of the file, fed from the same rows (see BddWriter).
    std::vector<TableBuilder*> tables;
};

struct ImportReport {
    QString format;   // "dictd", "StarDict", "tab-separated text"
    qint64 read = 0;  // entries taken from the input
    std::map<QString, qint64> skipped;
    qint64 written = 0;
    // Russian words and phrases in the reverse index.
    qint64 reverseEntries = 0;
    // References followed into the lines (short lines of dictionary articles only).
    qint64 referencesResolved = 0;
    qint64 referencesUnresolved = 0;
    // Rows whose translation holds no Cyrillic letter: how many, and the first kListed of
    // them with their reason (a whole dictionary in another language must not fill memory).
    static constexpr size_t kListed = 100000;
    qint64 untranslatedCount = 0;
    std::vector<UntranslatedEntry> untranslated;
    void addUntranslated(UntranslatedEntry entry)
    {
        ++untranslatedCount;
        if (untranslated.size() < kListed)
            untranslated.push_back(std::move(entry));
    }
};

// Builds OUTPUT from INPUT (".index" dictd, ".ifo" StarDict, ".tsv" or ".txt" tab-separated),
// one entry at a time: memory holds the headwords of an article source (for its references)
// and a bounded cache, never the whole dictionary. Throws ImportError, leaving OUTPUT
// untouched, when the input is malformed, when OUTPUT is one of the input's files, or when
// the output cannot be written.
ImportReport importDictionary(const QString& input, const QString& output, const ImportOptions& options);

} // namespace zarvik
