#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace zarvik {

// One entry of the dictionary: a headword and its translation.
struct Entry {
    QString word;
    QString trans;
};

// A reader of "zarvik.bdd" (one per window: the main form, the panel and the dictionary
// window each own one). It holds one current result that the next statement replaces.
// User text always travels as a bound parameter. A missing, unreadable or foreign file
// behaves as an empty dictionary: every statement yields no rows.
class DictionaryReader final {
public:
    DictionaryReader();
    ~DictionaryReader();
    DictionaryReader(const DictionaryReader&) = delete;
    DictionaryReader& operator=(const DictionaryReader&) = delete;

    // Names the dictionary file; it is opened read-only at the first statement.
    void setDatabaseName(const QString& path);
    QString databaseName() const;

    // Every row whose headword equals the word, letter case ignored in every alphabet.
    void exactLookup(const QString& word);
    // Rows whose headword begins with the text, read as a pattern (* ? # [list]); at most
    // `limit` rows are fetched, which is all the callers ever read. Rows come in ascending
    // headword order.
    void prefixSearch(const QString& text, int limit = 10);

    // Operations on the current result.
    int recordCount() const;
    void moveFirst();
    void moveLast();
    void setAbsolutePosition(int index);
    // 0 is Word, 1 is Trans, of the current row; "" when there is no current row.
    QString field(int position) const;

    // Number of rows of the whole table, independent of the current result.
    qint64 wordCount();

    // The listing of a prefix search: at most ten display lines, or the no-match line.
    QStringList listPrefix(const QString& text);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// "cat - кошка": headword, " - ", translation (a missing translation is empty).
QString displayLine(const QString& word, const QString& trans);
// "xyz - ???": what a prefix search without result lists.
QString noMatchLine(const QString& text);

} // namespace zarvik
