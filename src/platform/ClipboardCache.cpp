#include "platform/ClipboardCache.h"

#include <chrono>

namespace zarvik {

ClipboardCache::Ticket ClipboardCache::beginFetch() const
{
    std::lock_guard lock(m_mutex);
    return m_localWrites;
}

bool ClipboardCache::publish(Ticket ticket, const QString& text, qint64 process)
{
    {
        std::lock_guard lock(m_mutex);
        if (ticket != m_localWrites)
            return false;
        m_text = text;
        m_process = process;
        ++m_updates;
    }
    m_firstArrived.notify_all();
    std::lock_guard lock(m_listenerMutex);
    if (m_listener)
        m_listener();
    return true;
}

void ClipboardCache::setPublishListener(std::function<void()> listener)
{
    std::lock_guard lock(m_listenerMutex);
    m_listener = std::move(listener);
}

void ClipboardCache::writeLocal(const QString& text, qint64 process)
{
    {
        std::lock_guard lock(m_mutex);
        ++m_localWrites;
        m_text = text;
        m_process = process;
        ++m_updates;
    }
    m_firstArrived.notify_all();
}

QString ClipboardCache::text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

qint64 ClipboardCache::process() const
{
    std::lock_guard lock(m_mutex);
    return m_process;
}

quint64 ClipboardCache::updates() const
{
    std::lock_guard lock(m_mutex);
    return m_updates;
}

bool ClipboardCache::waitForFirst(int ms) const
{
    std::unique_lock lock(m_mutex);
    return m_firstArrived.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_updates > 0; });
}

} // namespace zarvik
