#include "journal/Journal.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvik {

namespace {

// One prepared statement, finalised on every way out.
class Statement final {
public:
    Statement(sqlite3* db, const char* sql)
    {
        m_code = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_code == SQLITE_OK && m_stmt; }
    int code() const { return m_code; }
    void bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step()
    {
        m_code = sqlite3_step(m_stmt);
        return m_code;
    }
    QString text(int column) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_code = SQLITE_OK;
};

bool damaged(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// The LIKE pattern for a filter: its own % and _ are plain characters.
QString likePattern(const QString& filter)
{
    QString escaped = filter;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

QByteArray whereClause(const JournalQuery& query)
{
    QByteArray where;
    if (!query.filter.isEmpty())
        where += "(headword LIKE ?1 ESCAPE '\\' OR line LIKE ?1 ESCAPE '\\')";
    if (query.favouritesOnly)
        where += where.isEmpty() ? "favourite <> 0" : " AND favourite <> 0";
    return where.isEmpty() ? where : " WHERE " + where;
}

QByteArray orderClause(const JournalQuery& query)
{
    const char* dir = query.descending ? " DESC" : " ASC";
    // Ties go by the headword, so paging through equal counts neither skips nor repeats a word.
    switch (query.sort) {
    case JournalQuery::Sort::Count:
        return QByteArray(" ORDER BY count") + dir + ", headword" + dir;
    case JournalQuery::Sort::Word:
        return QByteArray(" ORDER BY headword") + dir;
    case JournalQuery::Sort::LastTime:
        break;
    }
    return QByteArray(" ORDER BY last") + dir + ", headword" + dir;
}

} // namespace

Journal::Journal(QString folder, int busyTimeoutMs, Warn warn)
    : m_folder(std::move(folder)), m_busyTimeoutMs(busyTimeoutMs), m_warn(std::move(warn))
{
    if (!m_warn)
        m_warn = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
}

Journal::~Journal()
{
    closeFile();
}

QString Journal::defaultFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Zarvik5");
}

QString Journal::path() const
{
    return m_folder + QLatin1Char('/') + fileName();
}

QString Journal::sourceName(LookupSource source)
{
    switch (source) {
    case LookupSource::DoubleClick:
        return QStringLiteral("double-click");
    case LookupSource::Copy:
        return QStringLiteral("copy");
    case LookupSource::Panel:
        break;
    }
    return QStringLiteral("panel");
}

bool Journal::open()
{
    if (m_opened || m_off)
        return m_opened;
    Outcome outcome = openFile();
    if (outcome == Outcome::Damaged) {
        setAside();
        if (!m_off)
            outcome = openFile();
        if (outcome == Outcome::Damaged)
            fail(QStringLiteral("cannot be begun afresh"), SQLITE_CORRUPT);
    }
    m_opened = outcome == Outcome::Ok;
    return m_opened;
}

Journal::Outcome Journal::openFile()
{
    const QByteArray dir = QFile::encodeName(m_folder);
    // Only the folder we make is given 0700; a folder the user already has keeps its mode.
    if (!QFileInfo::exists(m_folder)) {
        const QFileInfo parent(QFileInfo(m_folder).absolutePath());
        if (!QDir().mkpath(parent.absoluteFilePath()) || (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)) {
            fail(QStringLiteral("its folder cannot be made"), SQLITE_CANTOPEN);
            return Outcome::Failed;
        }
    }
    // The file is made 0600 before SQLite sees it; its -wal and -shm files take the same mode.
    const QByteArray file = QFile::encodeName(path());
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(QStringLiteral("cannot be opened for writing"), SQLITE_CANTOPEN);
        return Outcome::Failed;
    }
    ::close(fd);

