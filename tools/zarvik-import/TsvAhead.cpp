#include "TsvAhead.h"

#include <system_error>

namespace zarvik {

TsvAhead::TsvAhead(TsvReader& reader, std::function<QString(const QString&)> clean)
    : m_reader(reader), m_clean(std::move(clean))
{
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to be had: next() reads on the writer's thread.
    }
}

TsvAhead::~TsvAhead()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TsvAhead::run()
{
    try {
        std::vector<Row> batch;
        SourceEntry e;
        bool more = true;
        while (more) {
            batch.clear();
            batch.reserve(kBatchRows);
            while (batch.size() < kBatchRows && (more = m_reader.next(e)))
                batch.push_back(Row{e.word, m_clean(e.article)});
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopped || m_ready.size() < kBatches; });
            if (m_stopped)
                return;
            if (!batch.empty())
                m_ready.push_back(std::move(batch));
            m_changed.notify_all();
        }
    } catch (...) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_error = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
}

bool TsvAhead::next(std::vector<Row>& batch)
{
    batch.clear();
    if (!m_thread.joinable() && !m_ended) {
        // Read here, a batch at a time.
        SourceEntry e;
        while (batch.size() < kBatchRows && m_reader.next(e))
            batch.push_back(Row{e.word, m_clean(e.article)});
        m_ended = batch.empty();
        return !batch.empty();
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_ended; });
    if (!m_ready.empty()) {
        batch = std::move(m_ready.front());
        m_ready.pop_front();
        m_changed.notify_all();
        return true;
    }
    lock.unlock();
    if (m_thread.joinable())
        m_thread.join(); // the reader is the writer's again
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
    return false;
}

} // namespace zarvik
