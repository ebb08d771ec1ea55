#include "dictionary/DictionaryReader.h"

#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"
#include "dictionary/LikePattern.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace zarvik {

namespace {

// The upper end of a range scan over keys that begin with a prefix: the prefix followed by
// the last code point, U+10FFFF (a noncharacter that no headword holds). Valid UTF-8, so it
// compares the same whatever text encoding a file uses.
const QByteArray kRangeEnd = QByteArrayLiteral("\xF4\x8F\xBF\xBF");

QString columnText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text)
        return {}; // NULL reads as empty text
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

// zarvik_fold(text): foldedKey() for files that carry no key column of ours.
void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray folded = foldedKeyUtf8(QString::fromUtf8(text, sqlite3_value_bytes(argv[0])));
    sqlite3_result_text(ctx, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

struct DictionaryReader::Impl {
    enum class State { Closed, Open, Failed };

    QString path;
    State state = State::Closed;
    sqlite3* db = nullptr;
    sqlite3_stmt* exact = nullptr;
    sqlite3_stmt* range = nullptr;
    qint64 wordCount = -1;

    std::vector<Entry> rows;
    int position = -1;

    ~Impl() { close(); }

    void close()
    {
        sqlite3_finalize(exact);
        sqlite3_finalize(range);
        sqlite3_close(db); // all statements are finalized, so this always closes
        exact = range = nullptr;
        db = nullptr;
        wordCount = -1;
        state = State::Closed;
    }

    bool prepare(const char* sql, sqlite3_stmt** stmt)
    {
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, stmt, nullptr) == SQLITE_OK;
    }

    // Which columns EngRus has (lower case); empty when there is no such table or the file
    // is not a database at all.
    QStringList engRusColumns()
    {
        Statement info;
        QStringList names;
        if (!prepare("PRAGMA table_info(EngRus)", &info.stmt))
            return names;
        while (sqlite3_step(info.stmt) == SQLITE_ROW)
            names << columnText(info.stmt, 1).toLower();
        return names;
    }

    bool isOurFormat()
    {
        Statement meta;
        if (!prepare("SELECT Value FROM ZarvikMeta WHERE Name = 'format'", &meta.stmt))
            return false;
        return sqlite3_step(meta.stmt) == SQLITE_ROW &&
               sqlite3_column_int(meta.stmt, 0) == schema::kFormatVersion;
    }

    // Opens the file at the first statement. A missing file is looked for again at the next
    // statement (it costs one failed stat); a file that is there but is no dictionary stays
    // refused until the reader is pointed at a file again, so a broken file costs nothing
    // per keystroke.
    bool ensureOpen()
    {
        if (state == State::Open)
            return true;
        if (state == State::Failed || path.isEmpty() || !QFileInfo(path).isFile())
            return false;
        state = State::Failed;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
            return false;
        }
        // Every keystroke runs a statement, and each statement of a connection in the normal
        // locking mode takes and drops a file lock and re-reads the file header: several
        // system calls, more than the lookup itself. Nothing rewrites the file in place (the
        // importer renames a new file over it), so the connection keeps its shared lock from
        // the first read on, and reads pages through a memory map instead of read calls.
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
        const QStringList columns = engRusColumns();
        if (!columns.contains(QLatin1String("word")) || !columns.contains(QLatin1String("trans"))) {
            close();
            state = State::Failed;
            return false;
        }
        bool ok = false;
        if (columns.contains(QLatin1String("key")) && isOurFormat()) {
            ok = prepare("SELECT Word, Trans FROM EngRus WHERE Key = ?1 ORDER BY Key, rowid", &exact) &&
                 prepare("SELECT Word, Trans, Key FROM EngRus WHERE Key >= ?1 AND Key < ?2 "
                         "ORDER BY Key, rowid",
                         &range);
        } else {
            // A file with EngRus(Word, Trans) that we did not write, say one converted from
            // the old Access file by hand. It is served rather than refused: same results,
            // only slower, since every statement folds every headword (a table scan).
            ok = sqlite3_create_function_v2(db, "zarvik_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                            nullptr, foldFunction, nullptr, nullptr,
                                            nullptr) == SQLITE_OK;
            ok = ok &&
                 (prepare("SELECT Word, Trans FROM EngRus WHERE zarvik_fold(Word) = ?1 "
                          "ORDER BY rowid",
                          &exact) ||
                  prepare("SELECT Word, Trans FROM EngRus WHERE zarvik_fold(Word) = ?1", &exact)) &&
                 (prepare("SELECT Word, Trans, k FROM (SELECT Word, Trans, zarvik_fold(Word) AS k, "
                          "rowid AS r FROM EngRus) WHERE k >= ?1 AND k < ?2 ORDER BY k, r",
                          &range) ||
                  prepare("SELECT Word, Trans, k FROM (SELECT Word, Trans, zarvik_fold(Word) AS k "
                          "FROM EngRus) WHERE k >= ?1 AND k < ?2 ORDER BY k",
                          &range));
        }
        if (!ok) {
            close();
            state = State::Failed;
            return false;
        }
        state = State::Open;
        return true;
    }

    void clearResult()
    {
        rows.clear();
        position = -1;
    }

    // Steps a bound statement to its end (or to `limit` accepted rows). An error part-way
    // (a damaged page, say) empties the result: a failed statement yields no rows rather than
    // a random part of them.
    template <typename Accept>
    void collect(sqlite3_stmt* stmt, int limit, Accept accept)
    {
        int rc = SQLITE_DONE;
        while ((limit <= 0 || int(rows.size()) < limit) && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (accept(stmt))
                rows.push_back(Entry{columnText(stmt, 0), columnText(stmt, 1)});
        }
        if (limit <= 0 || int(rows.size()) < limit) {
            if (rc != SQLITE_DONE)
                rows.clear();
        }
        sqlite3_reset(stmt); // ends the read transaction at once
        sqlite3_clear_bindings(stmt);
        position = rows.empty() ? -1 : 0;
    }
};

