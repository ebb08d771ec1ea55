#include "panel/IncrementalSearch.h"

#include "dictionary/DictionaryReader.h"
#include "panel/PrefixLister.h"

namespace zarvik {

QStringList ReaderPrefixLister::listPrefix(const QString& text)
{
    // One bound for the keystroke's searches together (the English table, then the Russian).
    const DictionaryReader::LookupBudget budget(m_reader);
    return m_reader.listPrefix(text);
}

namespace IncrementalSearch {

Decision decide(const QString& text)
{
    if (text == QLatin1String("*"))
        return {Action::ClearInput, {}};
    if (text.isEmpty())
        return {Action::ShowEmpty, {}};
    QString query = text;
    // Only a line break at the very end is dropped; one inside the text is searched as is.
    if (query.size() >= 2 && query.at(query.size() - 2) == QLatin1Char('\r'))
        query.chop(2);
    return {Action::List, query};
}

bool isRefusedKey(const QString& typed)
{
    static const QString refused = QStringLiteral("|[]\"");
    return typed.size() == 1 && refused.contains(typed.at(0));
}

QStringList lines(const Decision& decision, PrefixLister& lister)
{
    switch (decision.action) {
    case Action::ClearInput:
        return {};
    case Action::ShowEmpty:
        return {QString()};
    case Action::List:
        break;
    }
    QStringList found = lister.listPrefix(decision.query);
    // The list never shows an empty result: a reader that gives nothing (a missing or broken
    // dictionary) shows the no-match line like a search without result.
    if (found.isEmpty())
        return {noMatchLine(decision.query)};
    if (found.size() > kMaxLines)
        found.erase(found.begin() + kMaxLines, found.end());
    return found;
}

} // namespace IncrementalSearch
} // namespace zarvik
