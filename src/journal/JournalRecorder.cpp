#include "journal/JournalRecorder.h"

#include "journal/Journal.h"

#include <QDateTime>

namespace zarvik {

JournalRecorder::JournalRecorder(QString folder, std::function<bool()> enabled, std::function<qint64()> clock)
    : m_folder(std::move(folder)), m_enabled(std::move(enabled)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentSecsSinceEpoch(); };
    m_thread.setObjectName(QStringLiteral("journal"));
}

JournalRecorder::~JournalRecorder()
{
    if (m_thread.isRunning()) {
        flush();
        m_thread.quit();
        m_thread.wait();
    }
    // Deleted here, after its thread has ended.
    m_context.reset();
}

void JournalRecorder::wordShown(const QString& headword, const QString& line, LookupSource source)
{
    if (headword.isEmpty() || (m_enabled && !m_enabled()))
        return;
    if (!m_thread.isRunning()) {
        // Waiting for another copy's write may take the busy timeout; on this thread that
        // costs nothing the user sees.
        m_journal = std::make_unique<Journal>(m_folder, 2000);
        m_context = std::make_unique<QObject>();
        m_context->moveToThread(&m_thread);
        m_thread.start(QThread::LowPriority);
    }
    // The time is the moment the word was shown, not the moment it is written.
    const qint64 now = m_clock();
    Journal* journal = m_journal.get();
    QMetaObject::invokeMethod(
        m_context.get(), [journal, headword, line, source, now] { journal->record(headword, line, source, now); },
        Qt::QueuedConnection);
}

void JournalRecorder::flush()
{
    if (m_thread.isRunning())
        QMetaObject::invokeMethod(m_context.get(), [] {}, Qt::BlockingQueuedConnection);
}

} // namespace zarvik
