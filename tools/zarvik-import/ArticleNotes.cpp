#include "ArticleCleanerParts.h"

#include <vector>

namespace zarvik {

namespace cleaning {

bool hasLatin(QStringView s)
{
    for (QChar c : s)
        if (isLatin(c))
            return true;
    return false;
}

namespace {

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

} // namespace

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
        const bool wordStart = i == 0 || isSpace(text[i - 1]) || text[i - 1] == QLatin1Char('(') ||
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

} // namespace cleaning

bool hasCyrillicLetter(QStringView s)
{
    for (QChar c : s)
        if (isCyrillicLetter(c))
            return true;
    return false;
}

} // namespace zarvik
