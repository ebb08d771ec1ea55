#include "BddWriter.h"

#include "ImportError.h"
#include "RunSorter.h"
#include "dictionary/ArticleCodec.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
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
        sqlite3_finalize(m_second);
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
    void bind(int index, QByteArrayView text)
    {
        sqlite3_bind_text(m_stmt, index, text.data(), int(text.size()), SQLITE_STATIC);
    }
    void bindNull(int index) { sqlite3_bind_null(m_stmt, index); }
    void bindBlob(int index, QByteArrayView bytes)
    {
        sqlite3_bind_blob(m_stmt, index, bytes.data(), int(bytes.size()), SQLITE_STATIC);
    }
    // A second statement beside the first (the articles are written with the rows).
    void prepareSecond(const char* sql)
    {
        sqlite3_finalize(m_second);
        m_second = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_second, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sql));
    }
    void swap() { std::swap(m_stmt, m_second); }
    void bindInt(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
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
        sqlite3_finalize(m_second);
        m_stmt = m_second = nullptr;
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
    sqlite3_stmt* m_second = nullptr;
};

void syncToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || ::fsync(file.handle()) != 0)
        throw ImportError(QStringLiteral("%1: cannot flush to disk").arg(path));
}

// The rows held in memory at once; beyond this they are sorted in runs on disk. Small: a
// run costs a sequential write and read of what the page cache holds anyway (Mueller's rows
// make three), while every megabyte here is one more of the import's peak memory.
constexpr qsizetype kRowMemory = 2 * 1024 * 1024;

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

// Deflates the groups of articles on a second thread while the rows and the further tables are
// written (deflating is most of the time the articles add to an import), and on the calling
// thread too once it has nothing else to do.
class GroupDeflater final {
public:
    struct Group {
        QByteArray key;
        qint64 seq = 0;
        int entries = 0;
        QByteArray text; // emptied once deflated
        QByteArray stored;
    };

    explicit GroupDeflater(QByteArray dictionary) : m_dictionary(std::move(dictionary))
    {
        try {
            m_worker = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            // No thread to be had: finish() deflates them all.
        }
    }
    ~GroupDeflater() { stop(); }
    GroupDeflater(const GroupDeflater&) = delete;
    GroupDeflater& operator=(const GroupDeflater&) = delete;

    void put(Group group)
    {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(group));
        }
        m_wake.notify_one();
    }
    // Every group, deflated.
    std::vector<Group> finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_wake.notify_all();
        while (deflateNext()) {
        }
        stop();
        std::lock_guard lock(m_mutex);
        return std::move(m_done);
    }

private:
    bool deflateNext()
    {
        Group group;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return false;
            group = std::move(m_queue.front());
            m_queue.pop_front();
        }
        group.stored = articles::compress(group.text, m_dictionary);
        group.text = QByteArray();
        std::lock_guard lock(m_mutex);
        m_done.push_back(std::move(group));
        return true;
    }
    void work()
    {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_closed || !m_queue.empty(); });
                if (m_queue.empty())
                    return; // closed, and nothing left
            }
            deflateNext();
        }
    }
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_wake.notify_all();
        if (m_worker.joinable())
            m_worker.join();
    }

    const QByteArray m_dictionary; // read by both threads, never written
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Group> m_queue;
    std::vector<Group> m_done;
    bool m_closed = false;
    std::thread m_worker;
};

} // namespace

struct BddWriter::Build {
    std::unique_ptr<QTemporaryFile> file;  // the new dictionary under its temporary name
    std::unique_ptr<QTemporaryFile> stage; // what further tables stage, until they are sorted
    std::unique_ptr<Builder> db;
    std::unique_ptr<RunSorter> rows;       // the rows in source order, until they are sorted
    QByteArray payload;                    // one row's, reused
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
    db.exec(schema::kCreateArticleTable);
    db.exec(schema::kCreateArticleIndex);
    for (TableBuilder* table : m_tables)
        table->start(db.handle());
    build->rows = std::make_unique<RunSorter>(outInfo.absolutePath(), kRowMemory);
    m_count = 0;
    m_articles = 0;
    m_build = std::move(build);
}

