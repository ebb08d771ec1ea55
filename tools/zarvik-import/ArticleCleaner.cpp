#include "ArticleCleaner.h"

#include <QSet>
#include <algorithm>
#include <limits>
#include <vector>

namespace zarvik {

namespace {

// Letters of the Cyrillic blocks (U+0482..U+0489 are signs and combining marks). By code
// range rather than by QChar::script(): these run on every character of every article.
bool isCyrillic(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0400 && u <= 0x0481) || (u >= 0x048A && u <= 0x052F);
}

// Latin letters, the phonetic ones of transcriptions included.
bool isLatin(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u | 0x20) >= 'a' && (u | 0x20) <= 'z';
    return (u >= 0x00C0 && u <= 0x02AF && u != 0x00D7 && u != 0x00F7) || (u >= 0x1E00 && u <= 0x1EFF);
}

bool hasLatin(QStringView s)
{
    for (QChar c : s)
        if (isLatin(c))
            return true;
    return false;
}

// For every opener the index of its closer (nesting counted), -1 for an opener left open.
// One pass with a stack, so that a text of unbalanced openers costs no more than any other.
std::vector<qsizetype> matchGroups(QStringView text, QChar open, QChar close)
{
    std::vector<qsizetype> match(size_t(text.size()), -1);
    std::vector<qsizetype> stack;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == open) {
            stack.push_back(i);
        } else if (text[i] == close && !stack.empty()) {
            match[size_t(stack.back())] = i;
            stack.pop_back();
        }
    }
    return match;
}

// Removes balanced open...close groups (nesting counted); an unbalanced opener is kept.
QString removeGroups(const QString& text, QChar open, QChar close)
{
    if (!text.contains(open))
        return text;
    const std::vector<qsizetype> match = matchGroups(text, open, close);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Pairs nest properly, so the first matched opener met is the outermost one.
        if (text[i] == open && match[size_t(i)] >= 0)
            i = match[size_t(i)];
        else
            out += text[i];
    }
    return out;
}

// Parenthesised notes without Russian text are grammar (plural forms, verb forms, the
// original of an abbreviation), and so are those holding a label; notes in Russian, such as
// "(о зубах)", say which sense is meant and stay.
QString removeGrammarNotes(const QString& text)
{
    if (!text.contains(QLatin1Char('(')))
        return text;
    const std::vector<qsizetype> match = matchGroups(text, QLatin1Char('('), QLatin1Char(')'));
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype j = text[i] == QLatin1Char('(') ? match[size_t(i)] : -1;
        if (j < 0) {
            out += text[i];
            continue;
        }
        const QStringView inner = QStringView(text).mid(i + 1, j - i - 1);
        const QStringView note = inner.trimmed();
        // "(употр. как sing)": how the word is used, not what it means; "(от approbation)"
        // (its label gone): where it comes from.
        const bool usage = note.startsWith(QStringLiteral("употр.")) ||
                           (note.startsWith(QStringLiteral("от ")) && !hasCyrillicLetter(note.mid(3)));
        if (hasCyrillicLetter(inner) && !inner.contains(QLatin1Char('_')) && !usage)
            out += QStringView(text).mid(i, j - i + 1);
        i = j;
    }
    return out;
}

