#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

class PrefixLister;

// The decisions of the search step that the panel and the dictionary window run on every
// change of their input line.
namespace IncrementalSearch {

// The most lines a result list ever holds.
inline constexpr int kMaxLines = 10;

enum class Action {
    ClearInput, // the input is exactly "*": empty it, which runs the step again
    ShowEmpty,  // empty input: one empty line
    List,       // list the prefix search for `query`
};

struct Decision {
    Action action;
    QString query;
};

// What to do for the input text. A trailing CR-LF (a pasted line) is not searched for.
Decision decide(const QString& text);

// The characters that the input line refuses at the keyboard: | [ ] and the double quote.
bool isRefusedKey(const QString& typed);

// The lines that the list shows for a decision: "" for ShowEmpty, the lister's lines (never
// more than ten, the no-match line when it gives none) for List, nothing for ClearInput.
QStringList lines(const Decision& decision, PrefixLister& lister);

} // namespace IncrementalSearch
} // namespace zarvik
