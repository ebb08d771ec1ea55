#include "dictionary/DisplayText.h"

namespace zarvik {

namespace DisplayText {

bool isDirectionControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E)    // embeddings, overrides and their end
           || (c >= 0x2066 && c <= 0x2069) // isolates and their end
           || c == 0x200E || c == 0x200F   // left-to-right and right-to-left marks
           || c == 0x061C;                 // Arabic letter mark
}

QString line(const QString& text, int maxChars)
{
    const int limit = qMax(1, maxChars);
    QString out;
    out.reserve(qMin<qsizetype>(text.size(), limit + 1));
    bool lastWasCr = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        // "\r\n" is one break and one space.
        if (u == u'\n' && lastWasCr) {
            lastWasCr = false;
            continue;
        }
        lastWasCr = u == u'\r';
        if (isDirectionControl(u))
            continue;
        if (out.size() >= limit) {
            // A pair at the cut goes whole or not at all.
            if (out.back().isHighSurrogate())
                out.chop(1);
            out.append(QChar(0x2026));
            return out;
        }
        if (u == u'\r' || u == u'\n' || u == 0x0085 || u == 0x2028 || u == 0x2029)
            out.append(QLatin1Char(' '));
        else
            out.append(c);
    }
    return out;
}

} // namespace DisplayText

} // namespace zarvik
