#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

// The Russian counterpart of the shortening passes: a copied Russian word that is not in the
// reverse index as it stands ("кошки", "читает", "красивую") is tried in the dictionary form
// its ending points to ("кошка", "читать", "красивый"). Each row of a small table names an
// inflectional ending and the endings of the forms it may come from; the rows whose ending
// the word carries give, longest ending first, the forms to try, in the order they are tried.
class RussianEndings final {
public:
    // No form is tried beyond this many: each costs one lookup.
    static constexpr int kMaxForms = 32;
    // What must be left of a word once its ending is off: "ее" is no stem.
    static constexpr int kMinStem = 2;

    // The forms to look up for the text, in order: the word itself first (letters only, in
    // lower case, "ё" as "е"), then the forms its endings lead to. Empty when the text holds
    // no word.
    static QStringList forms(const QString& text);
};

} // namespace zarvik