void BddWriter::add(const QString& word, const QString& trans, QByteArrayView article, const QString& transcription)
{
    const QByteArray key = foldedKeyUtf8(word);
    const QByteArray written = word.toUtf8();
    const QString line = boundedTrans(trans);
    // The headword (missing where the key stands for it: NULL in the file), the article and
    // its transcription (missing where there is none), the line.
    QByteArray& payload = m_build->payload;
    payload.clear();
    record::appendField(payload, written == key ? std::nullopt : std::optional<QByteArrayView>(written));
    const QByteArray transcriptionUtf8 = transcription.toUtf8();
    record::appendField(payload, article.isEmpty() ? std::nullopt : std::optional<QByteArrayView>(article));
    record::appendField(payload, transcription.isEmpty() ? std::nullopt
                                                         : std::optional<QByteArrayView>(transcriptionUtf8));
    payload.append(line.toUtf8());
    m_build->rows->add(key, payload);
    ++m_count;
    for (TableBuilder* table : m_tables)
        table->add(m_build->db->handle(), word, line);
}

void BddWriter::finish()
{
    Builder& db = *m_build->db;
    {
        // Key order, source order within a key: the order of the table's primary key, so
        // every row lands at the end of the tree.
        RunSorter& rows = *m_build->rows;
        db.prepare(schema::kInsertArticle);
        db.prepareSecond(schema::kInsertRow); // the statement in use: rows first
        db.swap();
        std::string previous;
        qint64 seq = 0, done = 0;
        // The group of articles being gathered, with the key and Seq of its first entry.
        GroupDeflater deflater(m_articleDictionary);
        GroupDeflater::Group group;
        auto flushGroup = [&] {
            if (group.entries > 0)
                deflater.put(std::move(group));
            group = GroupDeflater::Group{};
        };
        QByteArrayView key, payload;
        while (rows.next(key, payload)) {
            const std::string_view k(key.data(), size_t(key.size()));
            seq = (done > 0 && k == previous) ? seq + 1 : 0;
            const std::optional<QByteArrayView> written = record::takeField(payload);
            const std::optional<QByteArrayView> article = record::takeField(payload);
            const std::optional<QByteArrayView> transcription = record::takeField(payload);
            db.bind(1, key);
            db.bindInt(2, seq);
            if (written)
                db.bind(3, *written);
            else
                db.bindNull(3);
            db.bind(4, payload);
            db.step();
            // A key with a control character could not be told apart in a group's text; a key
            // and transcription of kilobytes are a hostile source's (keepArticle leaves them
            // room up to this).
            if (article && key.size() + (transcription ? transcription->size() : 0) < 2048 &&
                std::none_of(key.begin(), key.end(), [](char c) { return uchar(c) < 0x20; })) {
                if (group.entries > 0 && group.text.size() + article->size() > articles::kMaxTextBytes)
                    flushGroup();
                if (group.entries == 0) {
                    group.key = key.toByteArray();
                    group.seq = seq;
                }
                articles::appendToGroup(group.text, key, seq, transcription.value_or(QByteArrayView()), *article);
                if (++group.entries >= articles::kGroupEntries || group.text.size() >= articles::kGroupBytes)
                    flushGroup();
            }
            previous.assign(k);
            ++done;
            if (m_progress && (done % 4096 == 0 || done == m_count))
                m_progress(done, m_count);
        }
        flushGroup();
        m_build->rows.reset(); // its memory, before the further tables read theirs
        // Deflated meanwhile.
        for (TableBuilder* table : m_tables)
            table->finish(db.handle());
        db.swap(); // the articles' statement
        // In key order, as they were gathered, so that an import always writes the same file.
        std::vector<GroupDeflater::Group> groups = deflater.finish();
        std::sort(groups.begin(), groups.end(), [](const GroupDeflater::Group& a, const GroupDeflater::Group& b) {
            return a.key != b.key ? a.key < b.key : a.seq < b.seq;
        });
        for (const GroupDeflater::Group& g : groups) {
            if (g.stored.isEmpty() || g.stored.size() > articles::kMaxStoredBytes)
                continue;
            db.bind(1, g.key);
            db.bindInt(2, g.seq);
            db.bindBlob(3, g.stored);
            db.step();
            m_articles += g.entries;
        }
    }

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
    if (!m_articleDictionary.isEmpty()) {
        const QByteArray n = QByteArray(schema::kArticleDictionaryName);
        db.bind(1, n);
        db.bindBlob(2, m_articleDictionary);
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
