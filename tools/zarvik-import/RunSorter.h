#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvik {

// Sorts more records than memory should hold: each a sort key and a payload, both bytes. Keys
// compare byte by byte, a key that is a prefix of another first (SQLite's BINARY order);
// records with equal keys come out in the order they went in. Records are gathered in memory
// up to a bound, sorted there, and written out as a sorted run to one temporary file in a
// folder of the caller's choosing; reading merges the runs. A dictionary that fits the bound
// never touches the disk.
//
// Every failure (the folder cannot take the file, a disk fills up) throws ImportError.
class RunSorter final {
public:
    // `spillFolder`: where the runs go, if any (beside the output: a big dictionary's runs
    // need room on disk, and /tmp is often memory). `memoryBytes`: the bound on the records
    // held in memory at once (at most 1 GiB).
    RunSorter(QString spillFolder, qsizetype memoryBytes);
    ~RunSorter();
    RunSorter(const RunSorter&) = delete;
    RunSorter& operator=(const RunSorter&) = delete;

    void add(QByteArrayView key, QByteArrayView payload);
    qint64 size() const { return m_count; }

    // After the last add(): the next record in order, false after the last. The views stay
    // valid until the next call.
    bool next(QByteArrayView& key, QByteArrayView& payload);

private:
    struct Run;
    void spill();
    void sortChunk();
    void startReading();
    bool nextMerged(QByteArrayView& key, QByteArrayView& payload);
    // Whether run a's record comes after run b's: the heap keeps the least record on top,
    // and among equal keys the earlier run.
    bool later(int a, int b) const;

    QString m_folder;
    qsizetype m_bound;
    qint64 m_count = 0;
    // The chunk in memory: records as [key length][payload length][key][payload], and where
    // each begins (in the order of the sort once sorted).
    std::string m_chunk;
    std::vector<std::uint32_t> m_offsets;
    // The runs already written.
    int m_fd = -1;
    qint64 m_spilled = 0; // bytes written to the file
    std::vector<std::unique_ptr<Run>> m_runs;
    std::vector<int> m_heap; // run indexes, the run with the least record on top
    bool m_reading = false;
    size_t m_position = 0; // of the next record of the chunk, when nothing was spilled
    int m_current = -1;    // the run whose record was handed out last
};

// Payloads of several fields: each field but the last as its length and its bytes, a missing
// one (a NULL column) as a length of kMissing alone; the last field is the rest.
namespace record {
inline constexpr std::uint32_t kMissing = 0xFFFFFFFF;
void appendField(QByteArray& payload, std::optional<QByteArrayView> field);
// The field at the front of `payload`, taken off it; nullopt for a missing one.
std::optional<QByteArrayView> takeField(QByteArrayView& payload);
} // namespace record

} // namespace zarvik
