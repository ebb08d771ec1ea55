#include "dictionary/DictionaryReader.h"

#include "dictionary/ArticleCodec.h"
#include "dictionary/Cyrillic.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"
#include "dictionary/LikePattern.h"
#include "dictionary/SideIndex.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <limits>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDictionary, "zarvik.dictionary", QtWarningMsg)

namespace zarvik {

namespace {

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What tells one version of the file from another: a rename puts another inode at the path,
// an in-place rewrite changes the size or the modification time.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    qint64 mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const struct stat& st)
{
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// The identity of the file at the path; nullopt with the reason when it is no regular file.
std::optional<FileIdentity> identityOf(const QByteArray& path, QString* reason)
{
    struct stat st{};
    if (::stat(path.constData(), &st) != 0) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        if (reason)
            *reason = QStringLiteral("not a regular file");
        return std::nullopt;
    }
    return identityOf(st);
}

// One line on standard error per path and reason for the whole process: three windows read
// the same file, and a failure that persists is retried every second; neither should repeat
// the message.
void reportOnce(const QString& path, const QString& reason)
{
    static QSet<QString> reported;
    qCInfo(lcDictionary).noquote() << path << "cannot be used:" << reason;
    const QString line = QStringLiteral("zarvik: dictionary %1 cannot be used: %2").arg(path, reason);
    if (reported.contains(line))
        return;
    reported.insert(line);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The upper end of a range scan over keys that begin with a prefix: the prefix followed by
// the last code point, U+10FFFF (a noncharacter that no headword holds). Valid UTF-8, so it
// compares the same whatever text encoding a file uses.
const QByteArray kRangeEnd = QByteArrayLiteral("\xF4\x8F\xBF\xBF");

// The page cache of a connection, in KiB. A read call for a page costs more than the lookup
// itself, so the cache should hold every inner page of the table and the leaves that lookups
// come back to: an eighth of the file does that at every size measured, and the whole of a
// small dictionary fits the lower end. It costs only the pages actually read, and the upper
// end bounds what each of the three readers can hold of a huge file.
qint64 cacheKiB(qint64 fileBytes)
{
    constexpr qint64 kLowKiB = 8 * 1024, kHighKiB = 32 * 1024;
    return qBound(kLowKiB, fileBytes / 8 / 1024, kHighKiB);
}

QString columnText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text)
        return {}; // NULL reads as empty text
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

// How many bytes of a translation to read: up to its first schema::kMaxTransChars characters.
// Cut here rather than by substr() in the statement: the function costs a fifth of a lookup's
// time in the engine, and almost every translation is far shorter than the bound, which a
// look at its byte count tells. Counted as the engine counts characters, by the bytes that
// begin one.
int transBytes(const char* text, int bytes)
{
    if (bytes <= schema::kMaxTransChars)
        return bytes;
    int end = 0;
    for (int chars = 0; end < bytes; ++end) {
        if ((uchar(text[end]) & 0xC0) != 0x80 && ++chars > schema::kMaxTransChars)
            break;
    }
    return end;
}

QString transText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text)
        return {};
    return QString::fromUtf8(text, transBytes(text, sqlite3_column_bytes(stmt, column)));
}