DictionaryReader::DictionaryReader() : d(std::make_unique<Impl>()) {}
DictionaryReader::~DictionaryReader() = default;

void DictionaryReader::setDatabaseName(const QString& path)
{
    d->close();
    d->clearResult();
    d->path = path;
}

QString DictionaryReader::databaseName() const
{
    return d->path;
}

void DictionaryReader::exactLookup(const QString& word)
{
    d->clearResult();
    if (!d->ensureOpen())
        return;
    const QByteArray key = foldedKeyUtf8(word);
    sqlite3_bind_text(d->exact, 1, key.constData(), int(key.size()), SQLITE_STATIC);
    d->collect(d->exact, 0, [](sqlite3_stmt*) { return true; });
}

void DictionaryReader::prefixSearch(const QString& text, int limit)
{
    d->clearResult();
    if (!d->ensureOpen())
        return;
    const LikePattern pattern(foldedKey(text) + QLatin1Char('*'));
    const QByteArray low = pattern.literalPrefix().toUtf8();
    const QByteArray high = low + kRangeEnd;
    sqlite3_bind_text(d->range, 1, low.constData(), int(low.size()), SQLITE_STATIC);
    sqlite3_bind_text(d->range, 2, high.constData(), int(high.size()), SQLITE_STATIC);
    if (pattern.prefixDecides()) {
        d->collect(d->range, limit, [](sqlite3_stmt*) { return true; });
    } else {
        d->collect(d->range, limit, [&pattern](sqlite3_stmt* stmt) {
            const auto* key = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            return key && pattern.matchesUtf8(key, sqlite3_column_bytes(stmt, 2));
        });
    }
}

int DictionaryReader::recordCount() const
{
    return int(d->rows.size());
}

void DictionaryReader::moveFirst()
{
    d->position = d->rows.empty() ? -1 : 0;
}

void DictionaryReader::moveLast()
{
    d->position = int(d->rows.size()) - 1;
}

void DictionaryReader::setAbsolutePosition(int index)
{
    // Outside the result there is no current row (its fields read as empty).
    d->position = (index >= 0 && index < int(d->rows.size())) ? index : -1;
}

QString DictionaryReader::field(int position) const
{
    if (d->position < 0)
        return {};
    const Entry& row = d->rows[size_t(d->position)];
    switch (position) {
    case 0:
        return row.word;
    case 1:
        return row.trans;
    default:
        return {};
    }
}

qint64 DictionaryReader::wordCount()
{
    if (!d->ensureOpen())
        return 0;
    if (d->wordCount < 0) {
        Statement count;
        d->wordCount = 0;
        if (d->prepare("SELECT count(*) FROM EngRus", &count.stmt) && sqlite3_step(count.stmt) == SQLITE_ROW)
            d->wordCount = sqlite3_column_int64(count.stmt, 0);
    }
    return d->wordCount;
}

QStringList DictionaryReader::listPrefix(const QString& text)
{
    constexpr int kLines = 10; // the list never shows more
    QStringList lines;
    prefixSearch(text, kLines);
    if (recordCount() == 0)
        return {noMatchLine(text)};
    moveLast();
    const int n = recordCount();
    for (int i = 1; i <= kLines; ++i) {
        setAbsolutePosition(i - 1);
        lines << displayLine(field(0), field(1));
        if (n == i)
            break;
    }
    return lines;
}

QString displayLine(const QString& word, const QString& trans)
{
    return word + QStringLiteral(" - ") + trans;
}

QString noMatchLine(const QString& text)
{
    return text + QStringLiteral(" - ???");
}

} // namespace zarvik
