#pragma once

#include <QString>

namespace zarvik {

// The few record operations the captured-word lookup performs on its dictionary: an
// exact-match lookup, then the moves and reads of the classic record-set idiom. A narrow
// interface so that the lookup can be tested against a handful of rows in memory.
class WordLookupSource {
public:
    WordLookupSource() = default;
    virtual ~WordLookupSource() = default;
    WordLookupSource(const WordLookupSource&) = delete;
    WordLookupSource& operator=(const WordLookupSource&) = delete;

    // Replaces the current result by every row whose headword equals the word, letter case
    // ignored. The word is data, never part of a statement's text.
    virtual void exactLookup(const QString& word) = 0;
    // The same on the reverse index: rows whose Russian word equals the word (Word the Russian
    // word, Trans its English headwords); no rows where the dictionary has no such index.
    virtual void reverseLookup(const QString& word) = 0;
    // Open and close the bound on the time of one whole lookup, all its passes together:
    // while open, the passes that no longer fit find nothing, so the miss is shown.
    virtual void openLookup() {}
    virtual void closeLookup() {}
    // Rows of the current result.
    virtual int recordCount() const = 0;
    // Makes the first row current.
    virtual void moveFirst() = 0;
    // Makes the last row current.
    virtual void moveLast() = 0;
    // Field of the current row: 0 Word, 1 Trans, and in the reverse index 2 how common the
    // word is (a number, larger for commoner words); "" without a current row.
    virtual QString field(int position) const = 0;
    // The transcription of the entry with this headword ("rʌn"), "" where there is none. It
    // may replace the current result; the lookup asks only once it has read the row.
    virtual QString transcription(const QString& headword) = 0;
};

} // namespace zarvik
