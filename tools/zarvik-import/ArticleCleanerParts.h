#pragma once

// The steps ArticleCleaner is made of, shared between its source files. Not part of the
// importer's interface.

#include "ArticleCleaner.h"
#include "dictionary/Cyrillic.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zarvik::cleaning {

// Latin letters, the phonetic ones of transcriptions included.
inline bool isLatin(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u | 0x20) >= 'a' && (u | 0x20) <= 'z';
    return (u >= 0x00C0 && u <= 0x02AF && u != 0x00D7 && u != 0x00F7) || (u >= 0x1E00 && u <= 0x1EFF);
}

// QChar::isSpace() without its table lookup for the letters of the text: below U+1680 the
// only spaces outside ASCII are U+0085 and U+00A0. The same answer for every character.
inline bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == ' ' || (u >= 0x09 && u <= 0x0D);
    return u == 0x85 || u == 0xA0 || (u >= 0x1680 && c.isSpace());
}

// QString::simplified() with that test: runs of spaces become one space, none at either end.
QString simplified(const QString& text);

// True when the text holds a Latin letter.
bool hasLatin(QStringView s);

// Brackets, labels and notes (ArticleNotes.cpp).
QString removeGroups(const QString& text, QChar open, QChar close);
QString removeGrammarNotes(const QString& text);
QString removePronunciationNotes(QString text);
QString removeLabels(const QString& text);

// Sense markers and the chunks they part (ArticleSenses.cpp).
int romanValue(QStringView s);
int smallNumber(QStringView digits);

struct Chunk {
    int homonym = 0, part = 0, sense = 0;
    bool subsense = false; // а), б) ...
    QString text;
};

// Splits the article into sense chunks at markers outside parentheses, each with its place.
// Chunks that follow an _Ex: marker are examples and are left out.
std::vector<Chunk> senseChunks(const QString& text);

// The article cut at every marker, examples included: the marker's letter ('H' homonym, 'P'
// part of speech, 'S' sense, 's' subsense, 'E' examples; 0 for the text before the first),
// the marker as written ("II", "2.", "1)", "а)"), and the text up to the next marker.
struct MarkedChunk {
    char marker = 0;
    QString number;
    QString text;
};
std::vector<MarkedChunk> markedChunks(const QString& text);

// "ход, работа (машины) to be in the running иметь шансы": the item up to an English phrase
// glued after its Russian text (the whole item when there is none).
QString cutGluedPhrase(const QString& item);

// Items of a sense: examples, idioms, trimming and cutting (ArticleItems.cpp).

// An item that starts with an English word is an example ("tom cat кот") or a phrase; one
// that starts with "=" refers to another entry. Both end the useful part of a sense. Only the
// first word with a letter is looked at.
bool endsSense(QStringView item);
QStringList splitTopLevel(const QString& text, QChar separator);
QString trimItem(const QString& item);

// Cuts a text that is too long at the last blank before the bound and marks the cut.
QString cutAtWord(const QString& text, int maxLength);

// The Russian items of a chunk (its reference, labels and grammar notes already taken out),
// cleaned; `seen` keeps an item from being said twice in one article.
QStringList cleanItems(const QStringList& rawItems, QSet<QString>& seen);

// References to other entries (ArticleReferences.cpp).

// Recognises a reference at the start of a sense's first item (labels and grammar notes in
// parentheses may come first): "_p. и _p-p. от try 2", "_сокр. от them", "сравн. ст. от dry 1",
// "= hallo(a)", "(_pl.) = northern lights", "3-е л. ед. ч. настоящего времени гл. to have".
std::optional<ArticleReference> referenceIn(const QString& item);

// "= abranchial _a. _зоол. безжаберный": the article gives another spelling and then the
// translation both share; the translation is what the line needs.
QString withoutSynonymHead(const QString& item);

} // namespace zarvik::cleaning
