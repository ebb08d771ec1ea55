#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zarvik {

// A sense of an article that stands for another entry: "_p. от go 1" (a form of go), "= hallo(a)"
// (the same as hallo), "3-е л. ед. ч. настоящего времени гл. to have".
struct ArticleReference {
    // Short Russian grammatical note ("прош. вр.", "мн. ч."); empty for a plain "= word".
    QString note;
    // The headwords referred to, as written, in the order given ("hallo(a)"; "will", "shall").
    QStringList targets;
    // The place in the target: homonym (roman number, I = 1), part of speech ("1."), sense
    // ("1)"); 0 where the reference does not say.
    int homonym = 0;
    int part = 0;
    int sense = 0;
    // The reference as the source writes it, without "=" ("mail-cart 1"): the line's last resort.
    QString written;
    // "см. burden" (see) rather than "= burden": followed only when the entry says nothing else,
    // because beside senses of its own it points to related words, not to a translation.
    bool pointer = false;
};

// A piece of a short line and the part of speech it comes from (its homonym and part), so
// that the line can share its room between the parts.
struct LinePiece {
    QString text;
    int group = 0;
};

// The group of a sense: its homonym and part of speech.
inline int lineGroup(int homonym, int part)
{
    return (homonym << 16) | (part & 0xFFFF);
}

// One sense of an article as the short line sees it, with its place in the article.
struct ArticleSense {
    int homonym = 0; // _I, _II ...
    int part = 0;    // 1., 2. ... (parts of speech)
    int sense = 0;   // 1), 2) ...
    // The sense's own Russian items, joined by "; " (may be empty when it is only a reference).
    QString text;
    std::optional<ArticleReference> reference;
};

// An article taken apart into the senses a short line is made of.
struct ParsedArticle {
    std::vector<ArticleSense> senses;
    // When no sense survives: the article's plain text, without labels.
    QString plain;
    // The length of the article it was made from: a common word has a long article, rich in
    // senses and idioms.
    int sourceLength = 0;
};

// Turns a dictionary article into the one line that the pop-up strip and the result list
// show after "word - ".
//
// The short line keeps the main senses and drops what does not fit a strip: the repeated
// headword, transcriptions [...], notes {...}, labels such as _n. _разг. _I, grammar notes in
// parentheses (those without Russian text), cross references (= other word) and examples
// (from the first item of a sense that starts with an English word on, or an English phrase
// glued after the Russian text). Senses are joined by "; " and whole senses are kept while the
// line stays within the length bound; a first sense that alone is too long is cut at a word
// and marked with "…". An article of several parts of speech (or homonyms) shares a longer
// bound between them, first senses of each before second senses of any (see sharedLength()). The markup follows the Mueller dictionary (_I homonyms, 1. parts of
// speech, 1) senses, а) subsenses, _Ex: examples); other articles go through the same rules.
// Without the rest of the dictionary a reference stays a note ("прош. вр. от go");
// ReferenceResolver puts the translation it refers to in its place.
//
// Every step runs in time linear in the article (hostile input included): each character is
// looked at a bounded number of times.
//
// The full line keeps the whole article; its lines are joined by single spaces, because the
// strip and the list show one line each and the line breaks of a dictd article are mere
// wrapping.
class ArticleCleaner final {
public:
    // About 700 pixels of the strip's font: wide enough for the main senses, narrow enough that
    // the strip beside the pointer stays a strip on an ordinary screen.
    static constexpr int kDefaultMaxLength = 120;

    explicit ArticleCleaner(int maxLength = kDefaultMaxLength) : m_maxLength(maxLength) {}

    int maxLength() const { return m_maxLength; }
    // The bound of a line that gives several parts of speech ("run": the noun's "бег" and the
    // verb's "бежать"): five thirds of maxLength, 200 characters by default. The strip's font
    // takes about 5.8 pixels a character (120 characters are about 700 pixels), so 200 are
    // about 1170 pixels: with the headword and the strip's margins one line on a screen 1366
    // pixels wide for most words, and never more than two once the strip wraps at the
    // monitor's width. An entry of one part of speech keeps maxLength: more of the same
    // part's rarer senses would only lengthen the strip.
    int sharedLength() const { return int(qMin<qint64>(qint64(m_maxLength) * 5 / 3, 0x7FFFFFFF)); }

    QString shortLine(const QString& headword, const QString& article) const;
    QString fullLine(const QString& headword, const QString& article) const;
    // A ready-made translation (a tab-separated file) made one line and bounded the same way.
    QString boundedLine(const QString& translation) const;

    // The senses of the article, references recognised but not followed.
    ParsedArticle parse(const QString& headword, const QString& article) const;
    // The same of joinLines() of an article of sourceLength characters (the importer joins
    // an article once for its line and its whole article).
    ParsedArticle parseJoined(QString joined, qsizetype sourceLength) const;
    // Joins senses with "; " while they fit the bound; the first is always there, cut at an
    // item or, failing that, at a word.
    QString joinSenses(const QStringList& senses) const;
    // The same for pieces of several parts of speech, which share sharedLength() fairly: the
    // first sense of every part (cut at its items where it does not fit whole) comes before
    // the second sense of any, and so on; a part whose next sense does not fit gives no more.
    // The pieces kept stay in their order. Pieces of one group are joined as above.
    QString joinSenses(const std::vector<LinePiece>& pieces) const;
    // The line of an article whose references are left as notes.
    QString lineOf(const ParsedArticle& article) const;

    // The article's text as one line, without the repeated headword.
    static QString joinLines(const QString& headword, const QString& article);

private:
    int m_maxLength;
};

// True when the text holds a Cyrillic letter.
bool hasCyrillicLetter(QStringView text);

// A reference as a line shows it when the entry it names cannot be used: "прош. вр. от go",
// or for a plain "= word" the word as written.
QString unresolvedReferenceText(const ArticleReference& reference);

} // namespace zarvik
