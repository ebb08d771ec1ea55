#pragma once

#include <QString>

namespace zarvik {

// Turns a dictionary article into the one line that the pop-up strip and the result list
// show after "word - ".
//
// The short line keeps the main senses and drops what does not fit a strip: the repeated
// headword, transcriptions [...], notes {...}, labels such as _n. _разг. _I, grammar notes in
// parentheses (those without Russian text), cross references (= other word) and examples
// (from the first item of a sense that starts with an English word on). Senses are joined by
// "; " and whole senses are kept while the line stays within the length bound; a first
// sense that alone is too long is cut at a word and marked with "…". The markup follows the
// Mueller dictionary (1) senses, 1. parts of speech, а) subsenses, _Ex: examples); other
// articles go through the same rules, and an article from which nothing survives falls back
// to its plain text, bounded.
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

    QString shortLine(const QString& headword, const QString& article) const;
    QString fullLine(const QString& headword, const QString& article) const;
    // A ready-made translation (a tab-separated file) made one line and bounded the same way.
    QString boundedLine(const QString& translation) const;

    // The article's text as one line, without the repeated headword.
    static QString joinLines(const QString& headword, const QString& article);

private:
    int m_maxLength;
};

} // namespace zarvik
