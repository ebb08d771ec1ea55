#include "ArticleCleaner.h"

#include <QSet>
#include <QStringList>
#include <vector>

namespace zarvik {

namespace {

bool isCyrillic(QChar c)
{
    return c.script() == QChar::Script_Cyrillic && c.isLetter();
}

bool isLatin(QChar c)
{
    return c.script() == QChar::Script_Latin && c.isLetter();
}

bool hasCyrillic(QStringView s)
{
    for (QChar c : s)
        if (isCyrillic(c))
            return true;
    return false;
}

// Removes balanced open...close groups (nesting counted); an unbalanced opener is kept.
QString removeGroups(const QString& text, QChar open, QChar close)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == open) {
            int depth = 0;
            qsizetype j = i;
            for (; j < text.size(); ++j) {
                if (text[j] == open)
                    ++depth;
                else if (text[j] == close && --depth == 0)
                    break;
            }
            if (j < text.size()) {
                i = j + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// Parenthesised notes without Russian text are grammar (plural forms, verb forms, the
// original of an abbreviation), and so are those holding a label; notes in Russian, such as
// "(о зубах)", say which sense is meant and stay.
QString removeGrammarNotes(const QString& text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == QLatin1Char('(')) {
            int depth = 0;
            qsizetype j = i;
            for (; j < text.size(); ++j) {
                if (text[j] == QLatin1Char('('))
                    ++depth;
                else if (text[j] == QLatin1Char(')') && --depth == 0)
                    break;
            }
            if (j < text.size()) {
                const QStringView inner = QStringView(text).mid(i + 1, j - i - 1);
                if (!hasCyrillic(inner) || inner.contains(QLatin1Char('_'))) {
                    i = j + 1;
                    continue;
                }
                out += QStringView(text).mid(i, j - i + 1);
                i = j + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// Labels: "_n.", "_разг.", "_p-p.", "_I" — an underscore at the start of a word, letters or
// hyphens, an optional full stop.
QString removeLabels(const QString& text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const bool wordStart = i == 0 || text[i - 1].isSpace() || text[i - 1] == QLatin1Char('(') ||
                               text[i - 1] == QLatin1Char(')');
        if (text[i] == QLatin1Char('_') && wordStart) {
            qsizetype j = i + 1;
            while (j < text.size() && (text[j].isLetter() || text[j] == QLatin1Char('-')))
                ++j;
            if (j > i + 1) {
                if (j < text.size() && text[j] == QLatin1Char('.'))
                    ++j;
                i = j;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

enum class Marker { None, Sense, Example };

// Recognises a sense marker at position i (which follows a blank or starts the text) and
// returns its length: "12)", "2." followed by a blank, "а)" / "_a)", "_II".
qsizetype markerAt(const QString& t, qsizetype i, Marker& kind)
{
    kind = Marker::None;
    const qsizetype n = t.size();
    qsizetype j = i;
    while (j < n && t[j].isDigit() && t[j].unicode() < 128)
        ++j;
    if (j > i && j < n) {
        if (t[j] == QLatin1Char(')')) {
            kind = Marker::Sense;
            return j - i + 1;
        }
        if (t[j] == QLatin1Char('.') && (j + 1 == n || t[j + 1].isSpace())) {
            kind = Marker::Sense;
            return j - i + 1;
        }
        return 0;
    }
    if (i + 1 < n && isCyrillic(t[i]) && t[i].isLower() && t[i + 1] == QLatin1Char(')')) {
        kind = Marker::Sense;
        return 2;
    }
    if (t[i] == QLatin1Char('_')) {
        if (i + 2 < n && isLatin(t[i + 1]) && t[i + 2] == QLatin1Char(')')) {
            kind = Marker::Sense;
            return 3;
        }
        if (QStringView(t).mid(i).startsWith(QLatin1String("_Ex:"))) {
            kind = Marker::Example;
            return 4;
        }
        qsizetype k = i + 1;
        while (k < n && (t[k] == QLatin1Char('I') || t[k] == QLatin1Char('V') || t[k] == QLatin1Char('X')))
            ++k;
        if (k > i + 1 && (k == n || !t[k].isLetter())) {
            kind = Marker::Sense;
            return k - i;
        }
    }
    return 0;
}

// Splits the article into sense chunks at markers outside parentheses. Chunks that follow
// an _Ex: marker are examples and are left out.
QStringList senseChunks(const QString& text)
{
    QStringList chunks;
    QString current;
    bool inExample = false;
    int depth = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        if (depth == 0 && (i == 0 || text[i - 1].isSpace())) {
            Marker kind;
            const qsizetype len = markerAt(text, i, kind);
            if (len > 0) {
                if (!inExample)
                    chunks << current;
                current.clear();
                inExample = kind == Marker::Example;
                i += len;
                continue;
            }
        }
        current += c;
        ++i;
    }
    if (!inExample)
        chunks << current;
    return chunks;
}

// An item that starts with an English word is an example ("tom cat кот") or a phrase; one
// that starts with "=" refers to another entry. Both end the useful part of a sense.
bool endsSense(const QString& item)
{
    if (item.startsWith(QLatin1Char('=')))
        return true;
    for (const QString& word : item.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool latin = false, cyrillic = false, letter = false;
        for (QChar c : word) {
            letter = letter || c.isLetter();
            latin = latin || isLatin(c);
            cyrillic = cyrillic || isCyrillic(c);
        }
        if (letter)
            return latin && !cyrillic;
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

QStringList splitTopLevel(const QString& text, QChar separator)
{
    QStringList parts;
    QString current;
    int depth = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        if (c == separator && depth == 0) {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

QString trimItem(const QString& item)
{
    QString s = item.simplified();
    while (!s.isEmpty() && QStringLiteral(",:; ").contains(s.back()))
        s.chop(1);
    while (!s.isEmpty() && (s.front() == QLatin1Char(',') || s.front() == QLatin1Char(':')))
        s.remove(0, 1);
    return s.trimmed();
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

// Joins pieces with "; " while they fit; the first piece is always there, cut if need be.
QString joinBounded(const QStringList& pieces, int maxLength)
{
    QString line;
    for (const QString& piece : pieces) {
        if (line.isEmpty()) {
            line = piece;
            if (line.size() > maxLength) {
                // Keep whole items of the first piece where possible.
                const QStringList items = piece.split(QStringLiteral("; "));
                QString head;
                for (const QString& item : items) {
                    const qsizetype grown = head.size() + (head.isEmpty() ? 0 : 2) + item.size();
                    if (grown > maxLength)
                        break;
                    head += (head.isEmpty() ? QString() : QStringLiteral("; ")) + item;
                }
                return head.isEmpty() ? cutAtWord(piece, maxLength) : head;
            }
            continue;
        }
        if (line.size() + 2 + piece.size() > maxLength)
            break;
        line += QStringLiteral("; ") + piece;
    }
    return line;
}

} // namespace

QString ArticleCleaner::joinLines(const QString& headword, const QString& article)
{
    QStringList lines = QString(article).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.front().trimmed().isEmpty())
        lines.removeFirst();
    if (!lines.isEmpty() && lines.front().trimmed().compare(headword.trimmed(), Qt::CaseInsensitive) == 0)
        lines.removeFirst();
    QString out;
    for (const QString& raw : lines) {
        const QString line = raw.simplified();
        if (line.isEmpty())
            continue;
        // A line that ends in a hyphen right after a letter was wrapped inside a compound
        // ("северо-" / "восток"): join without a blank.
        const bool compound = out.size() >= 2 && out.back() == QLatin1Char('-') &&
                              out[out.size() - 2].isLetter() && line.front().isLetter();
        if (!out.isEmpty() && !compound)
            out += QLatin1Char(' ');
        out += line;
    }
    return out;
}

QString ArticleCleaner::fullLine(const QString& headword, const QString& article) const
{
    return joinLines(headword, article);
}

QString ArticleCleaner::boundedLine(const QString& translation) const
{
    const QString line = translation.simplified();
    if (line.size() <= m_maxLength)
        return line;
    return joinBounded(QStringList{line}, m_maxLength);
}

QString ArticleCleaner::shortLine(const QString& headword, const QString& article) const
{
    QString text = joinLines(headword, article);
    text = removeGroups(text, QLatin1Char('['), QLatin1Char(']'));
    text = removeGroups(text, QLatin1Char('{'), QLatin1Char('}'));

    QStringList senses;
    QSet<QString> seen;
    for (const QString& chunk : senseChunks(text)) {
        const QString plain = removeLabels(removeGrammarNotes(chunk));
        QStringList kept;
        for (const QString& raw : splitTopLevel(plain, QLatin1Char(';'))) {
            QString item = trimItem(raw);
            // "напр.:" (for example) introduces examples: keep what comes before it.
            const qsizetype example = item.indexOf(QStringLiteral("напр."));
            if (example >= 0)
                item = trimItem(item.left(example));
            bool cut = example >= 0;
            // "...глаголом-связкой: he is a teacher он учитель": an English example after a colon.
            for (qsizetype colon = item.indexOf(QLatin1String(": ")); colon >= 0;
                 colon = item.indexOf(QLatin1String(": "), colon + 2)) {
                if (endsSense(item.mid(colon + 2))) {
                    item = trimItem(item.left(colon));
                    cut = true;
                    break;
                }
            }
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
        if (!kept.isEmpty())
            senses << kept.join(QStringLiteral("; "));
    }
    if (!senses.isEmpty())
        return joinBounded(senses, m_maxLength);

    // Nothing in Russian survived (a pure cross reference such as "= mail-cart 1", or an
    // article in another language): the plain text, bounded.
    return cutAtWord(trimItem(removeLabels(text)), m_maxLength);
}

} // namespace zarvik