    int code = sqlite3_open_v2(file.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        closeFile();
        fail(QStringLiteral("cannot be opened"), code);
        return Outcome::Failed;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    // A small page cache: the journal is written a row at a time and read a page of rows at a
    // time, and its memory stays off the program's resident size while its window is closed.
    const char* setup = "PRAGMA cache_size=-256;"
                        "PRAGMA journal_mode=WAL;"
                        "PRAGMA synchronous=NORMAL;"
                        "CREATE TABLE IF NOT EXISTS words("
                        " headword TEXT PRIMARY KEY NOT NULL, line TEXT NOT NULL,"
                        " count INTEGER NOT NULL, first INTEGER NOT NULL, last INTEGER NOT NULL,"
                        " source TEXT NOT NULL, favourite INTEGER NOT NULL DEFAULT 0);"
                        "CREATE INDEX IF NOT EXISTS words_last ON words(last);";
    // Two copies of the program starting together race to switch a new file to WAL and to
    // make its table; the loser's busy handler is not always asked (a change of journal mode
    // answers "locked" at once), so the setup is tried again within the same wait.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        char* error = nullptr;
        code = sqlite3_exec(m_db, setup, nullptr, nullptr, &error);
        sqlite3_free(error);
        const int primary = code & 0xff;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || waited.elapsed() >= m_busyTimeoutMs)
            break;
        sqlite3_sleep(10);
    }
    if (code == SQLITE_OK) {
        // Reading every page of the table's tree finds a damaged file now rather than in
        // the middle of a lookup.
        Statement counted(m_db, "SELECT count(*) FROM words");
        code = counted.ok() ? counted.step() : counted.code();
        if (code == SQLITE_ROW) {
            m_words = int(counted.integer(0));
            code = SQLITE_OK;
        }
    }
    if (code == SQLITE_OK)
        return Outcome::Ok;
    closeFile();
    if (damaged(code))
        return Outcome::Damaged;
    fail(QStringLiteral("cannot be used"), code);
    return Outcome::Failed;
}

void Journal::closeFile()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_opened = false;
}

void Journal::setAside()
{
    // Renamed, never deleted: the words may still be read from it by other means.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside = path() + QStringLiteral(".damaged-") + stamp;
    bool moved = QFile::rename(path(), aside);
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path() + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            moved = QFile::rename(companion, aside + QLatin1String(suffix)) && moved;
    }
    if (!moved) {
        fail(QStringLiteral("is damaged and cannot be set aside"), SQLITE_CORRUPT);
        return;
    }
    if (!m_warned) {
        m_warned = true;
        m_warn(QStringLiteral("zarvik: the journal %1 is damaged; it is kept as %2 and a new one begun")
                   .arg(path(), aside));
    }
}

void Journal::fail(const QString& what, int code)
{
    closeFile();
    m_off = true;
    if (m_warned)
        return;
    m_warned = true;
    m_warn(QStringLiteral("zarvik: the journal %1 %2 (%3); words are not recorded in this run")
               .arg(path(), what, QString::fromUtf8(sqlite3_errstr(code))));
}

bool Journal::exec(const char* sql)
{
    char* error = nullptr;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    sqlite3_free(error);
    if (code != SQLITE_OK) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        fail(QStringLiteral("cannot be written"), code);
        return false;
    }
    return true;
}

bool Journal::record(const QString& headword, const QString& line, LookupSource source, qint64 now)
{
    if (headword.isEmpty() || !open())
        return false;
    // IMMEDIATE: the write lock is taken (or waited for) before the read, so two copies
    // meeting the same word at once cannot both count it.
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    // The two writes of a word take the same values: ?1 the headword, ?2 its line, ?3 the
    // time, ?4 where it was looked up.
    const auto write = [&](const char* sql) {
        Statement statement(m_db, sql);
        statement.bind(1, headword);
        statement.bind(2, line);
        statement.bind(3, now);
        statement.bind(4, sourceName(source));
        return statement.ok() ? statement.step() : statement.code();
    };
    int code;
    bool added = false;
    {
        Statement seen(m_db, "SELECT last FROM words WHERE headword = ?1");
        seen.bind(1, headword);
        code = seen.ok() ? seen.step() : seen.code();
        if (code == SQLITE_ROW) {
            const qint64 last = seen.integer(0);
            if (now - last >= kRepeatSeconds || now < last)
                code = write("UPDATE words SET count = count + 1, last = ?3, line = ?2, source = ?4"
                             " WHERE headword = ?1");
            else
                code = SQLITE_DONE;
        } else if (code == SQLITE_DONE) {
            code = write("INSERT INTO words(headword, line, count, first, last, source)"
                         " VALUES(?1, ?2, 1, ?3, ?3, ?4)");
            added = true;
        }
    }
    if (code != SQLITE_DONE) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        fail(QStringLiteral("cannot be written"), code);
        return false;
    }
    if (added && ++m_words > kMaxWords && !trim())
        return false;
    return exec("COMMIT");
}

