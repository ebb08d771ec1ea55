#include "ArticleCleanerParts.h"

#include <algorithm>

namespace zarvik {

namespace cleaning {

namespace {

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

} // namespace

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
        while (i < s.size() && isSpace(s[i]))
            ++i;
        const qsizetype start = i;
        while (i < s.size() && !isSpace(s[i]))
            ++i;
        const QStringView word = QStringView(s).mid(start, i - start);
        // "= frame of reference см. frame 1" is a pointer ("see"), not a translation.
        if (!word.startsWith(QLatin1Char('_')) && hasCyrillicLetter(word))
            return word == QStringLiteral("см.") ? item : s.mid(start);
    }
    return item;
}

} // namespace cleaning

QString unresolvedReferenceText(const ArticleReference& reference)
{
    if (reference.note.isEmpty())
        return reference.written;
    return reference.note + QStringLiteral(" от ") + reference.written;
}

} // namespace zarvik
