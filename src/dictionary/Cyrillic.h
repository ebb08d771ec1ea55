#pragma once

#include <QChar>

namespace zarvik {

// A letter of the Cyrillic blocks, U+0400..U+052F: Russian а-я, ё and their capitals, and the
// letters of the other languages written in Cyrillic ("ї", "ў", "ј"...). U+0482..U+0489 are a
// sign and combining marks, not letters. The importer builds the reverse index from words of
// these letters and the reader sends text that begins with one to that index, so both must
// agree on this one range; the later Cyrillic blocks (Church Slavonic, old Abkhaz) are no
// Russian text. By code range rather than by QChar::script(): the importer asks this of every
// character of every article, and the answer must not move with the Unicode tables of the Qt
// at hand.
constexpr bool isCyrillicLetter(char16_t u)
{
    return (u >= 0x0400 && u <= 0x0481) || (u >= 0x048A && u <= 0x052F);
}

constexpr bool isCyrillicLetter(QChar c)
{
    return isCyrillicLetter(c.unicode());
}

} // namespace zarvik
