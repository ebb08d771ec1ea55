#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <vector>

namespace zarvik {

// A pattern in the notation of the old "Like" operator: * any run of characters, ? any one
// character, # one digit 0-9, [list] one character of the list (ranges a-z, [!list] for
// "none of"). Everything else, | and " included, stands for itself. The match covers the
// whole text and is letter-case sensitive: callers fold both sides first.
//
// No pattern is an error, because the text may come from the clipboard and a failing
// search would show nothing at all:
//  - an unclosed "[" is a literal "[", and so is a lone "]";
//  - "[]" matches the empty string, as the old engine did;
//  - "[!]" is a literal "!" (a negation needs something to negate);
//  - a reversed range such as "[z-a]" contains nothing.
//
// Whatever the input, building a pattern is linear in its length (lists cost a sort). A match
// costs at most the text's length times the shorter of the text and the longest stretch of
// the pattern between two "*" (a list test being one binary search): the walk below moves
// its restart point only forward. The texts are headwords and the patterns at most what the
// input line takes, so that bound is a small multiple of the headword's length.
class LikePattern final {
public:
    explicit LikePattern(const QString& pattern);

    bool matches(QStringView text) const;
    // The same for UTF-8 text (what SQLite hands out), without building a QString.
    bool matchesUtf8(const char* text, int length) const;

    // The literal characters before the first pattern character: every match begins with
    // them, so a search may range-scan its index on them.
    QString literalPrefix() const { return m_prefix; }
    // True when the literal prefix alone decides a match (the rest is only "*"), so that the
    // rows of the range scan need no further test.
    bool prefixDecides() const { return m_prefixDecides; }

private:
    enum class Kind { Literal, AnyOne, AnyRun, Digit, List };
    struct Token {
        Kind kind = Kind::Literal;
        char32_t ch = 0;                                  // Literal
        bool negated = false;                             // List
        std::vector<std::pair<char32_t, char32_t>> ranges; // List: inclusive ranges
    };

    bool matchOne(const Token& token, char32_t c) const;
    bool matchCodePoints(const std::u32string& text) const;

    std::vector<Token> m_tokens;
    QString m_prefix;
    bool m_prefixDecides = false;
};

} // namespace zarvik
