#include "dictionary/LikePattern.h"

#include <algorithm>

namespace zarvik {

namespace {

std::u32string toCodePoints(QStringView text)
{
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

// A lenient UTF-8 decoder: SQLite gives us what the importer stored, but a foreign file may
// hold anything, and a broken byte must only fail to match, never read out of bounds.
void decodeUtf8(const char* text, int length, std::u32string& out)
{
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (i < length) {
        const unsigned char b = s[i];
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + extra >= length) { // truncated sequence at the end
            out.push_back(0xFFFD);
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = s[i + k];
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
}

// Sorts a list's ranges and merges those that overlap or touch, so that a character is
// tested with one binary search however long the list is. Reversed ranges hold nothing.
void mergeRanges(std::vector<std::pair<char32_t, char32_t>>& ranges)
{
    std::erase_if(ranges, [](const auto& r) { return r.first > r.second; });
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<char32_t, char32_t>> merged;
    for (const auto& r : ranges) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    ranges = std::move(merged);
}

} // namespace

LikePattern::LikePattern(const QString& pattern)
{
    const std::u32string p = toCodePoints(pattern);
    const size_t n = p.size();
    // Where the list opened at each position would close: the next "]" after it, found for
    // all positions in one backward pass. Looking for it afresh at every "[" cost a pass over
    // the rest of the pattern per bracket, seconds for a pasted run of brackets.
    std::vector<size_t> nextClose(n + 1, n);
    for (size_t k = n; k-- > 0;)
        nextClose[k] = p[k] == U']' ? k : nextClose[k + 1];
    size_t i = 0;
    while (i < n) {
        const char32_t c = p[i];
        Token t;
        if (c == U'*') {
            t.kind = Kind::AnyRun;
            ++i;
        } else if (c == U'?') {
            t.kind = Kind::AnyOne;
            ++i;
        } else if (c == U'#') {
            t.kind = Kind::Digit;
            ++i;
        } else if (c == U'[') {
            const size_t close = nextClose[i + 1];
            if (close >= n) { // unclosed: the bracket is just a character
                t.ch = c;
                ++i;
            } else if (close == i + 1) { // "[]": the empty string
                i = close + 1;
                continue;
            } else {
                size_t j = i + 1;
                if (p[j] == U'!' && close > j + 1) {
                    t.negated = true;
                    ++j;
                }
                t.kind = Kind::List;
                while (j < close) {
                    if (j + 2 < close && p[j + 1] == U'-')
                        t.ranges.emplace_back(p[j], p[j + 2]), j += 3;
                    else
                        t.ranges.emplace_back(p[j], p[j]), ++j;
                }
                i = close + 1;
                mergeRanges(t.ranges);
            }
        } else {
            t.ch = c;
            ++i;
        }
        // Runs of "*" are one "*"; it keeps the backtracking below linear in practice.
        if (t.kind == Kind::AnyRun && !m_tokens.empty() && m_tokens.back().kind == Kind::AnyRun)
            continue;
        m_tokens.push_back(std::move(t));
    }

    size_t k = 0;
    std::u32string prefix;
    while (k < m_tokens.size() && m_tokens[k].kind == Kind::Literal)
        prefix.push_back(m_tokens[k++].ch);
    m_prefix = QString::fromUcs4(prefix.data(), qsizetype(prefix.size()));
    m_prefixDecides = true;
    for (; k < m_tokens.size(); ++k)
        if (m_tokens[k].kind != Kind::AnyRun)
            m_prefixDecides = false;
}

bool LikePattern::matchOne(const Token& token, char32_t c) const
{
    switch (token.kind) {
    case Kind::Literal:
        return c == token.ch;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::List: {
        // The ranges are sorted and disjoint: the last one that starts at or below c is the
        // only one that can hold it.
        const auto after = std::upper_bound(token.ranges.begin(), token.ranges.end(), c,
                                            [](char32_t v, const auto& range) { return v < range.first; });
        const bool inList = after != token.ranges.begin() && c <= std::prev(after)->second;
        return inList != token.negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

bool LikePattern::matchCodePoints(const std::u32string& text) const
{
    // Every token but "*" takes exactly one character, so the classic wildcard walk with a
    // single backtrack point (the last "*") is exact.
    size_t ti = 0, pi = 0;
    size_t starPi = SIZE_MAX, starTi = 0;
    const size_t tn = text.size(), pn = m_tokens.size();
    while (ti < tn) {
        if (pi < pn && m_tokens[pi].kind == Kind::AnyRun) {
            starPi = pi++;
            starTi = ti;
        } else if (pi < pn && matchOne(m_tokens[pi], text[ti])) {
            ++pi;
            ++ti;
        } else if (starPi != SIZE_MAX) {
            pi = starPi + 1;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < pn && m_tokens[pi].kind == Kind::AnyRun)
        ++pi;
    return pi == pn;
}

bool LikePattern::matches(QStringView text) const
{
    return matchCodePoints(toCodePoints(text));
}

bool LikePattern::matchesUtf8(const char* text, int length) const
{
    thread_local std::u32string buffer;
    decodeUtf8(text, length, buffer);
    return matchCodePoints(buffer);
}

} // namespace zarvik
