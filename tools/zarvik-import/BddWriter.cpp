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
#include <numeric>
#include <sqlite3.h>
#include <unistd.h>

namespace zarvik {

namespace {

// One SQLite connection to the file being built; every failure becomes an ImportError.
class Builder final {
public:
    explicit Builder(const QString& path) : m_path(path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
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
    void bindInt(int index, int value) { sqlite3_bind_int(m_stmt, index, value); }
    void step()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            fail(QStringLiteral("insert"));
        sqlite3_reset(m_stmt);
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

} // namespace

void BddWriter::write(const std::vector<Entry>& rows)
{
    const QFileInfo outInfo(m_output);
    if (!outInfo.absoluteDir().exists())
        throw ImportError(QStringLiteral("%1: the folder does not exist").arg(outInfo.absolutePath()));
    if (outInfo.isDir())
        throw ImportError(QStringLiteral("%1: is a folder").arg(m_output));

    std::vector<QByteArray> keys;
    keys.reserve(rows.size());
    for (const Entry& row : rows)
        keys.push_back(foldedKeyUtf8(row.word));
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    // UTF-8 byte order, which is what SQLite's BINARY collation compares.
    std::stable_sort(order.begin(), order.end(), [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });

    QTemporaryFile temp(outInfo.absoluteFilePath() + QStringLiteral(".XXXXXX.tmp"));
    if (!temp.open())
        throw ImportError(QStringLiteral("%1: cannot create a temporary file beside it (%2)")
                              .arg(m_output, temp.errorString()));
    const QString tempPath = temp.fileName();
    temp.close(); // the (empty) file stays until `temp` goes out of scope or is renamed

    {
        Builder db(tempPath);
        // Nothing is at stake while the file has its temporary name, so no journal and no
        // syncs inside SQLite; the one sync comes before the rename.
        db.exec("PRAGMA journal_mode=OFF");
        db.exec("PRAGMA synchronous=OFF");
        db.exec("BEGIN");
        db.exec(schema::kCreateTable);
        db.exec(schema::kCreateMeta);
        db.prepare(schema::kInsertRow);
        const qint64 total = qint64(rows.size());
        qint64 done = 0;
        for (size_t i : order) {
            const QByteArray word = rows[i].word.toUtf8();
            const QByteArray trans = rows[i].trans.toUtf8();
            db.bind(1, word);
            db.bind(2, trans);
            db.bind(3, keys[i]);
            db.step();
            if (m_progress && (++done % 4096 == 0 || done == total))
                m_progress(done, total);
        }
        db.exec(schema::kCreateIndex);
        if (!m_reverse.empty()) {
            db.exec(schema::kCreateReverseTable);
            db.prepare(schema::kInsertReverseRow);
            for (const ReverseRow& row : m_reverse) {
                const QByteArray word = row.word.toUtf8();
                const QByteArray trans = row.trans.toUtf8();
                db.bind(1, row.key);
                if (word == row.key)
                    db.bindNull(2);
                else
                    db.bind(2, word);
                db.bind(3, trans);
                db.bindInt(4, row.weight);
                db.step();
            }
        }
        db.prepare(schema::kInsertMeta);
        std::vector<std::pair<QString, QString>> meta{
            {QString::fromLatin1(schema::kFormatName), QString::number(schema::kFormatVersion)},
            {QStringLiteral("entries"), QString::number(rows.size())},
            {QStringLiteral("reverse entries"), QString::number(m_reverse.size())}};
        meta.insert(meta.end(), m_meta.begin(), m_meta.end());
        for (const auto& [name, value] : meta) {
            const QByteArray n = name.toUtf8(), v = value.toUtf8();
            db.bind(1, n);
            db.bind(2, v);
            db.step();
        }
        db.exec("COMMIT");
        db.close();
    }
    syncToDisk(tempPath);

    // A dictionary is read by everyone: keep the permissions of the file it replaces, or
    // make it readable by all (QTemporaryFile creates it for the owner only).
    QFile::setPermissions(tempPath, outInfo.exists() ? QFile::permissions(m_output)
                                                     : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                           QFile::ReadOther);
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(m_output).constData()) != 0)
        throw ImportError(QStringLiteral("%1: cannot move the new file into place (%2)")
                              .arg(m_output, QString::fromLocal8Bit(std::strerror(errno))));
    temp.setAutoRemove(false);
}

} // namespace zarvik
