#pragma once

#include <QString>

#include <optional>

namespace zarvik {

// The shortening passes of the captured-word lookup: a word that is not in the dictionary
// loses an English ending, or else its last character, and is tried again.
class Shortening final {
public:
    // The passes never make a shorter form than this. Nearly every single letter is a
    // headword of its own ("h - 8-я буква…"), so any text cut down to one would be "found"
    // as its first letter; a miss says more. A copied text this short or shorter is still
    // looked up as it stands.
    static constexpr qsizetype kShortestForm = 2;

    // Which rule of the table applies to the word: 1 "s", 2 "ing", 3 "er", 4 "ed", 5 "d",
    // 6 any last character, 0 for the empty word. Endings are all lower or all upper case;
    // a mixed-case ending such as "Ing" falls through to rule 6.
    static int rule(const QString& word);
    // The word after one pass: the ending of its first matching rule removed.
    static QString shorten(const QString& word);
    // The form the passes try after `word`, or none where they stop: the first matching rule
    // would leave fewer than kShortestForm characters. The rule that matched decides even
    // then ("bed" stops rather than trying "be"), so every pass still cuts as the table says.
    static std::optional<QString> next(const QString& word);
};

} // namespace zarvik