// "(полная форма)", "(редуцированные формы)": which transcription is the full and which the
// reduced one. With the transcriptions gone they say nothing, and they would open the line.
QString removePronunciationNotes(QString text)
{
    static const char* const notes[] = {"(полная форма)", "(полные формы)", "(редуцированная форма)",
                                        "(редуцированные формы)"};
    if (!text.contains(QStringLiteral("форм")))
        return text;
    for (const char* note : notes) {
        const QString n = QString::fromUtf8(note);
        // "[ɜ], [ɜr] перед гласными (редуцированные формы)": the condition of the transcription.
        text.replace(QStringLiteral("перед гласными ") + n, QString());
        text.replace(n, QString());
    }
    return text;
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
        if (t[j] == QLatin1Char('.') && (j + 1 == n || t[j + 1].isSpace())) {
            kind = Marker::Part;
            return j - i + 1;
        }
        return 0;
    }
    if (i + 1 < n && isCyrillic(t[i]) && t[i].isLower() && t[i + 1] == QLatin1Char(')')) {
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

struct Chunk {
    int homonym = 0, part = 0, sense = 0;
    bool subsense = false; // а), б) ...
    QString text;
};

// Splits the article into sense chunks at markers outside parentheses, each with its place.
// Chunks that follow an _Ex: marker are examples and are left out.
std::vector<Chunk> senseChunks(const QString& text)
{
    std::vector<Chunk> chunks;
    Chunk current;
    qsizetype start = 0; // where the current chunk's text begins
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
            int number;
            const qsizetype len = markerAt(text, i, kind, number);
            if (len > 0) {
                if (!inExample) {
                    current.text = text.mid(start, i - start);
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
                i += len;
                start = i;
                continue;
            }
        }
        ++i;
    }
    if (!inExample) {
        current.text = text.mid(start);
        chunks.push_back(current);
    }
    return chunks;
}

