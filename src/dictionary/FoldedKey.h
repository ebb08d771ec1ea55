#pragma once

#include <QByteArray>
#include <QString>

// SQLite's own types, named without its header.
struct sqlite3_context;
struct sqlite3_value;

namespace zarvik {

// The search key of a headword: the headword with letter case folded (Unicode simple case
// folding, so Latin, accented Latin and Cyrillic all compare without case). The importer
// stores it beside each headword and the reader folds what the user typed the same way, so
// this one function is the whole definition of "ignoring case".
QString foldedKey(const QString& text);

// The folded key as UTF-8, the form in which SQLite compares and sorts it (byte order of
// UTF-8 is code point order).
QByteArray foldedKeyUtf8(const QString& text);

// The search key of a Russian word: folded like foldedKey(), with stress marks dropped and
// "ё" read as "е". Russian text is written with and without both (a word copied from a
// textbook carries an accent, most texts print "е" for "ё"), and neither may keep a word
// from being found.
QString russianKey(const QString& text);
QByteArray russianKeyUtf8(const QString& text);

// zarvik_fold(text) for SQLite: foldedKeyUtf8() of a headword, for files that carry no key
// column of ours (registered on a connection with sqlite3_create_function).
void sqliteFoldFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv);

} // namespace zarvik
