#pragma once

#include "ArticleCleaner.h"
#include "ReferenceResolver.h"
#include "SourceEntry.h"

#include <QString>
#include <functional>
#include <map>

namespace zarvik {

struct ImportOptions {
    // Keep whole articles instead of the short one-line translations.
    bool full = false;
    int maxLength = ArticleCleaner::kDefaultMaxLength;
    // Called while rows are written (done of total).
    std::function<void(qint64, qint64)> progress;
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
    // Rows whose translation holds no Cyrillic letter, each with its reason.
    std::vector<UntranslatedEntry> untranslated;
};

// Reads a dictionary source by the name of INPUT (".index" dictd, ".ifo" StarDict, ".tsv" or
// ".txt" tab-separated) into the rows of a dictionary file.
SourceData readSource(const QString& input, QString* format = nullptr);

// Builds OUTPUT from INPUT. Throws ImportError, leaving OUTPUT untouched, when the input is
// malformed or the output cannot be written.
ImportReport importDictionary(const QString& input, const QString& output, const ImportOptions& options);

} // namespace zarvik