// The first word of the text that holds a letter, from position `from`; its start and end in
// *start and *end. False when there is none.
bool firstLetteredWord(QStringView text, qsizetype from, qsizetype* start, qsizetype* end)
{
    qsizetype i = from;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text[i].isSpace())
            ++i;
        const qsizetype s = i;
        bool letter = false;
        while (i < n && !text[i].isSpace()) {
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

QString trimItem(const QString& item)
{
    return trimSimplified(item.simplified());
}

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
        while (i < n && item[i].isSpace())
            ++i;
        const qsizetype s = i;
        bool latin = false, cyrillic = false;
        const int depthBefore = depth;
        while (i < n && !item[i].isSpace()) {
            const QChar c = item[i];
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
            latin = latin || isLatin(c);
            cyrillic = cyrillic || isCyrillic(c);
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

// The Russian note for a grammatical label of the source; empty for labels that say nothing
// about which form the word is (_разг., _n., _ам.).
QString noteForLabel(QStringView label)
{
    while (label.endsWith(QLatin1Char('.')))
        label.chop(1);
    static const struct {
        QStringView label;
        const char* note;
    } notes[] = {
        {u"p", "прош. вр."},           {u"p-p", "прич. прош. вр."}, {u"р-р", "прич. прош. вр."},
        {u"pres-p", "прич. наст. вр."}, {u"pl", "мн. ч."},           {u"comp", "сравн. ст."},
        {u"sup", "превосх. ст."},       {u"obj", "косв. п."},        {u"pres", "наст. вр."},
        {u"сокр", "сокр."},             {u"уменьш", "уменьш."},
    };
    for (const auto& n : notes)
        if (label == n.label)
            return QString::fromUtf8(n.note);
    return QString();
}

// The words after "от" or "=": headwords (alternatives separated by "," or "и") and the place
// in the first of them (roman homonym, arabic part and sense). False when something else
// follows, such as Russian text: then it is no reference.
bool parseTargets(const QList<QStringView>& tokens, qsizetype from, ArticleReference& ref)
{
    QStringList words;
    bool numbersSeen = false;
    auto endAlternative = [&] {
        if (!words.isEmpty())
            ref.targets << words.join(QLatin1Char(' '));
        words.clear();
    };
    QStringList written;
    for (qsizetype i = from; i < tokens.size(); ++i) {
        QStringView t = tokens[i];
        written << t.toString();
        bool comma = false;
        while (!t.isEmpty() && QStringLiteral(",.;:").contains(t.back())) {
            comma = comma || t.back() == QLatin1Char(',');
            t.chop(1);
        }
        if (t.isEmpty())
            continue;
        if (t.startsWith(QLatin1Char('_'))) {
            written.removeLast(); // a stray label ("= tomorrow _adv.")
            continue;
        }
        if (const int roman = romanValue(t); roman > 0 && !words.isEmpty()) {
            if (ref.targets.isEmpty() && !numbersSeen)
                ref.homonym = roman;
            numbersSeen = true;
        } else if (const int number = smallNumber(t); number > 0) {
            if (words.isEmpty() && ref.targets.isEmpty())
                return false; // "= 2": a sense of this same article
            if (ref.targets.isEmpty()) {
                if (ref.part == 0)
                    ref.part = number;
                else if (ref.sense == 0)
                    ref.sense = number;
            }
            numbersSeen = true;
        } else if (t == QStringLiteral("и")) {
            endAlternative();
            numbersSeen = false;
            continue;
        } else if (hasLatin(t) && !hasCyrillicLetter(t)) {
            if (numbersSeen) {
                endAlternative();
                numbersSeen = false;
            }
            words << t.toString();
        } else {
            return false;
        }
        if (comma && i + 1 < tokens.size() && hasLatin(tokens[i + 1]) && romanValue(tokens[i + 1]) == 0) {
            endAlternative();
            numbersSeen = false;
        }
    }
    endAlternative();
    ref.written = written.join(QLatin1Char(' '));
    return !ref.targets.isEmpty();
}

// Recognises a reference at the start of a sense's first item (labels and grammar notes in
// parentheses may come first): "_p. и _p-p. от try 2", "_сокр. от them", "сравн. ст. от dry 1",
// "= hallo(a)", "(_pl.) = northern lights", "3-е л. ед. ч. настоящего времени гл. to have".
std::optional<ArticleReference> referenceIn(const QString& item)
{
    // Most senses are plain translations: a cheap look for the words a reference needs first.
    if (!item.contains(QLatin1Char('=')) && !item.contains(QStringLiteral("от")) && !item.contains(QStringLiteral("см.")) &&
        !item.contains(QLatin1String("ot")) && !item.contains(QStringLiteral("гл. to")) &&
        !item.contains(QStringLiteral("_сокр")))
        return std::nullopt;
    const QList<QStringView> tokens = QStringView(item).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList notes;
    QStringList russian;
    bool allAbbreviations = true;
    qsizetype i = 0;
    // "noways = nowise", "favorable, favored = favour, favourable": further spellings of the
    // headword come before the "=".
    qsizetype spellings = 0;
    bool spelled = false;
    for (; spellings < tokens.size() && tokens[spellings] != QLatin1String("="); ++spellings) {
        const QStringView t = tokens[spellings];
        const bool word = hasLatin(t) && !t.startsWith(QLatin1Char('_')) && !hasCyrillicLetter(t);
        const bool punctuation = std::none_of(t.begin(), t.end(), [](QChar c) { return c.isLetterOrNumber(); });
        if (!word && !punctuation && !t.startsWith(QLatin1Char('_')))
            break;
        spelled = spelled || word;
    }
    if (spelled && spellings < tokens.size() && tokens[spellings] == QLatin1String("="))
        i = spellings;
    while (i < tokens.size()) {
        const QStringView t = tokens[i];
        const bool punctuation = std::none_of(t.begin(), t.end(), [](QChar c) { return c.isLetterOrNumber(); });
        if (punctuation && t != QLatin1String("=")) {
            ++i; // what the transcriptions left: "[hɜd], [ɜd]" became ", ,"
        } else if (t.startsWith(QLatin1Char('_')) && t.size() > 1) {
            const QString note = noteForLabel(t.mid(1));
            if (!note.isEmpty())
                notes << note;
            ++i;
        } else if (t.startsWith(QLatin1Char('('))) {
            // A grammar note in parentheses ("(_pl. -ta)"): skipped whole.
            int depth = 0;
            for (; i < tokens.size(); ++i) {
                depth += int(tokens[i].count(QLatin1Char('('))) - int(tokens[i].count(QLatin1Char(')')));
                if (depth <= 0)
                    break;
            }
            ++i;
        } else if (t == QStringLiteral("и")) {
            ++i;
        } else if (t == QLatin1String("=") || (t == QStringLiteral("см.") && russian.isEmpty())) {
            // "= burden", or "см. burden I и II" (see): the entry is translated there.
            if (!russian.isEmpty())
                return std::nullopt; // the Russian text is the translation
            ArticleReference ref;
            if (!parseTargets(tokens, i + 1, ref))
                return std::nullopt;
            ref.pointer = t != QLatin1String("=");
            return ref;
        } else if (t == QStringLiteral("от") || (t == QLatin1String("ot") && !notes.isEmpty())) {
            if (!allAbbreviations)
                return std::nullopt; // "отличаться от ...": Russian text, not a note
            ArticleReference ref;
            if (!parseTargets(tokens, i + 1, ref))
                return std::nullopt;
            ref.note = notes.isEmpty() ? russian.join(QLatin1Char(' ')) : notes.join(QStringLiteral(" и "));
            return ref;
        } else if (t == QStringLiteral("гл.") && i + 2 < tokens.size() && tokens[i + 1] == QLatin1String("to") &&
                   !russian.isEmpty()) {
            ArticleReference ref;
            if (!parseTargets(tokens, i + 2, ref))
                return std::nullopt;
            ref.note = russian.join(QLatin1Char(' '));
            return ref;
        } else if (hasCyrillicLetter(t) || (!hasLatin(t) && t.front().isDigit())) {
            russian << t.toString();
            allAbbreviations = allAbbreviations && t.endsWith(QLatin1Char('.'));
            ++i;
        } else if (russian.isEmpty() && notes.contains(QStringLiteral("сокр."))) {
            // "_сокр. _разг. between": the abbreviated word follows without "от".
            ArticleReference ref;
            if (!parseTargets(tokens, i, ref))
                return std::nullopt;
            ref.note = notes.join(QStringLiteral(" и "));
            return ref;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// "= abranchial _a. _зоол. безжаберный": the article gives another spelling and then the
// translation both share; the translation is what the line needs.
QString withoutSynonymHead(const QString& item)
{
    const QString s = item.trimmed();
    if (!s.startsWith(QLatin1Char('=')))
        return item;
    qsizetype i = 1;
    while (i < s.size()) {
        while (i < s.size() && s[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < s.size() && !s[i].isSpace())
            ++i;
        const QStringView word = QStringView(s).mid(start, i - start);
        // "= frame of reference см. frame 1" is a pointer ("see"), not a translation.
        if (!word.startsWith(QLatin1Char('_')) && hasCyrillicLetter(word))
            return word == QStringLiteral("см.") ? item : s.mid(start);
    }
    return item;
}

// The Russian items of a chunk (its reference, labels and grammar notes already taken out),
// cleaned; `seen` keeps an item from being said twice in one article.
QStringList cleanItems(const QStringList& rawItems, QSet<QString>& seen)
{
    QStringList kept;
    for (const QString& raw : rawItems) {
        const QString plain = raw.simplified();
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

} // namespace

bool hasCyrillicLetter(QStringView s)
{
    for (QChar c : s)
        if (isCyrillic(c))
            return true;
    return false;
}

QString unresolvedReferenceText(const ArticleReference& reference)
{
    if (reference.note.isEmpty())
        return reference.written;
    return reference.note + QStringLiteral(" от ") + reference.written;
}

QString ArticleCleaner::joinLines(const QString& headword, const QString& article)
{
    QStringList lines = QString(article).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    qsizetype first = 0;
    while (first < lines.size() && lines[first].trimmed().isEmpty())
        ++first;
    if (first < lines.size() && lines[first].trimmed().compare(headword.trimmed(), Qt::CaseInsensitive) == 0)
        ++first;
    QString out;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QString line = lines[i].simplified();
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

QString ArticleCleaner::joinSenses(const QStringList& senses) const
{
    QString line;
    for (const QString& piece : senses) {
        if (line.isEmpty()) {
            line = piece;
            if (line.size() > m_maxLength) {
                // Keep whole items of the first piece where possible.
                const QStringList items = piece.split(QStringLiteral("; "));
                QString head;
                for (const QString& item : items) {
                    const qsizetype grown = head.size() + (head.isEmpty() ? 0 : 2) + item.size();
                    if (grown > m_maxLength)
                        break;
                    head += (head.isEmpty() ? QString() : QStringLiteral("; ")) + item;
                }
                return head.isEmpty() ? cutAtWord(piece, m_maxLength) : head;
            }
            continue;
        }
        if (line.size() + 2 + piece.size() > m_maxLength)
            break;
        line += QStringLiteral("; ") + piece;
    }
    return line;
}

QString ArticleCleaner::boundedLine(const QString& translation) const
{
    const QString line = translation.simplified();
    if (line.size() <= m_maxLength)
        return line;
    return joinSenses(QStringList{line});
}

ParsedArticle ArticleCleaner::parse(const QString& headword, const QString& article) const
{
    QString text = joinLines(headword, article);
    text = removeGroups(text, QLatin1Char('['), QLatin1Char(']'));
    text = removeGroups(text, QLatin1Char('{'), QLatin1Char('}'));
    text = removePronunciationNotes(text);

    ParsedArticle parsed;
    parsed.sourceLength = int(qMin(article.size(), qsizetype(std::numeric_limits<int>::max())));
    QSet<QString> seen;
    bool idiomOpen = false;
    for (const Chunk& chunk : senseChunks(text)) {
        if (chunk.subsense && idiomOpen)
            continue;
        // The first item that holds anything may be a reference; the rest of the chunk is
        // its own translation (what follows the reference, or the whole chunk).
        std::optional<ArticleReference> reference;
        QString rest = chunk.text;
        qsizetype start = 0;
        int depth = 0;
        for (qsizetype i = 0; i <= chunk.text.size(); ++i) {
            const QChar c = i < chunk.text.size() ? chunk.text[i] : QLatin1Char(';');
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
            if (c != QLatin1Char(';') || (depth > 0 && i < chunk.text.size()))
                continue;
            const QString first = chunk.text.mid(start, i - start).simplified();
            if (std::none_of(first.begin(), first.end(), [](QChar c) { return c.isLetterOrNumber(); })) {
                start = i + 1;
                continue;
            }
            reference = referenceIn(first);
            if (reference)
                rest = chunk.text.mid(i + 1);
            else if (first.startsWith(QLatin1Char('=')))
                rest = chunk.text.left(start) + withoutSynonymHead(first) + chunk.text.mid(i);
            break;
        }
        // Labels and grammar notes go chunk by chunk (never across a top-level ";").
        rest = removeLabels(removeGrammarNotes(rest));
        const QStringList items = splitTopLevel(rest, QLatin1Char(';'));
        const QStringList kept = cleanItems(items, seen);
        // "2) шаг, походка; to put one's best foot forward а) прибавить шагу; б) ...": after a
        // translated sense that ends in an English phrase, the subsenses translate the phrase,
        // an idiom. (A sense that is nothing but the phrase keeps them: they are its senses.)
        if (!chunk.subsense) {
            idiomOpen = false;
            for (qsizetype i = items.size() - 1; i >= 0 && !kept.isEmpty(); --i) {
                const QString last = trimItem(items[i]);
                if (last.isEmpty())
                    continue;
                idiomOpen = endsSense(last);
                break;
            }
        }
        if (!reference && kept.isEmpty())
            continue;
        parsed.senses.push_back(ArticleSense{chunk.homonym, chunk.part, chunk.sense,
                                             kept.join(QStringLiteral("; ")), reference});
    }
    if (parsed.senses.empty())
        parsed.plain = trimItem(removeLabels(removeGrammarNotes(text)));
    return parsed;
}

QString ArticleCleaner::lineOf(const ParsedArticle& article) const
{
    QStringList pieces;
    bool onlyReferences = true;
    for (const ArticleSense& s : article.senses)
        onlyReferences = onlyReferences && s.text.isEmpty();
    for (const ArticleSense& s : article.senses) {
        // A plain "= word" beside Russian senses adds nothing the reader can use here.
        if (s.reference && (onlyReferences || (!s.reference->note.isEmpty() && !s.reference->pointer)))
            pieces << unresolvedReferenceText(*s.reference);
        if (!s.text.isEmpty())
            pieces << s.text;
    }
    if (pieces.isEmpty())
        return cutAtWord(article.plain, m_maxLength);
    return joinSenses(pieces);
}

QString ArticleCleaner::shortLine(const QString& headword, const QString& article) const
{
    return lineOf(parse(headword, article));
}

} // namespace zarvik
