#include "ArticleCleanerParts.h"

namespace zarvik::cleaning {

namespace {

// The first word of the text that holds a letter, from position `from`; its start and end in
// *start and *end. False when there is none.
bool firstLetteredWord(QStringView text, qsizetype from, qsizetype* start, qsizetype* end)
{
    qsizetype i = from;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isSpace(text[i]))
            ++i;
        const qsizetype s = i;
        bool letter = false;
        while (i < n && !isSpace(text[i])) {
            letter = letter || text[i].isLetter();
            ++i;
        }
        if (letter) {
            *start = s;
            *end = i;
            return true;
        }
    }
    return false;
}

// "(полная форма)": an item that is nothing but notes in parentheses says nothing by itself.
bool isOnlyNotes(const QString& item)
{
    for (QChar c : removeGroups(item, QLatin1Char('('), QLatin1Char(')')))
        if (c.isLetterOrNumber())
            return false;
    return true;
}

// A line starts with a word: a letter, a digit, a note in parentheses or a quotation.
bool opensItem(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('(') || c == QLatin1Char('"') || c == QChar(0x00AB);
}

// Trims an item whose blanks are already single: leading punctuation, trailing separators.
QString trimSimplified(const QString& s)
{
    qsizetype begin = 0, end = s.size();
    // "-ся, -сь": a suffix keeps its hyphen.
    while (begin < end && !opensItem(s[begin]) &&
           !(s[begin] == QLatin1Char('-') && begin + 1 < end && s[begin + 1].isLetter()))
        ++begin;
    while (end > begin && QStringLiteral(",:; =").contains(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

// "ход, работа (машины) to be in the running иметь шансы": an English phrase with its Russian
// rendering glued to the end of a sense is an idiom, not a translation. The item is cut before
// a run of at least two English words (outside parentheses, not a comma-separated list) that
// follows Russian text and is itself followed by Russian text.
QString cutGluedPhrase(const QString& item)
{
    bool russianSeen = false;
    int depth = 0;
    qsizetype runStart = -1;
    int runWords = 0;
    bool runIsList = false;
    qsizetype i = 0;
    const qsizetype n = item.size();
    while (i < n) {
        while (i < n && isSpace(item[i]))
            ++i;
        const qsizetype s = i;
        bool latin = false, cyrillic = false;
        const int depthBefore = depth;
        while (i < n && !isSpace(item[i])) {
            const QChar c = item[i];
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
            latin = latin || isLatin(c);
            cyrillic = cyrillic || isCyrillicLetter(c);
            ++i;
        }
        if (s == i || depthBefore > 0 || item[s] == QLatin1Char('('))
            continue;
        if (cyrillic) {
            if (runStart >= 0 && runWords >= 2 && !runIsList)
                return item.left(runStart);
            runStart = -1;
            runWords = 0;
            runIsList = false;
            russianSeen = true;
        } else if (latin && russianSeen) {
            if (runStart < 0)
                runStart = s;
            // "см. even I и II": a homonym number is no English word
            QStringView word = QStringView(item).mid(s, i - s);
            while (!word.isEmpty() && !word.back().isLetter())
                word.chop(1);
            if (romanValue(word) == 0)
                ++runWords;
            runIsList = runIsList || item[i - 1] == QLatin1Char(',');
        }
    }
    return item;
}

QString simplified(const QString& text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    qsizetype n = 0;
    bool space = false;
    for (const QChar c : text) {
        if (isSpace(c)) {
            space = n > 0;
            continue;
        }
        if (space)
            to[n++] = QLatin1Char(' ');
        space = false;
        to[n++] = c;
    }
    out.truncate(n);
    return out;
}

// An item that starts with an English word is an example ("tom cat кот") or a phrase; one
// that starts with "=" refers to another entry. Both end the useful part of a sense. Only the
// first word with a letter is looked at.
bool endsSense(QStringView item)
{
    if (item.startsWith(QLatin1Char('=')))
        return true;
    qsizetype s, e;
    if (!firstLetteredWord(item, 0, &s, &e))
        return false;
    const QStringView word = item.mid(s, e - s);
    return hasLatin(word) && !hasCyrillicLetter(word);
}

QStringList splitTopLevel(const QString& text, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        else if (c == separator && depth == 0) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

QString trimItem(const QString& item)
{
    return trimSimplified(simplified(item));
}

// Cuts a text that is too long at the last blank before the bound and marks the cut.
QString cutAtWord(const QString& text, int maxLength)
{
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = text.lastIndexOf(QLatin1Char(' '), maxLength - 1);
    if (cut <= 0)
        cut = maxLength - 1;
    QString out = text.left(cut);
    while (!out.isEmpty() && (out.back() == QLatin1Char(',') || out.back() == QLatin1Char(';') ||
                              out.back() == QLatin1Char(' ')))
        out.chop(1);
    return out + QChar(0x2026);
}

// The Russian items of a chunk (its reference, labels and grammar notes already taken out),
// cleaned; `seen` keeps an item from being said twice in one article.
QStringList cleanItems(const QStringList& rawItems, QSet<QString>& seen)
{
    QStringList kept;
    for (const QString& raw : rawItems) {
        const QString plain = simplified(raw);
        if (plain.startsWith(QLatin1Char('=')))
            break; // "= stopper 1": a reference among the senses; the resolver follows only leading ones
        QString item = trimSimplified(plain);
        // "напр.:" (for example) introduces examples: keep what comes before it.
        const qsizetype example = item.indexOf(QStringLiteral("напр."));
        if (example >= 0)
            item = trimSimplified(item.left(example));
        bool cut = example >= 0;
        // "...глаголом-связкой: he is a teacher он учитель": an English example after a colon.
        // Colons before the same first word share its verdict, so the scan moves past it.
        qsizetype colon = item.indexOf(QLatin1String(": "));
        while (colon >= 0) {
            qsizetype s, e;
            if (!firstLetteredWord(item, colon + 2, &s, &e))
                break;
            if (endsSense(QStringView(item).mid(s, e - s))) {
                item = trimSimplified(item.left(colon));
                cut = true;
                // "в выражениях типа: to go abegging ...": without its examples the item is a
                // dangling fragment.
                if (item.endsWith(QStringLiteral(" типа")) || item.endsWith(QStringLiteral(" вроде")))
                    item.clear();
                break;
            }
            colon = item.indexOf(QLatin1String(": "), e);
        }
        const QString glued = cutGluedPhrase(item);
        if (glued.size() != item.size()) {
            item = trimSimplified(glued);
            cut = true;
        }
        // "см. even I и II, 2" among the senses: a pointer, no translation.
        if (item.startsWith(QStringLiteral("см. ")) && !hasCyrillicLetter(QStringView(item).mid(4)))
            continue;
        if (item.isEmpty() || isOnlyNotes(item)) {
            if (cut)
                break;
            continue;
        }
        if (endsSense(item))
            break;
        if (seen.contains(item))
            continue;
        seen.insert(item);
        kept << item;
        if (cut)
            break;
    }
    return kept;
}

} // namespace zarvik::cleaning
