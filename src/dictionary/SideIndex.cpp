#include "dictionary/SideIndex.h"

#include "dictionary/FoldedKey.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QUrl>
#include <chrono>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <string>
#include <system_error>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcDictionary)

namespace zarvik {

namespace {

int cancelled(void* flag)
{
    return static_cast<std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

} // namespace

// Every index asked for, one per dictionary path (the latest version asked for).
class SideIndexes {
public:
    std::mutex mutex;
    std::map<QByteArray, std::shared_ptr<SideIndex>> byPath;
};

static SideIndexes& indexes()
{
    static SideIndexes all;
    return all;
}

std::shared_ptr<SideIndex> SideIndex::request(const QByteArray& path, const QByteArray& version)
{
    SideIndexes& all = indexes();
    std::lock_guard lock(all.mutex);
    std::shared_ptr<SideIndex>& index = all.byPath[path];
    if (!index || index->m_version != version) {
        index = std::make_shared<SideIndex>(path, version);
        SideIndex* building = index.get();
        try {
            index->m_thread = std::thread([building] { building->build(); });
        } catch (const std::system_error&) {
            index->m_state = State::Failed; // no thread to be had: the readers go on without
        }
    }
    return index;
}

bool SideIndex::waitForBuilds(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        bool building = false;
        {
            SideIndexes& all = indexes();
            std::lock_guard lock(all.mutex);
            for (const auto& entry : all.byPath)
                building = building || entry.second->m_state.load() == State::Building;
        }
        if (!building)
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SideIndex::SideIndex(const QByteArray& path, const QByteArray& version) : m_path(path), m_version(version) {}

SideIndex::~SideIndex()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
    if (!m_file.isEmpty())
        ::unlink(m_file.constData());
}

void SideIndex::build()
{
    QByteArray name = QFile::encodeName(QDir::tempPath()) + "/zarvik-index-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        m_state = State::Failed;
        return;
    }
    ::close(fd);
    m_file = name;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                              nullptr) == SQLITE_OK;
    const auto exec = [&](const QByteArray& sql) {
        return ok && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    ok = ok && sqlite3_create_function_v2(db, "zarvik_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                          sqliteFoldFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok)
        sqlite3_progress_handler(db, 1000, cancelled, &m_cancel);
    // The dictionary read-only, as every reader of ours opens it.
    const QByteArray uri =
        "file:" + QUrl::toPercentEncoding(QString::fromLocal8Bit(m_path), "/") + "?mode=ro";
    ok = exec("PRAGMA journal_mode=OFF") && exec("PRAGMA synchronous=OFF") &&
         exec("PRAGMA cache_size=-" + QByteArray::number(kCacheKiB)) && exec("PRAGMA temp_store=FILE");
    if (ok) {
        sqlite3_stmt* attach = nullptr;
        ok = sqlite3_prepare_v2(db, "ATTACH ?1 AS dict", -1, &attach, nullptr) == SQLITE_OK &&
             sqlite3_bind_text(attach, 1, uri.constData(), int(uri.size()), SQLITE_STATIC) == SQLITE_OK &&
             sqlite3_step(attach) == SQLITE_DONE;
        sqlite3_finalize(attach);
    }
    ok = exec("PRAGMA dict.cache_size=-" + QByteArray::number(kCacheKiB)) &&
         exec("CREATE TABLE Keys (K TEXT NOT NULL, R INTEGER NOT NULL, PRIMARY KEY (K, R)) WITHOUT ROWID") &&
         exec("INSERT INTO Keys SELECT k, r FROM (SELECT zarvik_fold(Word) AS k, rowid AS r FROM dict.EngRus) "
              "WHERE k IS NOT NULL ORDER BY k, r") &&
         exec("DETACH dict");
    if (!ok && db)
        qCDebug(lcDictionary).noquote() << m_path << "no side index:" << sqlite3_errmsg(db);
    sqlite3_close(db);
    if (ok)
        qCDebug(lcDictionary).noquote() << m_path << "side index ready in" << m_file;
    m_state = ok ? State::Ready : State::Failed;
}

} // namespace zarvik