bool Journal::trim()
{
    Statement counted(m_db, "SELECT count(*) FROM words");
    int code = counted.ok() ? counted.step() : counted.code();
    if (code == SQLITE_ROW) {
        m_words = int(counted.integer(0));
        code = SQLITE_DONE;
        if (m_words > kMaxWords) {
            Statement oldest(m_db, "DELETE FROM words WHERE headword IN"
                                   " (SELECT headword FROM words ORDER BY last, headword LIMIT ?1)");
            oldest.bind(1, qint64(m_words - kMaxWords));
            code = oldest.ok() ? oldest.step() : oldest.code();
            if (code == SQLITE_DONE)
                m_words = kMaxWords;
        }
    }
    if (code == SQLITE_DONE)
        return true;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    fail(QStringLiteral("cannot be written"), code);
    return false;
}

int Journal::count(const JournalQuery& query)
{
    if (!open())
        return 0;
    Statement counted(m_db, QByteArray("SELECT count(*) FROM words" + whereClause(query)).constData());
    if (!query.filter.isEmpty())
        counted.bind(1, likePattern(query.filter));
    return counted.ok() && counted.step() == SQLITE_ROW ? int(counted.integer(0)) : 0;
}

QVector<JournalEntry> Journal::rows(const JournalQuery& query, int offset, int limit)
{
    QVector<JournalEntry> out;
    if (!open())
        return out;
    const QByteArray sql = "SELECT headword, line, count, first, last, source, favourite FROM words" +
                           whereClause(query) + orderClause(query) + " LIMIT ?2 OFFSET ?3";
    Statement select(m_db, sql.constData());
    if (!select.ok())
        return out;
    if (!query.filter.isEmpty())
        select.bind(1, likePattern(query.filter));
    select.bind(2, qint64(limit));
    select.bind(3, qint64(offset));
    while (select.step() == SQLITE_ROW) {
        JournalEntry e;
        e.headword = select.text(0);
        e.line = select.text(1);
        e.count = int(select.integer(2));
        e.first = select.integer(3);
        e.last = select.integer(4);
        e.source = select.text(5);
        e.favourite = select.integer(6) != 0;
        out.append(std::move(e));
    }
    return out;
}

std::optional<JournalEntry> Journal::entry(const QString& headword)
{
    if (!open())
        return std::nullopt;
    Statement select(m_db, "SELECT headword, line, count, first, last, source, favourite FROM words"
                           " WHERE headword = ?1");
    select.bind(1, headword);
    if (!select.ok() || select.step() != SQLITE_ROW)
        return std::nullopt;
    return JournalEntry{select.text(0),     select.text(1), int(select.integer(2)), select.integer(3),
                        select.integer(4), select.text(5), select.integer(6) != 0};
}

bool Journal::setFavourite(const QString& headword, bool favourite)
{
    if (!open())
        return false;
    Statement mark(m_db, "UPDATE words SET favourite = ?2 WHERE headword = ?1");
    mark.bind(1, headword);
    mark.bind(2, qint64(favourite ? 1 : 0));
    const int code = mark.ok() ? mark.step() : mark.code();
    if (code != SQLITE_DONE) {
        fail(QStringLiteral("cannot be written"), code);
        return false;
    }
    return true;
}

bool Journal::remove(const QStringList& headwords)
{
    if (!open() || !exec("BEGIN IMMEDIATE"))
        return false;
    for (const QString& headword : headwords) {
        Statement gone(m_db, "DELETE FROM words WHERE headword = ?1");
        gone.bind(1, headword);
        const int code = gone.ok() ? gone.step() : gone.code();
        if (code != SQLITE_DONE) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            fail(QStringLiteral("cannot be written"), code);
            return false;
        }
        m_words -= sqlite3_changes(m_db);
    }
    return exec("COMMIT");
}

bool Journal::clear()
{
    if (!open() || !exec("DELETE FROM words"))
        return false;
    m_words = 0;
    return true;
}

} // namespace zarvik
