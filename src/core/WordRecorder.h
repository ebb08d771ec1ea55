#pragma once

#include <QString>

namespace zarvik {

// How a word came to be shown: a double-click (the capture's copy), a copy the user made, or
// the panel (a line opened, an article shown).
enum class LookupSource { DoubleClick, Copy, Panel };

// Told about every word whose translation was put on the screen, so that a journal of looked-up
// words can be kept. The pop-up machinery and the panel are handed this interface; what keeps
// the journal lives above them. An implementation returns at once: the strip is never kept
// waiting for it.
class WordRecorder {
public:
    WordRecorder() = default;
    virtual ~WordRecorder() = default;
    WordRecorder(const WordRecorder&) = delete;
    WordRecorder& operator=(const WordRecorder&) = delete;

    // `headword` as the dictionary stores it, `line` its translation as shown.
    virtual void wordShown(const QString& headword, const QString& line, LookupSource source) = 0;
};

} // namespace zarvik
