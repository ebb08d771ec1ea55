#include "popup/RussianEndings.h"

#include "dictionary/Cyrillic.h"
#include "dictionary/FoldedKey.h"

#include <array>
#include <vector>

namespace zarvik {

namespace {

struct Row {
    const char* ending;
    // The endings of the forms the word may come from, tried from the left; "" leaves the
    // bare stem ("столе" from "стол").
    std::vector<const char*> lemmas;
};

// Noun cases, adjective forms, present and past verb forms, each mapped to the dictionary
// forms it most often comes from. Longer endings are tried first, so the table lists them
// first; a word may match several rows ("красной": "ой" and then "й" is no row), and every
// form of every matching row is offered until kMaxForms.
const std::vector<Row>& table()
{
    static const std::vector<Row> rows{
        // reflexive verbs
        {"ается", {"аться"}},
        {"яется", {"яться"}},
        {"ится", {"иться", "еться"}},
        {"ется", {"ться"}},
        {"лся", {"ться"}},
        {"лась", {"ться"}},
        // adjectives and participles
        {"ого", {"ый", "ой", "ий"}},
        {"его", {"ий", "ый"}},
        {"ому", {"ый", "ой", "ий"}},
        {"ему", {"ий", "ый"}},
        {"ыми", {"ый", "ой"}},
        {"ими", {"ий", "ой"}},
        // plural nouns
        {"ами", {"а", "", "о"}},
        {"ями", {"я", "ь", "е", "й"}},
        // present tense
        {"ешь", {"ть", "ти"}},
        {"ишь", {"ить", "еть", "ать", "ять"}},
        {"ете", {"ть", "ти"}},
        {"ите", {"ить", "еть", "ать"}},
        {"ют", {"ть"}},
        {"ут", {"ти", "ть"}},
        {"ат", {"ать", "ить"}},
        {"ят", {"ить", "ять", "еть"}},
        {"ет", {"ть", "ти"}},
        {"ит", {"ить", "еть", "ать", "ять"}},
        // past tense
        {"ла", {"ть"}},
        {"ло", {"ть"}},
        {"ли", {"ть"}},
        // noun and adjective cases
        {"ая", {"ый", "ий", "ой"}},
        {"яя", {"ий"}},
        {"ое", {"ый", "ой", "ий"}},
        {"ее", {"ий"}},
        {"ые", {"ый", "ой"}},
        {"ие", {"ий", "ой"}},
        {"ую", {"ый", "ой", "ий"}},
        {"юю", {"ий"}},
        {"ых", {"ый", "ой"}},
        {"ым", {"ый", "ой"}},
        {"их", {"ий", "ой"}},
        {"им", {"ий", "ой", "ить"}},
        {"ой", {"а", "ый", "ий", "о"}},
        {"ей", {"ь", "я", "ий", "е", "й"}},
        {"ом", {"", "о"}},
        {"ем", {"ь", "й", "е", "ть"}},
        {"ах", {"а", "", "о"}},
        {"ях", {"я", "ь", "е"}},
        {"ам", {"а", "", "о"}},
        {"ям", {"я", "ь", "е"}},
        {"ов", {"", "о"}},
        {"ев", {"й", "ь"}},
        {"ью", {"ь"}},
        {"л", {"ть"}},
        {"а", {"", "о", "е", "ь"}},
        {"я", {"ь", "й", "е"}},
        {"у", {"", "а", "о", "ти"}},
        {"ю", {"ь", "я", "й", "е", "ть", "ить"}},
        {"ы", {"а", ""}},
        {"и", {"а", "я", "ь", ""}},
        {"е", {"", "а", "я", "о", "ь", "й"}},
    };
    return rows;
}

} // namespace

QStringList RussianEndings::forms(const QString& text)
{
    // Quotes, punctuation and blanks around a copied word are no part of it.
    qsizetype begin = 0, end = text.size();
    while (begin < end && !text[begin].isLetter())
        ++begin;
    while (end > begin && !text[end - 1].isLetter())
        --end;
    const QString word = russianKey(text.mid(begin, end - begin));
    if (word.isEmpty())
        return {};
    QStringList out{word};
    if (!isCyrillicLetter(word.back()))
        return out;
    for (const Row& row : table()) {
        const QString ending = QString::fromUtf8(row.ending);
        if (word.size() - ending.size() < kMinStem || !word.endsWith(ending))
            continue;
        const QString stem = word.chopped(ending.size());
        for (const char* lemma : row.lemmas) {
            const QString form = stem + QString::fromUtf8(lemma);
            if (!out.contains(form))
                out << form;
            if (out.size() >= kMaxForms)
                return out;
        }
    }
    return out;
}

} // namespace zarvik
