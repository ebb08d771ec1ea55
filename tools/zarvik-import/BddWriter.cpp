#include "BddWriter.h"

#include "ImportError.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace zarvik {

namespace {

// One SQLite connection to the file being built; every failure becomes an ImportError.
class Builder final {
public:
    explicit Builder(const QString& path) : m_path(path)
    {
        // One thread uses the connection: no lock around every call.
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            fail(QStringLiteral("cannot create the database"));
    }
    ~Builder()
    {
        sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sql));
    }
    void prepare(const char* sql)
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sql));
    }
    void bind(int index, const QByteArray& text)
    {
        sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_STATIC);
    }
    void bindNull(int index) { sqlite3_bind_null(m_stmt, index); }
    void bindInt(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    void bindValue(int index, const sqlite3_value* value) { sqlite3_bind_value(m_stmt, index, value); }
    void attach(const QString& path, const char* name)
    {
        const QByteArray sql = "ATTACH ?1 AS " + QByteArray(name);
        prepare(sql.constData());
        const QByteArray file = QFile::encodeName(path);
        bind(1, file);
        step();
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
    sqlite3* handle() const { return m_db; }

    // A statement of its own, for reading while the writer's statement inserts.
    struct Statement {
        Statement(Builder& builder, const char* sql) : owner(builder)
        {
            if (sqlite3_prepare_v2(owner.m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
                owner.fail(QString::fromUtf8(sql));
        }
        ~Statement() { sqlite3_finalize(stmt); }
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;
        bool next()
        {
            const int rc = sqlite3_step(stmt);
            if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                owner.fail(QStringLiteral("reading the sorted rows"));
            return rc == SQLITE_ROW;
        }
        Builder& owner;
        sqlite3_stmt* stmt = nullptr;
    };
    void step()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            fail(QStringLiteral("insert"));
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    void close()
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        if (sqlite3_close(m_db) != SQLITE_OK)
            fail(QStringLiteral("close"));
        m_db = nullptr;
    }

private:
    [[noreturn]] void fail(const QString& what)
    {
        throw ImportError(QStringLiteral("%1: %2 failed: %3")
                              .arg(m_path, what, QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory")));
    }

    QString m_path;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

void syncToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || ::fsync(file.handle()) != 0)
        throw ImportError(QStringLiteral("%1: cannot flush to disk").arg(path));
}

// Rows of at most this length (in UTF-16 units, so never more characters) are what a reader
// takes; a surrogate pair is never cut in two.
QString boundedTrans(const QString& trans)
{
    if (trans.size() <= schema::kMaxTransChars)
        return trans;
    qsizetype n = schema::kMaxTransChars;
    if (trans.at(n - 1).isHighSurrogate())
        --n;
    return trans.left(n);
}

// A temporary file beside the output, removed unless it is renamed into place.
std::unique_ptr<QTemporaryFile> besideOutput(const QFileInfo& output, const char* suffix)
{
    auto file = std::make_unique<QTemporaryFile>(output.absoluteFilePath() + QStringLiteral(".XXXXXX") +
                                                 QString::fromLatin1(suffix));
    if (!file->open())
        throw ImportError(QStringLiteral("%1: cannot create a temporary file beside it (%2)")
                              .arg(output.filePath(), file->errorString()));
    file->close(); // the (empty) file stays until the object goes
    return file;
}

} // namespace

struct BddWriter::Build {
    std::unique_ptr<QTemporaryFile> file;  // the new dictionary under its temporary name
    std::unique_ptr<QTemporaryFile> stage; // the rows in source order, until they are sorted
    std::unique_ptr<Builder> db;
};

BddWriter::BddWriter(QString outputPath) : m_output(std::move(outputPath)) {}
BddWriter::~BddWriter() = default;

void BddWriter::begin()
{
    const QFileInfo outInfo(m_output);
    if (!outInfo.absoluteDir().exists())
        throw ImportError(QStringLiteral("%1: the folder does not exist").arg(outInfo.absolutePath()));
    if (outInfo.isDir())
        throw ImportError(QStringLiteral("%1: is a folder").arg(m_output));

    auto build = std::make_unique<Build>();
    build->file = besideOutput(outInfo, ".tmp");
    // Beside the output rather than in /tmp: a big dictionary's rows need room on disk, and
    // /tmp is often memory.
    build->stage = besideOutput(outInfo, ".stage");
    build->db = std::make_unique<Builder>(build->file->fileName());
    Builder& db = *build->db;
    // Nothing is at stake while the files have their temporary names, so no journal and no
    // syncs inside SQLite; the one sync comes before the rename. The cache bounds what SQLite
    // holds while it builds the table; its sorter keeps as much in memory and spills the rest
    // to temporary files.
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("PRAGMA cache_size=-2048");
    db.attach(build->stage->fileName(), "stage");
    db.exec("PRAGMA stage.journal_mode=OFF");
    db.exec("PRAGMA stage.synchronous=OFF");
    db.exec("PRAGMA stage.cache_size=-4096");
    db.exec("BEGIN");
    db.exec(schema::kCreateTable);
    db.exec(schema::kCreateView);
    db.exec(schema::kCreateMeta);
    db.exec("CREATE TABLE stage.Rows (Key TEXT NOT NULL, Word TEXT, Trans TEXT NOT NULL)");
    for (TableBuilder* table : m_tables)
        table->start(db.handle());
    db.prepare("INSERT INTO stage.Rows (Key, Word, Trans) VALUES (?1, ?2, ?3)");
    m_count = 0;
    m_build = std::move(build);
}

void BddWriter::add(const QString& word, const QString& trans)
{
    Builder& db = *m_build->db;
    const QByteArray key = foldedKeyUtf8(word);
    const QByteArray written = word.toUtf8();
    const QString line = boundedTrans(trans);
    const QByteArray text = line.toUtf8();
    db.bind(1, key);
    if (written == key)
        db.bindNull(2); // the key stands for the headword
    else
        db.bind(2, written);
    db.bind(3, text);
    db.step();
    ++m_count;
    for (TableBuilder* table : m_tables)
        table->add(db.handle(), word, line);
}

void BddWriter::finish()
{
    Builder& db = *m_build->db;
    {
        // Key order, source order within a key (the staging rowid): the order of the table's
        // primary key, so every row lands at the end of the tree.
        Builder::Statement sorted(db, "SELECT Key, Word, Trans FROM stage.Rows ORDER BY Key, rowid");
        db.prepare(schema::kInsertRow);
        QByteArray previous;
        qint64 seq = 0, done = 0;
        while (sorted.next()) {
            const QByteArray key(static_cast<const char*>(sqlite3_column_blob(sorted.stmt, 0)),
                                 sqlite3_column_bytes(sorted.stmt, 0));
            seq = (done > 0 && key == previous) ? seq + 1 : 0;
            db.bind(1, key);
            db.bindInt(2, seq);
            db.bindValue(3, sqlite3_column_value(sorted.stmt, 1));
            db.bindValue(4, sqlite3_column_value(sorted.stmt, 2));
            db.step();
            previous = key;
            ++done;
            if (m_progress && (done % 4096 == 0 || done == m_count))
                m_progress(done, m_count);
        }
    }
    for (TableBuilder* table : m_tables)
        table->finish(db.handle());
    db.prepare(schema::kInsertMeta);
    std::vector<std::pair<QString, QString>> meta{
        {QString::fromLatin1(schema::kFormatName), QString::number(schema::kFormatVersion)},
        {QString::fromLatin1(schema::kEntriesName), QString::number(m_count)}};
    meta.insert(meta.end(), m_meta.begin(), m_meta.end());
    for (const auto& [name, value] : meta) {
        const QByteArray n = name.toUtf8(), v = value.toUtf8();
        db.bind(1, n);
        db.bind(2, v);
        db.step();
    }
    db.exec("COMMIT");
    db.exec("DETACH stage");
    db.close();
    const QString tempPath = m_build->file->fileName();
    syncToDisk(tempPath);

    // A dictionary is read by everyone: keep the permissions of the file it replaces, or
    // make it readable by all (QTemporaryFile creates it for the owner only).
    const QFileInfo outInfo(m_output);
    QFile::setPermissions(tempPath, outInfo.exists() ? QFile::permissions(m_output)
                                                     : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                           QFile::ReadOther);
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(m_output).constData()) != 0)
        throw ImportError(QStringLiteral("%1: cannot move the new file into place (%2)")
                              .arg(m_output, QString::fromLocal8Bit(std::strerror(errno))));
    m_build->file->setAutoRemove(false);
    m_build.reset(); // removes the staging file
}

void BddWriter::write(const std::vector<Entry>& rows)
{
    begin();
    for (const Entry& row : rows)
        add(row.word, row.trans);
    finish();
}

} // namespace zarvik
