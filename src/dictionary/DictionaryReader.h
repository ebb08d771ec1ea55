#pragma once

#include "dictionary/Article.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Traces every open, failure, retry and reopen of a dictionary file (off by default;
// QT_LOGGING_RULES="zarvik.dictionary.debug=true" turns it on).
Q_DECLARE_LOGGING_CATEGORY(lcDictionary)

namespace zarvik {

// One entry of the dictionary: a headword and its translation.
struct Entry {
    QString word;
    QString trans;
    // In the reverse index: how common the Russian word is (the weight of its first
    // headword); 0 elsewhere.
    int weight = 0;
};

// A reader of "zarvik.bdd" (one per window: the main form, the panel and the dictionary
// window each own one). It holds one current result that the next statement replaces.
// User text always travels as a bound parameter. A missing, unreadable, foreign or locked
// file behaves as an empty dictionary: every statement yields no rows. Such a failure is
// reported once on standard error (path and reason) and the file is tried again at a later
// statement, at most once a second, so that a lock that goes away or a file that appears
// late heals without a restart. The file may be replaced or rewritten in place by another
// process at any time: the reader notices and reopens it, and never crashes on it.
class DictionaryReader final {
public:
    DictionaryReader();
    ~DictionaryReader();
    DictionaryReader(const DictionaryReader&) = delete;
    DictionaryReader& operator=(const DictionaryReader&) = delete;

    // Names the dictionary file; it is opened read-only at the first statement.
    void setDatabaseName(const QString& path);
    QString databaseName() const;

    // The monotonic clock, in milliseconds, that spaces the retries after a failure and the
    // looks at the path (tests drive it by hand).
    void setClock(std::function<qint64()> msNow);
    // How long a failed reader waits before it tries the file again.
    static constexpr qint64 kRetryMs = 1000;
    // A file replaced or rewritten is noticed within kIdentityCheckMs (at once by a statement
    // that fails on it, and at the first statement of a LookupBudget); one that only its path
    // tells apart (a symbolic link pointed elsewhere) within kPathCheckMs.
    static constexpr qint64 kIdentityCheckMs = 100;
    static constexpr qint64 kPathCheckMs = 1000;
    // The bound on one statement's time. A statement that runs longer (a hostile file, or a
    // pattern that starts with a wildcard on a huge dictionary) is abandoned: it yields no
    // rows and is reported once, and the window stays responsive.
    static constexpr int kStatementBoundMs = 250;
    // The bound on the interface thread's time for one whole lookup: every statement of a
    // copy's, a capture's or a keystroke's passes together (see LookupBudget).
    static constexpr int kLookupBoundMs = 250;
    // The most rows one statement gives (an exact lookup of a headword that a hostile file
    // repeats without end); real headwords have a handful.
    static constexpr int kMaxRows = 1000;

    // The English-Russian entries, or the reverse index of Russian words (each with the
    // English headwords that translate to it in Trans).
    enum class Table { EngRus, RusEng };

    // Every row whose headword equals the word, letter case ignored in every alphabet (in
    // the reverse index also stress marks, and "ё" matches "е"); at most `limit` rows, never
    // more than kMaxRows (a caller that only tells one row from two from more asks for
    // three). A translation is read up to schema::kMaxTransChars characters.
    void exactLookup(const QString& word, Table table = Table::EngRus, int limit = kMaxRows);
    // Rows whose headword begins with the text, read as a pattern (* ? # [list]); at most
    // `limit` rows are fetched, which is all the callers ever read (0: every row, for tools
    // and tests; the time bound still holds). Rows come in ascending headword order.
    void prefixSearch(const QString& text, int limit = 10, Table table = Table::EngRus);
    // Whether the file has a reverse index; without one, RusEng statements find nothing.
    bool hasReverseIndex();

    // Operations on the current result.
    int recordCount() const;
    void moveFirst();
    void moveLast();
    void setAbsolutePosition(int index);
    // 0 is Word, 1 is Trans, of the current row (2, in the reverse index, its weight); ""
    // when there is no current row or no such field.
    QString field(int position) const;

    // Number of rows of the whole table, independent of the current result.
    qint64 wordCount();

    // The listing of a prefix search: at most ten display lines, or the no-match line. A text
    // that begins with a Cyrillic letter and that no headword begins with lists the reverse
    // index where the file has one. It leaves no current result.
    QStringList listPrefix(const QString& text);

    // Neither of the next two changes the current result.
    // The whole article of the entry whose headword equals the word (letter case ignored;
    // where several entries share the key, the one written exactly so, else the first). A file
    // without articles, or an entry without one, gives an article made of its line alone; no
    // entry at all gives nothing. Read only when a window asks, never on the strip's path.
    std::optional<Article> article(const QString& headword);
    // The transcription of that entry ("rʌn"), "" where the file has none: cheap enough for
    // the strip when the user asked to see it.
    QString transcription(const QString& headword);

    // A bound on the time of a group of statements, opened by the caller around all the
    // passes of one lookup (kLookupBoundMs unless told). While it is open, a statement runs at
    // most until the group's time is up, and one that starts later yields no rows at once (the
    // caller then shows its miss); an overrun is named once on standard error, as a single
    // statement's is. An inner budget inside an open one keeps the outer end. An outer budget
    // also has the open file looked at before its first statement.
    class LookupBudget final {
    public:
        explicit LookupBudget(DictionaryReader& reader, int ms = kLookupBoundMs);
        ~LookupBudget();
        LookupBudget(const LookupBudget&) = delete;
        LookupBudget& operator=(const LookupBudget&) = delete;

    private:
        DictionaryReader& m_reader;
        bool m_outer;
    };

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// "cat - кошка": headword, " - ", translation (a missing translation is empty).
QString displayLine(const QString& word, const QString& trans);
// "xyz - ???": what a prefix search without result lists.
QString noMatchLine(const QString& text);

} // namespace zarvik
