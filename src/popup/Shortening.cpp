#include "popup/Shortening.h"

#include <array>

namespace zarvik {

namespace {

struct Ending {
    const char* lower;
    const char* upper;
};

// Tried from the top; the first match wins. The number of characters removed is the length
// of the ending itself.
constexpr std::array<Ending, 5> kEndings{{
    {"s", "S"},
    {"ing", "ING"},
    {"er", "ER"},
    {"ed", "ED"},
    {"d", "D"},
}};

} // namespace

int Shortening::rule(const QString& word)
{
    if (word.isEmpty())
        return 0;
    for (size_t i = 0; i < kEndings.size(); ++i) {
        if (word.endsWith(QLatin1String(kEndings[i].lower), Qt::CaseSensitive) ||
            word.endsWith(QLatin1String(kEndings[i].upper), Qt::CaseSensitive))
            return static_cast<int>(i) + 1;
    }
    return 6;
}

QString Shortening::shorten(const QString& word)
{
    const int r = rule(word);
    if (r == 0)
        return word;
    const qsizetype cut = r == 6 ? 1 : static_cast<qsizetype>(qstrlen(kEndings[r - 1].lower));
    return word.left(word.size() - cut);
}

std::optional<QString> Shortening::next(const QString& word)
{
    QString shorter = shorten(word);
    if (shorter.size() < kShortestForm)
        return std::nullopt;
    return shorter;
}

} // namespace zarvik
