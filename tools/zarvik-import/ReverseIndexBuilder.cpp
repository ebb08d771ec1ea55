#include "ReverseIndexBuilder.h"

#include "dictionary/FoldedKey.h"

#include <QSet>
#include <algorithm>
#include <tuple>

namespace zarvik {

namespace {

bool isCyrillicLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0400 && u <= 0x0481) || (u >= 0x048A && u <= 0x052F);
}

// Splits at top-level commas and semicolons; parentheses keep theirs.
QStringList splitItems(const QString& sense)
{
    QStringList items;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i < sense.size(); ++i) {
        const QChar c = sense[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        else if (depth == 0 && (c == QLatin1Char(',') || c == QLatin1Char(';'))) {
            items << sense.mid(start, i - start);
            start = i + 1;
        }
    }
    items << sense.mid(start);
    return items;
}

// The item without its notes in parentheses and stress marks; empty when a parenthesis is left open or
// closes what was never opened (a cut or broken item says nothing reliable).
QString withoutNotes(const QString& item)
{
    QString out;
    out.reserve(item.size());
    int depth = 0;
    for (QChar c : item) {
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0)
                return {};
            --depth;
        } else if (depth == 0 && c.unicode() != 0x0300 && c.unicode() != 0x0301) {
            out += c; // stress marks go: the entry is the word as it is usually printed
        }
    }
    return depth == 0 ? out.simplified() : QString();
}

// A Russian word or phrase: Cyrillic words joined by single blanks, each word letters with
// inner hyphens ("из-за", "северо-восток").
bool isRussianPhrase(const QString& text)
{
    if (text.isEmpty() || text.size() > ReverseIndexBuilder::kMaxPhraseLength)
        return false;
    int words = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isCyrillicLetter(c))
            continue;
        const bool inner = i > 0 && i + 1 < text.size() && isCyrillicLetter(text[i - 1]) && isCyrillicLetter(text[i + 1]);
        if (!inner)
            return false;
        if (c == QLatin1Char(' '))
            ++words;
        else if (c != QLatin1Char('-'))
            return false;
    }
    return words <= ReverseIndexBuilder::kMaxPhraseWords;
}

bool isPlainHeadword(const QString& headword)
{
    for (QChar c : headword)
        if (!c.isLetter() || c.isUpper())
            return false;
    return !headword.isEmpty();
}

} // namespace

bool ReverseIndexBuilder::Candidate::operator<(const Candidate& other) const
{
    return std::tie(sense, weight, item, plain, length, order) <
           std::tie(other.sense, other.weight, other.item, other.plain, other.length, other.order);
}

QStringList ReverseIndexBuilder::wordsOf(const QString& sense)
{
    QStringList words;
    for (const QString& item : splitItems(sense)) {
        const QString text = withoutNotes(item);
        if (isRussianPhrase(text))
            words << text;
    }
    return words;
}

void ReverseIndexBuilder::add(const QString& headword, const std::vector<ArticleSense>& senses, int weight)
{
    const QString name = headword.simplified();
    if (name.isEmpty())
        return;
    const int index = int(m_headwords.size());
    const int plain = isPlainHeadword(name) ? 0 : 1;
    bool used = false;
    QSet<QString> seen; // an entry counts once per headword, where it stands first
    int items = 0;
    int position = 0; // of the sense within its homonym and part of speech
    for (size_t s = 0; s < senses.size() && s < size_t(kMaxSensesPerEntry); ++s) {
        const ArticleSense& sense = senses[s];
        if (s > 0 && (sense.homonym != senses[s - 1].homonym || sense.part != senses[s - 1].part))
            position = 0;
        else if (s > 0)
            ++position;
        if (position >= kMaxSensesPerPart)
            continue;
        const QStringList words = wordsOf(sense.text);
        for (int i = 0; i < int(words.size()) && items < kMaxItemsPerEntry; ++i, ++items) {
            const QString key = russianKey(words[i]);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            const Candidate candidate{position, -weight, i, plain, int(name.size()), m_added, index};
            Slot& slot = m_entries[key];
            std::vector<Candidate>& best = slot.best;
            // A handful at most: kept sorted by insertion.
            const auto at = std::upper_bound(best.begin(), best.end(), candidate);
            if (at - best.begin() >= kMaxHeadwords)
                continue;
            if (at == best.begin())
                slot.word = words[i];
            best.insert(at, candidate);
            if (int(best.size()) > kMaxHeadwords)
                best.pop_back();
            used = true;
        }
    }
    ++m_added;
    if (used)
        m_headwords.push_back(name);
}

std::vector<ReverseRow> ReverseIndexBuilder::rows() const
{
    std::vector<ReverseRow> out;
    out.reserve(size_t(m_entries.size()));
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        QStringList names;
        for (const Candidate& c : it->best) {
            const QString& name = m_headwords[size_t(c.headword)];
            // Homonyms kept as separate entries name the same headword twice.
            if (!names.contains(name))
                names << name;
        }
        out.push_back(ReverseRow{it->word, names.join(QStringLiteral("; ")), it.key().toUtf8(), -it->best.front().weight});
    }
    std::sort(out.begin(), out.end(), [](const ReverseRow& a, const ReverseRow& b) { return a.key < b.key; });
    return out;
}

} // namespace zarvik
