#include "platform/fake/FakeClipboard.h"

#include <QCoreApplication>

namespace zarvik {

QString FakeClipboard::clipboardText()
{
    if (m_logClipboardReads)
        m_log.append(QStringLiteral("clipboard-read"));
    return m_clipboard;
}

void FakeClipboard::writeClipboardText(const QString& text)
{
    m_clipboardWrites.append(text);
    m_log.append(QStringLiteral("clipboard-write:") + text);
    m_clipboard = text;
    m_clipboardProcess = QCoreApplication::applicationPid();
    ++m_ownerChanges;
}

void FakeClipboard::saveClipboard()
{
    m_log.append(QStringLiteral("clipboard-save"));
    m_saveState = ClipboardSave::Pending;
    m_saveReadyAt = m_dispatches + m_savePendingDispatches;
}

ClipboardSave FakeClipboard::clipboardSaveState()
{
    if (m_saveState == ClipboardSave::Pending && m_dispatches >= m_saveReadyAt) {
        // Read fresh when it completes, as the real save reads from the owner of that moment.
        m_saveState = m_saveResult;
        m_saved = m_saveState == ClipboardSave::Saved ? m_clipboard : QString();
    }
    return m_saveState;
}

void FakeClipboard::restoreClipboard(const QString& text)
{
    // Recorded as a write of the text that was saved (or, without a save, the given one);
    // what else a saved clipboard held is the real platform's business. An empty clipboard
    // saved stays empty: nobody owns it.
    m_log.append(QStringLiteral("clipboard-restore"));
    if (m_saveState != ClipboardSave::Saved) {
        writeClipboardText(text);
        return;
    }
    writeClipboardText(m_saved);
    if (m_saved.isEmpty())
        m_clipboardProcess = 0;
}

void FakeClipboard::copyPrimarySelection()
{
    m_log.append(QStringLiteral("primary-copy"));
    if (!m_primary.isEmpty())
        writeClipboardText(m_primary);
}

void FakeClipboard::clipboardEventsDispatched()
{
    ++m_dispatches;
    clipboardSaveState();
}

} // namespace zarvik