// displayLine() of a row's headword (column 0) and translation (column 1), decoded straight
// from the engine's UTF-8 into the one string: a listing is ten of these per keystroke, and
// the two strings of each row and their copy were half of its time outside the engine.
QString rowLine(sqlite3_stmt* stmt, QStringDecoder& utf8)
{
    const auto* word = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    const int wordBytes = word ? sqlite3_column_bytes(stmt, 0) : 0;
    const auto* trans = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    const int cut = trans ? transBytes(trans, sqlite3_column_bytes(stmt, 1)) : 0;
    // UTF-8 never takes fewer bytes than UTF-16 takes units, malformed bytes included (each
    // becomes at most one replacement character), so the bytes bound the line.
    QString line(qsizetype(wordBytes) + 3 + cut, Qt::Uninitialized);
    QChar* out = utf8.appendToBuffer(line.data(), QByteArrayView(word, wordBytes));
    *out++ = QLatin1Char(' ');
    *out++ = QLatin1Char('-');
    *out++ = QLatin1Char(' ');
    out = utf8.appendToBuffer(out, QByteArrayView(trans, cut));
    line.truncate(out - line.constData());
    return line;
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

struct DictionaryReader::Impl {
    enum class State { Closed, Open, Failed };

    QString path;
    QByteArray encoded; // the path as the file system takes it
    State state = State::Closed;
    std::function<qint64()> clock = steadyMs;
    qint64 retryAt = 0;          // a failed reader tries again from this time on
    FileIdentity opened;         // the file as it was when the connection was opened
    int openedFd = -1;           // that file, held open to ask after it (see stillCurrent)
    nlink_t openedLinks = 0;
    qint64 pathCheckAt = 0;      // steady milliseconds of the next look at the path itself
    qint64 identityCheckAt = 0;  // ... and of the next look at the open file
    sqlite3* db = nullptr;
    sqlite3_stmt* exact = nullptr;
    sqlite3_stmt* range = nullptr;
    // The same two statements on RusEng; null when the file has no reverse index.
    sqlite3_stmt* reverseExact = nullptr;
    sqlite3_stmt* reverseRange = nullptr;
    qint64 wordCount = -1;
    qint64 entries = -1; // the row count our metadata records, when it does
    int format = 0;      // the format our metadata names, 0 for a file we did not write
    // The whole articles (see DictionarySchema.h): looked for at the first article asked,
    // not at the open, since most readers never show one.
    bool articlesLooked = false;
    sqlite3_stmt* articleGroup = nullptr;
    QByteArray articleDictionary;
    // A large file without a key index of ours is read through a side index once it is built
    // (see SideIndex); until then its statements fold every headword.
    std::shared_ptr<SideIndex> side;
    bool sideAttached = false;

    std::vector<Entry> rows;
    int position = -1;

    ~Impl() { close(); }

    void close()
    {
        sqlite3_finalize(exact);
        sqlite3_finalize(range);
        sqlite3_finalize(reverseExact);
        sqlite3_finalize(reverseRange);
        sqlite3_finalize(articleGroup);
        articleGroup = nullptr;
        articlesLooked = false;
        articleDictionary.clear();
        sqlite3_close(db); // all statements are finalized, so this always closes
        exact = range = reverseExact = reverseRange = nullptr;
        db = nullptr;
        if (openedFd >= 0)
            ::close(openedFd);
        openedFd = -1;
        side.reset();
        sideAttached = false;
        wordCount = -1;
        cyrillicInitials.clear();
        cyrillicInitialsKnown = false;
        state = State::Closed;
    }

    bool prepare(const QByteArray& sql, sqlite3_stmt** stmt)
    {
        return sqlite3_prepare_v3(db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, stmt, nullptr) ==
               SQLITE_OK;
    }

    // The bound on one statement's time: a view over an endless query, or a pattern that
    // makes a huge dictionary scan every row, is abandoned rather than left to freeze the
    // window. The progress handler runs every kProgressPeriod steps of the engine, which is a
    // few microseconds apart.
    static constexpr int kProgressPeriod = 1000;
    qint64 boundAt = 0; // steady milliseconds at which the running statement is abandoned
    bool overran = false;
    // The end of the open lookup budget, 0 when none is open.
    qint64 budgetEnd = 0;

    void startBound()
    {
        const qint64 now = steadyMs();
        boundAt = now + DictionaryReader::kStatementBoundMs;
        if (budgetEnd > 0)
            boundAt = std::min(boundAt, budgetEnd);
        overran = false;
    }

    // Whether the open budget has run out: the statement is not even started.
    bool budgetSpent()
    {
        if (budgetEnd <= 0 || steadyMs() < budgetEnd)
            return false;
        overran = true;
        reportOverrun();
        return true;
    }

    static int overBound(void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (steadyMs() < impl->boundAt)
            return 0;
        impl->overran = true;
        return 1; // the statement ends with SQLITE_INTERRUPT
    }

    // A statement that ran over its bound yields no rows and is named once on standard
    // error; the connection itself stays open, since the next statement may well be cheap.
    void reportOverrun()
    {
        reportOnce(path, QStringLiteral("a lookup ran longer than %1 ms and was abandoned")
                             .arg(DictionaryReader::kStatementBoundMs));
    }

    // Which columns a table has (lower case; none when there is no such table). The result
    // code tells a file that is no database, or a locked one, from a database without it.
    int tableColumns(const char* pragma, QStringList& names)
    {
        Statement info;
        int rc = sqlite3_prepare_v2(db, pragma, -1, &info.stmt, nullptr);
        if (rc != SQLITE_OK)
            return rc;
        while ((rc = sqlite3_step(info.stmt)) == SQLITE_ROW)
            names << columnText(info.stmt, 1).toLower();
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

    // The format our metadata names, 0 when there is none.
    int ourFormat()
    {
        Statement meta;
        if (sqlite3_prepare_v2(db, "SELECT Value FROM ZarvikMeta WHERE Name = 'format'", -1, &meta.stmt, nullptr) !=
            SQLITE_OK)
            return 0;
        return sqlite3_step(meta.stmt) == SQLITE_ROW ? sqlite3_column_int(meta.stmt, 0) : 0;
    }

    // The number of rows our metadata records, -1 when it records none.
    qint64 metaEntries()
    {
        Statement meta;
        if (sqlite3_prepare_v2(db, "SELECT Value FROM ZarvikMeta WHERE Name = 'entries'", -1, &meta.stmt, nullptr) !=
            SQLITE_OK)
            return -1;
        if (sqlite3_step(meta.stmt) != SQLITE_ROW || sqlite3_column_type(meta.stmt, 0) == SQLITE_NULL)
            return -1;
        return qMax<qint64>(-1, sqlite3_column_int64(meta.stmt, 0));
    }

    // The statements on the reverse index. It is an addition: a file written before it had
    // one, or whose reverse table is unusable, still serves its English entries.
    void prepareReverse()
    {
        QStringList columns;
        if (tableColumns("PRAGMA table_info(RusEng)", columns) != SQLITE_OK || columns.isEmpty())
            return;
        const bool ok = columns.contains(QLatin1String("key")) && columns.contains(QLatin1String("word")) &&
                        columns.contains(QLatin1String("trans")) && columns.contains(QLatin1String("weight")) &&
                        prepare("SELECT coalesce(Word, Key), Trans, Key, Weight FROM RusEng WHERE Key = ?1",
                                &reverseExact) &&
                        prepare("SELECT coalesce(Word, Key), Trans, Key, Weight FROM RusEng "
                                "WHERE Key >= ?1 AND Key < ?2 ORDER BY Key",
                                &reverseRange);
        if (!ok) {
            qCDebug(lcDictionary).noquote() << path << "has an unusable reverse index:" << sqlite3_errmsg(db);
            sqlite3_finalize(reverseExact);
            sqlite3_finalize(reverseRange);
            reverseExact = reverseRange = nullptr;
        }
    }

    // Gives up on the file for now: the connection is closed, the reason reported, and the
    // file tried again once kRetryMs have passed.
    void fail(const QString& reason)
    {
        close();
        state = State::Failed;
        retryAt = clock() + DictionaryReader::kRetryMs;
        reportOnce(path, reason);
        qCDebug(lcDictionary).noquote() << path << "failed:" << reason << "- next try in" << DictionaryReader::kRetryMs
                                        << "ms";
    }

    QString sqliteReason(int rc) const
    {
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            return QStringLiteral("locked by another program");
        const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        return QString::fromUtf8(text ? text : sqlite3_errstr(rc));
    }

    // Whether the open file is still as it was opened, asked of the kernel about the open file
    // rather than the path (a stat of the path walks every folder of it): an in-place rewrite
    // changes the file's size or time, and a rename or removal over the path takes a link
    // from it.
    bool openFileUnchanged() const
    {
        struct stat st{};
        return ::fstat(openedFd, &st) == 0 && st.st_nlink != 0 && st.st_nlink == openedLinks &&
               identityOf(st) == opened;
    }

    // Whether the open file is still the one at the path. Asked before every statement, so it
    // looks at the open file at most every kIdentityCheckMs (the fstat was a quarter to a third
    // of an exact lookup), and at the path itself, for what only the path can show (a symbolic
    // link pointed elsewhere, a folder renamed under us), every kPathCheckMs. In between, a
    // statement that fails on a file changed under it closes the connection at once (see
    // stepRows), so the next statement reads the new file.
    bool stillCurrent()
    {
        const qint64 now = clock();
        if (now < identityCheckAt && now < pathCheckAt)
            return true;
        identityCheckAt = now + DictionaryReader::kIdentityCheckMs;
        if (!openFileUnchanged())
            return false;
        if (now < pathCheckAt)
            return true;
        pathCheckAt = now + DictionaryReader::kPathCheckMs;
        const std::optional<FileIdentity> atPath = identityOf(encoded, nullptr);
        return atPath && *atPath == opened;
    }

    // Makes sure there is a usable connection to the file as it is now. Called before every
    // statement, so it must stay cheap when all is well: a look at the clock (see
    // stillCurrent).
    //
    // Another process may replace the file by a rename or rewrite it in place while we run
    // (a copy over it, an install into the program folder). The connection reads pages with
    // read calls, never through a memory map, so a file cut short under us gives errors
    // instead of SIGBUS; and a file whose identity changed since it was opened is reopened, so
    // cached pages of the old version are never served once the change is seen. (A statement
    // that runs while the copy is under way may read a mixture: SQLite reports that as damage,
    // or it finds wrong rows for that one lookup; the next lookup sees the new file.)
    bool ensureOpen()
    {
        if (path.isEmpty())
            return false;
        if (state == State::Open) {
            if (stillCurrent()) {
                if (side && !sideAttached && side->ready())
                    attachSide();
                return true;
            }
            qCDebug(lcDictionary).noquote() << path << "changed on disk; reopening";
            close();
        }
        if (state == State::Failed && clock() < retryAt)
            return false;
        if (state == State::Failed)
            qCDebug(lcDictionary).noquote() << path << "trying again";

        QString reason;
        const std::optional<FileIdentity> identity = identityOf(encoded, &reason);
        if (!identity) {
            fail(reason);
            return false;
        }
        if (identity->size == 0) {
            fail(QStringLiteral("the file is empty"));
            return false;
        }
        // Opened before the database: a rename in between leaves the connection on the newer
        // file and the check on the older one, which is noticed and reopened at once, never
        // the other way round. O_NONBLOCK: a pipe put at the path since the stat must not
        // hang the window.
        openedFd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st{};
        if (openedFd < 0 || ::fstat(openedFd, &st) != 0) { // SQLite would only say "unable to open"
            fail(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            fail(QStringLiteral("not a regular file"));
            return false;
        }
        int rc = sqlite3_open_v2(encoded.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = sqliteReason(rc);
            fail(why);
            return false;
        }
        // Every keystroke runs a statement; a connection in the normal locking mode would take
        // and drop a file lock and re-read the file header for each, several system calls
        // more than the lookup itself. So the connection keeps its shared lock from the first
        // read on; the stat above is what notices a new version of the file. No busy handler:
        // a lock held by someone else fails at once, and we try again a second later, rather
        // than freeze the screen.
        // Without the memory map, pages come from SQLite's own cache or a read call (see
        // cacheKiB). (Measured with bench/run-dictionary.sh: this mode with the stat is the
        // cheapest of the safe ones; the normal locking mode costs two to three microseconds
        // more per listing.)
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA mmap_size=0", nullptr, nullptr, nullptr);
        const QByteArray cache = "PRAGMA cache_size=-" + QByteArray::number(cacheKiB(identity->size));
        sqlite3_exec(db, cache.constData(), nullptr, nullptr, nullptr);
        // Every statement runs under a bound on its time (see kStatementBoundMs), the opening
        // ones included: a hostile file must not freeze the window that reads it.
        sqlite3_progress_handler(db, kProgressPeriod, &Impl::overBound, this);
        startBound();
        QStringList columns;
        rc = tableColumns("PRAGMA table_info(EngRus)", columns);
        if (rc != SQLITE_OK) {
            fail(sqliteReason(rc));
            return false;
        }
        if (!columns.contains(QLatin1String("word")) || !columns.contains(QLatin1String("trans"))) {
            fail(QStringLiteral("no table EngRus with the columns Word and Trans"));
            return false;
        }
        bool ok = false;
        format = ourFormat();
        entries = -1;
        if (format == schema::kFormatVersion) {
            ok = prepare("SELECT coalesce(Word, Key), Trans FROM EngRusKeyed WHERE Key = ?1 ORDER BY Key, Seq",
                         &exact) &&
                 prepare("SELECT coalesce(Word, Key), Trans, Key FROM EngRusKeyed WHERE Key >= ?1 AND Key < ?2 "
                         "ORDER BY Key, Seq",
                         &range);
            entries = metaEntries();
        } else if (format == schema::kFormatVersionRowid && columns.contains(QLatin1String("key")) && keyIndexed()) {
            ok = prepare("SELECT Word, Trans FROM EngRus WHERE Key = ?1 ORDER BY Key, rowid", &exact) &&
                 prepare("SELECT Word, Trans, Key FROM EngRus WHERE Key >= ?1 AND Key < ?2 "
                         "ORDER BY Key, rowid",
                         &range);
        } else {
            // A file with EngRus(Word, Trans) that we did not write, say one converted from
            // the old Access file by hand. It is served rather than refused: same results,
            // only slower, since every statement folds every headword (a table scan).
            ok = sqlite3_create_function_v2(db, "zarvik_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                            nullptr, sqliteFoldFunction, nullptr, nullptr,
                                            nullptr) == SQLITE_OK;
            ok = ok &&
                 (prepare("SELECT Word, Trans FROM EngRus WHERE zarvik_fold(Word) = ?1 ORDER BY rowid", &exact) ||
                  prepare("SELECT Word, Trans FROM EngRus WHERE zarvik_fold(Word) = ?1", &exact)) &&
                 (prepare("SELECT Word, Trans, k FROM (SELECT Word, Trans, zarvik_fold(Word) AS k, "
                          "rowid AS r FROM EngRus) WHERE k >= ?1 AND k < ?2 ORDER BY k, r",
                          &range) ||
                  prepare("SELECT Word, Trans, k FROM (SELECT Word, Trans, zarvik_fold(Word) AS k "
                          "FROM EngRus) WHERE k >= ?1 AND k < ?2 ORDER BY k",
                          &range));
            if (ok && rowsAtLeast(SideIndex::kMinRows))
                side = SideIndex::request(encoded, QByteArray::number(quint64(st.st_dev)) + ':' +
                                                       QByteArray::number(quint64(st.st_ino)) + ':' +
                                                       QByteArray::number(qint64(st.st_size)) + ':' +
                                                       QByteArray::number(identityOf(st).mtimeNs));
        }
        if (!ok) {
            fail(sqliteReason(sqlite3_errcode(db)));
            return false;
        }
        if (format == schema::kFormatVersion) {
            prepareReverse();
            readCyrillicInitials();
        }
        if (state == State::Failed)
            qCInfo(lcDictionary).noquote() << path << "is usable again";
        opened = identityOf(st);
        openedLinks = st.st_nlink;
        pathCheckAt = clock() + DictionaryReader::kPathCheckMs;
        identityCheckAt = clock() + DictionaryReader::kIdentityCheckMs;
        state = State::Open;
        qCDebug(lcDictionary).noquote() << path << "opened," << identity->size << "bytes";
        return true;
    }

    // Whether our older layout's key column still has its index (a file whose index was
    // dropped is read as a foreign one).
    bool keyIndexed()
    {
        Statement probe;
        return sqlite3_prepare_v2(db,
                                  "SELECT 1 FROM pragma_index_list('EngRus') AS l, pragma_index_info(l.name) AS i "
                                  "WHERE i.seqno = 0 AND lower(i.name) = 'key'",
                                  -1, &probe.stmt, nullptr) == SQLITE_OK &&
               sqlite3_step(probe.stmt) == SQLITE_ROW;
    }

    // Whether the table has at least that many rows, told by its largest rowid (a look at
    // one page, where counting would read them all); a table without rowids tells nothing.
    bool rowsAtLeast(qint64 rows)
    {
        Statement probe;
        return sqlite3_prepare_v2(db, "SELECT max(rowid) FROM EngRus", -1, &probe.stmt, nullptr) == SQLITE_OK &&
               sqlite3_step(probe.stmt) == SQLITE_ROW && sqlite3_column_int64(probe.stmt, 0) >= rows;
    }

    // From here on the statements go through the side index, read-only like the file.
    void attachSide()
    {
        sideAttached = true; // tried once per connection, whatever comes of it
        Statement attach;
        const QByteArray file = side->file();
        sqlite3_stmt* sideExact = nullptr;
        sqlite3_stmt* sideRange = nullptr;
        const bool ok =
            sqlite3_prepare_v2(db, "ATTACH ?1 AS side", -1, &attach.stmt, nullptr) == SQLITE_OK &&
            sqlite3_bind_text(attach.stmt, 1, file.constData(), int(file.size()), SQLITE_STATIC) == SQLITE_OK &&
            sqlite3_step(attach.stmt) == SQLITE_DONE &&
            sqlite3_prepare_v3(db,
                               "SELECT e.Word, e.Trans FROM side.Keys AS k CROSS JOIN main.EngRus AS e "
                               "ON e.rowid = k.R WHERE k.K = ?1 ORDER BY k.K, k.R",
                               -1, SQLITE_PREPARE_PERSISTENT, &sideExact, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v3(db,
                               "SELECT e.Word, e.Trans, k.K FROM side.Keys AS k CROSS JOIN main.EngRus AS e "
                               "ON e.rowid = k.R WHERE k.K >= ?1 AND k.K < ?2 ORDER BY k.K, k.R",
                               -1, SQLITE_PREPARE_PERSISTENT, &sideRange, nullptr) == SQLITE_OK;
        if (!ok) {
            qCDebug(lcDictionary).noquote() << path << "side index not used:" << sqlite3_errmsg(db);
            sqlite3_finalize(sideExact);
            sqlite3_finalize(sideRange);
            return;
        }
        sqlite3_finalize(exact);
        sqlite3_finalize(range);
        exact = sideExact;
        range = sideRange;
        qCDebug(lcDictionary).noquote() << path << "is read through its side index";
    }

    void clearResult()
    {
        rows.clear();
        position = -1;
    }

    // Hands `take` the rows whose key begins as `text` does (a pattern with wildcards is
    // matched too), at most `limit` of them; the connection must be open. False when the
    // statement failed (see stepRows); a table the file lacks has no rows.
    template <typename Take>
    bool searchRange(const QString& text, int limit, Table table, Take take);
    // The same rows as the current result.
    void searchRows(const QString& text, int limit, Table table);

    // The first letters of the headwords written in Cyrillic (Mueller has 15 such
    // abbreviations): Russian text that begins with none of them can match no headword and
    // goes to the reverse index without a search of the English table first. A file with
    // more of them than kMaxCyrillicHeadwords, or one this could not be read from, is always
    // searched in both.
    static constexpr int kMaxCyrillicHeadwords = 4096;
    QString cyrillicInitials;
    bool cyrillicInitialsKnown = false;

    void readCyrillicInitials()
    {
        cyrillicInitials.clear();
        cyrillicInitialsKnown = false;
        if (!range)
            return;
        const QByteArray low = QString(QChar(0x0400)).toUtf8();  // the blocks of isCyrillicLetter()
        const QByteArray high = QString(QChar(0x0530)).toUtf8(); // end before Armenian
        sqlite3_bind_text(range, 1, low.constData(), int(low.size()), SQLITE_STATIC);
        sqlite3_bind_text(range, 2, high.constData(), int(high.size()), SQLITE_STATIC);
        startBound();
        int rc = SQLITE_DONE;
        int n = 0;
        while ((rc = sqlite3_step(range)) == SQLITE_ROW && ++n <= kMaxCyrillicHeadwords) {
            const QString key = columnText(range, 2);
            if (!key.isEmpty() && !cyrillicInitials.contains(key.front()))
                cyrillicInitials += key.front();
        }
        cyrillicInitialsKnown = rc == SQLITE_DONE;
        sqlite3_reset(range);
        sqlite3_clear_bindings(range);
    }

    // Whether Russian `text` may begin a headword of the English table.
    bool mayBeginHeadword(const QString& text) const
    {
        // A Cyrillic letter folds on its own, as foldedKey() would fold it in the text.
        return !cyrillicInitialsKnown || text.isEmpty() || cyrillicInitials.contains(text.front().toCaseFolded());
    }

    // Steps a bound statement to its end (or to `limit` accepted rows), handing each
    // accepted row to `take`; false when it failed. An error part-way (a damaged page, a
    // lock, a file cut short under us) is reported here, and the reader gives up on the
    // connection until its next try; the caller drops what it took, since a failed statement
    // yields no rows rather than a random part of them.
    template <typename Accept, typename Take>
    bool stepRows(sqlite3_stmt* stmt, int limit, Accept accept, Take take)
    {
        if (budgetSpent()) {
            sqlite3_clear_bindings(stmt);
            return false;
        }
        startBound();
        int rc = SQLITE_DONE;
        int taken = 0;
        while ((limit <= 0 || taken < limit) && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (accept(stmt)) {
                take(stmt);
                ++taken;
            }
        }
        const bool failed = rc != SQLITE_DONE && rc != SQLITE_ROW;
        sqlite3_reset(stmt); // ends the read transaction at once
        sqlite3_clear_bindings(stmt);
        if (failed) {
            if (rc == SQLITE_INTERRUPT && overran) {
                reportOverrun();
            } else if (state == State::Open && !openFileUnchanged()) {
                // Rewritten or cut short under us since the last look: no failure of the
                // file's own, so the next statement opens it anew rather than a second later.
                qCDebug(lcDictionary).noquote() << path << "changed on disk during a statement; reopening";
                close();
            } else {
                fail(sqliteReason(rc));
            }
        }
        return !failed;
    }

    // The statement that finds a group of articles, and the dictionary they were deflated
    // with; false for a file without articles (or with an unusable table).
    bool prepareArticles()
    {
        if (articlesLooked)
            return articleGroup;
        articlesLooked = true;
        if (format != schema::kFormatVersion)
            return false;
        startBound();
        {
            Statement meta;
            if (sqlite3_prepare_v2(db, "SELECT Value FROM ZarvikMeta WHERE Name = 'articleDictionary'", -1,
                                   &meta.stmt, nullptr) != SQLITE_OK ||
                sqlite3_step(meta.stmt) != SQLITE_ROW)
                return false;
            const int bytes = sqlite3_column_bytes(meta.stmt, 0);
            if (bytes > articles::kMaxDictionaryBytes)
                return false; // not what the importer writes
            articleDictionary = QByteArray(static_cast<const char*>(sqlite3_column_blob(meta.stmt, 0)), bytes);
        }
        if (!prepare("SELECT Articles FROM EngRusArticle WHERE (Key, Seq) <= (?1, ?2) ORDER BY Key DESC, Seq DESC "
                     "LIMIT 1",
                     &articleGroup)) {
            qCDebug(lcDictionary).noquote() << path << "has no usable articles:" << sqlite3_errmsg(db);
            sqlite3_finalize(articleGroup);
            articleGroup = nullptr;
        }
        return articleGroup;
    }

    // The inflated group that holds the entry (key, seq); nullopt where the file has no
    // articles, the entry none, or its row is too big or damaged.
    std::optional<QByteArray> articleGroupOf(const QByteArray& key, int seq)
    {
        if (!ensureOpen() || !prepareArticles())
            return std::nullopt;
        sqlite3_bind_text(articleGroup, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        sqlite3_bind_int(articleGroup, 2, seq);
        QByteArray stored;
        // Larger than any group the importer writes: left unread.
        const bool ok = stepRows(
            articleGroup, 1,
            [](sqlite3_stmt* row) { return sqlite3_column_bytes(row, 0) <= articles::kMaxStoredBytes; },
            [&stored](sqlite3_stmt* row) {
                stored = QByteArray(static_cast<const char*>(sqlite3_column_blob(row, 0)), sqlite3_column_bytes(row, 0));
            });
        if (!ok || stored.isEmpty())
            return std::nullopt;
        return articles::inflate(stored, articleDictionary);
    }

    void takeEntry(sqlite3_stmt* row)
    {
        rows.push_back(Entry{columnText(row, 0), transText(row, 1),
                             sqlite3_column_count(row) > 3 ? sqlite3_column_int(row, 3) : 0});
    }

    void settleResult(bool ok)
    {
        if (!ok)
            rows.clear();
        position = rows.empty() ? -1 : 0;
    }
};

DictionaryReader::DictionaryReader() : d(std::make_unique<Impl>()) {}

DictionaryReader::LookupBudget::LookupBudget(DictionaryReader& reader, int ms)
    : m_reader(reader), m_outer(reader.d->budgetEnd <= 0)
{
    if (m_outer) {
        m_reader.d->budgetEnd = steadyMs() + qMax(1, ms);
        // A lookup the user asked for looks at the open file once before its first statement:
        // a dictionary copied over the file a moment ago is read new, never from the pages
        // cached of the old one (its passes after that share the look).
        m_reader.d->identityCheckAt = std::numeric_limits<qint64>::min();
    }
}

DictionaryReader::LookupBudget::~LookupBudget()
{
    if (m_outer)
        m_reader.d->budgetEnd = 0;
}
DictionaryReader::~DictionaryReader() = default;

void DictionaryReader::setDatabaseName(const QString& path)
{
    d->close();
    d->clearResult();
    d->path = path;
    d->encoded = QFile::encodeName(path);
}

QString DictionaryReader::databaseName() const
{
    return d->path;
}

void DictionaryReader::setClock(std::function<qint64()> msNow)
{
    d->clock = std::move(msNow);
}

void DictionaryReader::exactLookup(const QString& word, Table table, int limit)
{
    d->clearResult();
    if (!d->ensureOpen())
        return;
    sqlite3_stmt* stmt = table == Table::RusEng ? d->reverseExact : d->exact;
    if (!stmt)
        return;
    const QByteArray key = table == Table::RusEng ? russianKeyUtf8(word) : foldedKeyUtf8(word);
    sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
    d->settleResult(d->stepRows(
        stmt, qBound(1, limit, kMaxRows), [](sqlite3_stmt*) { return true; },
        [this](sqlite3_stmt* row) { d->takeEntry(row); }));
}

void DictionaryReader::prefixSearch(const QString& text, int limit, Table table)
{
    d->clearResult();
    if (d->ensureOpen())
        d->searchRows(text, limit, table);
}

template <typename Take>
bool DictionaryReader::Impl::searchRange(const QString& text, int limit, Table table, Take take)
{
    sqlite3_stmt* range = table == Table::RusEng ? reverseRange : this->range;
    if (!range)
        return true;
    const QString key = table == Table::RusEng ? russianKey(text) : foldedKey(text);
    // Most text typed is plain letters: no pattern to build, the key is the prefix.
    static constexpr QStringView kPatternChars = u"*?#[";
    const bool literal = std::none_of(key.cbegin(), key.cend(), [](QChar c) { return kPatternChars.contains(c); });
    std::optional<LikePattern> pattern;
    if (!literal)
        pattern.emplace(key + QLatin1Char('*'));
    const QByteArray low = literal ? key.toUtf8() : pattern->literalPrefix().toUtf8();
    const QByteArray high = low + kRangeEnd;
    sqlite3_bind_text(range, 1, low.constData(), int(low.size()), SQLITE_STATIC);
    sqlite3_bind_text(range, 2, high.constData(), int(high.size()), SQLITE_STATIC);
    if (literal || pattern->prefixDecides())
        return stepRows(range, limit, [](sqlite3_stmt*) { return true; }, take);
    return stepRows(
        range, limit,
        [&pattern](sqlite3_stmt* stmt) {
            const auto* rowKey = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            return rowKey && pattern->matchesUtf8(rowKey, sqlite3_column_bytes(stmt, 2));
        },
        take);
}

void DictionaryReader::Impl::searchRows(const QString& text, int limit, Table table)
{
    settleResult(searchRange(text, limit, table, [this](sqlite3_stmt* row) { takeEntry(row); }));
}

bool DictionaryReader::hasReverseIndex()
{
    return d->ensureOpen() && d->reverseExact;
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
    case 2:
        return row.weight > 0 ? QString::number(row.weight) : QString();
    default:
        return {};
    }
}

qint64 DictionaryReader::wordCount()
{
    if (!d->ensureOpen())
        return 0;
    if (d->wordCount < 0 && d->entries >= 0)
        d->wordCount = d->entries;
    if (d->wordCount < 0) {
        qint64 count = 0;
        int rc = SQLITE_OK;
        d->startBound();
        {
            Statement statement;
            rc = d->prepare("SELECT count(*) FROM EngRus", &statement.stmt) ? sqlite3_step(statement.stmt)
                                                                            : sqlite3_errcode(d->db);
            if (rc == SQLITE_ROW)
                count = sqlite3_column_int64(statement.stmt, 0);
        } // finalized here, before a failure closes the connection
        if (rc == SQLITE_INTERRUPT && d->overran) {
            d->reportOverrun();
            return 0;
        }
        if (rc != SQLITE_ROW) {
            d->fail(d->sqliteReason(rc));
            return 0;
        }
        d->wordCount = count;
    }
    return d->wordCount;
}

QStringList DictionaryReader::listPrefix(const QString& text)
{
    constexpr int kLines = 10; // the list never shows more
    QStringList lines;
    lines.reserve(kLines);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const auto take = [&lines, &utf8](sqlite3_stmt* row) { lines << rowLine(row, utf8); };
    // One check of the file for both searches: it is the one system call of a keystroke.
    d->clearResult();
    if (d->ensureOpen()) {
        const bool russian = !text.isEmpty() && isCyrillicLetter(text.front());
        bool ok = true;
        if (!russian || d->mayBeginHeadword(text))
            ok = d->searchRange(text, kLines, Table::EngRus, take);
        // Russian text that no headword begins with is answered from the reverse index, where
        // the file has one (without it, or after a failed search, there is no statement);
        // headwords written in Cyrillic (a dictionary of the user's own may have them, Mueller
        // its abbreviations) keep coming first.
        if (ok && lines.isEmpty() && russian)
            ok = d->searchRange(text, kLines, Table::RusEng, take);
        if (!ok)
            lines.clear();
    }
    if (lines.isEmpty())
        return {noMatchLine(text)};
    return lines;
}

// The row of the exact lookup just run that article() and transcription() mean: the one
// written exactly as asked, else the first. Its index is its Seq.
static int chosenRow(DictionaryReader& reader, const QString& headword)
{
    for (int i = 0; i < reader.recordCount(); ++i) {
        reader.setAbsolutePosition(i);
        if (reader.field(0) == headword)
            return i;
    }
    return 0;
}

namespace {

// Keeps a reader's current result across a call that runs its own lookup: the strip asks for
// a transcription between a lookup and the reading of its rows.
struct KeptResult {
    KeptResult(std::vector<Entry>& rows, int& position) : rows(rows), position(position), savedRows(rows),
                                                          savedPosition(position) {}
    ~KeptResult()
    {
        rows = std::move(savedRows);
        position = savedPosition;
    }
    std::vector<Entry>& rows;
    int& position;
    std::vector<Entry> savedRows;
    int savedPosition;
};

} // namespace

std::optional<Article> DictionaryReader::article(const QString& headword)
{
    const KeptResult kept(d->rows, d->position);
    // The entry's own spelling wins over another of the same key ("Polish" and "polish").
    exactLookup(headword, Table::EngRus, 3);
    if (recordCount() == 0)
        return std::nullopt;
    const int chosen = chosenRow(*this, headword);
    setAbsolutePosition(chosen);
    Article article;
    article.headword = field(0);
    const QString line = field(1);
    const QByteArray key = foldedKeyUtf8(headword);
    if (const std::optional<QByteArray> group = d->articleGroupOf(key, chosen)) {
        if (const auto entry = articles::findInGroup(*group, key, chosen)) {
            if (std::optional<Article> stored = articles::decode(entry->text)) {
                // The first transcription lives beside the blocks (see DictionarySchema.h).
                for (ArticleBlock& b : stored->blocks) {
                    if (b.kind == ArticleBlock::Kind::Transcription) {
                        if (b.text.isEmpty())
                            b.text = QString::fromUtf8(entry->transcription);
                        break;
                    }
                }
                stored->headword = article.headword;
                if (!stored->blocks.empty())
                    return stored;
            }
            qCDebug(lcDictionary).noquote() << d->path << "has a malformed article for" << headword;
        }
    }
    // A file without articles, an entry without one, or one that cannot be read: the line.
    article.blocks.push_back(ArticleBlock{ArticleBlock::Kind::Text, {}, line, {}});
    return article;
}

QString DictionaryReader::transcription(const QString& headword)
{
    const KeptResult kept(d->rows, d->position);
    exactLookup(headword, Table::EngRus, 3);
    if (recordCount() == 0)
        return {};
    const int chosen = chosenRow(*this, headword);
    const QByteArray key = foldedKeyUtf8(headword);
    const std::optional<QByteArray> group = d->articleGroupOf(key, chosen);
    if (!group)
        return {}; // files without articles carry no transcriptions
    const auto entry = articles::findInGroup(*group, key, chosen);
    // A transcription is a word long; a hostile one must not widen the strip without end.
    constexpr qsizetype kMaxTranscription = 64;
    return entry ? QString::fromUtf8(entry->transcription).left(kMaxTranscription) : QString();
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
