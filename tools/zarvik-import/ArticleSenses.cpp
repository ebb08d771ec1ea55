#include "ArticleCleanerParts.h"

#include <algorithm>
#include <vector>

namespace zarvik::cleaning {

int romanValue(QStringView s)
{
    if (s.isEmpty() || s.size() > 6)
        return 0;
    int value = 0, previous = 0;
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        int v = 0;
        switch (s[i].unicode()) {
        case 'I': v = 1; break;
        case 'V': v = 5; break;
        case 'X': v = 10; break;
        default: return 0;
        }
        value += v < previous ? -v : v;
        previous = std::max(previous, v);
    }
    return value;
}

int smallNumber(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 4)
        return 0;
    int value = 0;
    for (QChar c : digits) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return 0;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

namespace {

enum class Marker { None, Homonym, Part, Sense, Subsense, Example };

// Recognises a sense marker at position i (which follows a blank or starts the text) and
// returns its length: "12)" sense, "2." part of speech (followed by a blank), "а)" / "_a)"
// subsense, "_II" homonym, "_Ex:" examples. The number goes to *number.
qsizetype markerAt(const QString& t, qsizetype i, Marker& kind, int& number)
{
    kind = Marker::None;
    number = 0;
    const qsizetype n = t.size();
    qsizetype j = i;
    while (j < n && t[j].isDigit() && t[j].unicode() < 128)
        ++j;
    if (j > i && j < n) {
        number = smallNumber(QStringView(t).mid(i, j - i));
        if (t[j] == QLatin1Char(')')) {
            kind = Marker::Sense;
            return j - i + 1;
        }
        if (t[j] == QLatin1Char('.') && (j + 1 == n || isSpace(t[j + 1]))) {
            kind = Marker::Part;
            return j - i + 1;
        }
        return 0;
    }
    if (i + 1 < n && isCyrillicLetter(t[i]) && t[i].isLower() && t[i + 1] == QLatin1Char(')')) {
        kind = Marker::Subsense;
        return 2;
    }
    if (t[i] == QLatin1Char('_')) {
        if (i + 2 < n && isLatin(t[i + 1]) && t[i + 2] == QLatin1Char(')')) {
            kind = Marker::Subsense;
            return 3;
        }
        if (QStringView(t).mid(i).startsWith(QLatin1String("_Ex:"))) {
            kind = Marker::Example;
            return 4;
        }
        qsizetype k = i + 1;
        while (k < n && k - i <= 6 &&
               (t[k] == QLatin1Char('I') || t[k] == QLatin1Char('V') || t[k] == QLatin1Char('X')))
            ++k;
        if (k > i + 1 && (k == n || !t[k].isLetter())) {
            kind = Marker::Homonym;
            number = romanValue(QStringView(t).mid(i + 1, k - i - 1));
            return k - i;
        }
    }
    return 0;
}

// Calls onMarker(at, length, kind, number) for each marker outside parentheses that starts the
// text or follows a blank, in order; the text between two markers is the first one's chunk.
template <class OnMarker>
void forEachMarker(const QString& text, OnMarker onMarker)
{
    int depth = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        if (depth == 0 && (i == 0 || isSpace(text[i - 1]))) {
            Marker kind;
            int number;
            const qsizetype len = markerAt(text, i, kind, number);
            if (len > 0) {
                onMarker(i, len, kind, number);
                i += len;
                continue;
            }
        }
        ++i;
    }
}

} // namespace

// Splits the article into sense chunks at markers outside parentheses, each with its place.
// Chunks that follow an _Ex: marker are examples and are left out.
std::vector<Chunk> senseChunks(const QString& text)
{
    std::vector<Chunk> chunks;
    Chunk current;
    qsizetype start = 0; // where the current chunk's text begins
    bool inExample = false;
    forEachMarker(text, [&](qsizetype at, qsizetype len, Marker kind, int number) {
        if (!inExample) {
            current.text = text.mid(start, at - start);
            chunks.push_back(current);
        }
        switch (kind) {
        case Marker::Homonym:
            current.homonym = number;
            current.part = current.sense = 0;
            break;
        case Marker::Part:
            current.part = number;
            current.sense = 0;
            break;
        case Marker::Sense:
            current.sense = number;
            break;
        default:
            break;
        }
        current.subsense = kind == Marker::Subsense;
        inExample = kind == Marker::Example;
        start = at + len;
    });
    if (!inExample) {
        current.text = text.mid(start);
        chunks.push_back(current);
    }
    return chunks;
}

std::vector<MarkedChunk> markedChunks(const QString& text)
{
    std::vector<MarkedChunk> chunks;
    MarkedChunk current;
    qsizetype start = 0;
    forEachMarker(text, [&](qsizetype at, qsizetype len, Marker kind, int) {
        current.text = text.mid(start, at - start);
        chunks.push_back(std::move(current));
        current = MarkedChunk{};
        QString written = text.mid(at, len);
        switch (kind) {
        case Marker::Homonym: current.marker = 'H'; written.remove(0, 1); break;
        case Marker::Part: current.marker = 'P'; break;
        case Marker::Sense: current.marker = 'S'; break;
        case Marker::Subsense: current.marker = 's'; if (written.startsWith(QLatin1Char('_'))) written.remove(0, 1); break;
        default: current.marker = 'E'; written.clear(); break;
        }
        current.number = written;
        start = at + len;
    });
    current.text = text.mid(start);
    chunks.push_back(std::move(current));
    return chunks;
}

} // namespace zarvik::cleaning
