#pragma once

#include <QString>

namespace zarvik {

// The shortening passes of the captured-word lookup: a word that is not in the dictionary
// loses an English ending, or else its last character, and is tried again.
class Shortening final {
public:
    // Which rule of the table applies to the word: 1 "s", 2 "ing", 3 "er", 4 "ed", 5 "d",
    // 6 any last character, 0 for the empty word. Endings are all lower or all upper case;
    // a mixed-case ending such as "Ing" falls through to rule 6.
    static int rule(const QString& word);
    // The word after one pass: the ending of its first matching rule removed.
    static QString shorten(const QString& word);
};

} // namespace zarvik
