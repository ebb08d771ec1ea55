#pragma once

#include "TsvSource.h"

#include <QString>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zarvik {

// Reads a tab-separated file on a thread of its own, a few batches of cleaned entries ahead
// of the writer: reading, decoding and cleaning the lines is a good part of a big import's
// work, and it needs nothing the writer holds. At most kBatches batches wait at a time, so
// memory stays bounded whatever the file's size.
class TsvAhead final {
public:
    struct Row {
        QString word;
        QString trans;
    };
    static constexpr size_t kBatchRows = 4096;
    static constexpr size_t kBatches = 4;

    // `clean` makes the stored line of an article; it runs on the reading thread.
    TsvAhead(TsvReader& reader, std::function<QString(const QString&)> clean);
    // Stops the reading thread (a writer that failed leaves the rest unread) and waits for it.
    ~TsvAhead();
    TsvAhead(const TsvAhead&) = delete;
    TsvAhead& operator=(const TsvAhead&) = delete;

    // The next batch, in the order of the file; false at its end, after which the reader may
    // be asked about the file again. Throws what reading it threw (ImportError).
    bool next(std::vector<Row>& batch);

private:
    void run();

    TsvReader& m_reader;
    std::function<QString(const QString&)> m_clean;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<Row>> m_ready;
    bool m_ended = false;   // the thread has put its last batch
    bool m_stopped = false; // the writer wants no more
    std::exception_ptr m_error;
    std::thread m_thread;
};

} // namespace zarvik
