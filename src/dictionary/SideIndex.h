#pragma once

#include <QByteArray>
#include <atomic>
#include <memory>
#include <thread>

namespace zarvik {

// The index that a dictionary file without one of ours lacks: every headword's folded key
// beside its row, sorted (a table EngRus(Word, Trans) made by hand or by another program,
// or one of our older files whose key index is gone). Without it every lookup folds every
// headword, which on a large file takes longer than a lookup may; with it such a file
// answers as one of ours does.
//
// The dictionary is opened read-only and may not be ours to change, so the index goes into a
// temporary file of its own, built once per version of the file by a thread of its own while
// the readers go on without it; they attach it once it is done. The build reads the file
// through its own connection with a page cache of kCacheKiB and sorts through temporary
// files, so its memory stays bounded whatever the file's size; the index costs about the
// size of the headwords on disk, in the temporary folder, and is removed when the program
// ends (a program killed leaves it there, named "zarvik-index-*").
class SideIndex final {
public:
    // Below this many rows a lookup that folds every headword is quick enough, and no index
    // is built.
    static constexpr qint64 kMinRows = 20000;
    static constexpr int kCacheKiB = 16 * 1024;

    // The index of the file at `path` in the version that `version` names; its build starts
    // with the first request. All readers of the same version share it.
    static std::shared_ptr<SideIndex> request(const QByteArray& path, const QByteArray& version);
    // Waits until every build started has ended, at most `ms` milliseconds; true when they
    // all have (tests and tools).
    static bool waitForBuilds(int ms);

    // Done: file() holds the index, table Keys(K, R) keyed by both.
    bool ready() const { return m_state.load() == State::Ready; }
    QByteArray file() const { return m_file; }

    SideIndex(const QByteArray& path, const QByteArray& version);
    ~SideIndex();
    SideIndex(const SideIndex&) = delete;
    SideIndex& operator=(const SideIndex&) = delete;

private:
    enum class State { Building, Ready, Failed };
    void build();

    QByteArray m_path;
    QByteArray m_version;
    QByteArray m_file;
    std::atomic<State> m_state{State::Building};
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;

};

} // namespace zarvik
