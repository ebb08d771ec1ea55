#include "platform/fake/FakePlatform.h"

#include "platform/Monitors.h"

#include <QCoreApplication>

namespace zarvik {

namespace {
QString registryKey(const QString& subkey, const QString& valueName)
{
    return subkey + QChar(0) + valueName;
}
} // namespace

void FakePlatform::writeClipboardText(const QString& text)
{
    m_clipboardWrites.append(text);
    m_log.append(QStringLiteral("clipboard-write:") + text);
    m_clipboard = text;
    m_clipboardProcess = QCoreApplication::applicationPid();
    ++m_ownerChanges;
}

QRect FakePlatform::screenGeometryAt(QPoint pixels)
{
    return Monitors::at(monitors(), pixels).geometry;
}

QList<Monitor> FakePlatform::monitors()
{
    if (m_monitors.isEmpty())
        return {Monitor{QRect(QPoint(0, 0), m_screen), true}};
    QList<Monitor> list;
    for (int i = 0; i < m_monitors.size(); ++i)
        list.append({m_monitors[i], i == m_primaryMonitor});
    return list;
}

void FakePlatform::saveClipboard()
{
    m_log.append(QStringLiteral("clipboard-save"));
    m_saveState = ClipboardSave::Pending;
    m_saveReadyAt = m_dispatches + m_savePendingDispatches;
}

ClipboardSave FakePlatform::clipboardSaveState()
{
    if (m_saveState == ClipboardSave::Pending && m_dispatches >= m_saveReadyAt) {
        // Read fresh when it completes, as the real save reads from the owner of that moment.
        m_saveState = m_saveResult;
        m_saved = m_saveState == ClipboardSave::Saved ? m_clipboard : QString();
    }
    return m_saveState;
}

void FakePlatform::restoreClipboard(const QString& text)
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

void FakePlatform::undoCapsLockPress()
{
    m_log.append(QStringLiteral("caps-undo"));
}

void FakePlatform::copyPrimarySelection()
{
    m_log.append(QStringLiteral("primary-copy"));
    if (!m_primary.isEmpty())
        writeClipboardText(m_primary);
}

void FakePlatform::setRegistryValue(const QString& subkey, const QString& valueName, const QString& value)
{
    m_registry[registryKey(subkey, valueName)] = value;
}

QString FakePlatform::registryValue(const QString& subkey, const QString& valueName) const
{
    return m_registry.value(registryKey(subkey, valueName));
}

QString FakePlatform::windowExeName(WindowId window)
{
    ++m_exeLookups;
    return m_exeNames.value(window);
}

QPoint FakePlatform::cursorPos()
{
    m_log.append(QStringLiteral("cursor"));
    return m_pointer;
}

void FakePlatform::sendCopyKeystroke()
{
    ++m_sentKeys;
    m_log.append(QStringLiteral("keys:^{Insert}"));
    if (m_onCopy)
        m_onCopy();
}

QString FakePlatform::clipboardText()
{
    if (m_logClipboardReads)
        m_log.append(QStringLiteral("clipboard-read"));
    return m_clipboard;
}

QString FakePlatform::readRegString(const QString& subkey, const QString& valueName)
{
    m_log.append(QStringLiteral("reg-read"));
    return m_registry.value(registryKey(subkey, valueName));
}

void FakePlatform::writeRegString(const QString& subkey, const QString& valueName, const QString& value)
{
    m_registryWrites.append({subkey, valueName, value});
    m_log.append(QStringLiteral("reg-write:") + value);
    m_registry[registryKey(subkey, valueName)] = value;
}

void FakePlatform::openDocument(const QString& pathOrUrl)
{
    m_opened.append(pathOrUrl);
}

void FakePlatform::processEvents()
{
    ++m_dispatches;
    m_clock += m_secondsPerDispatch;
    // A save completes when its owner has answered, whether or not anyone asks: a copy made
    // after that is not in it.
    clipboardSaveState();
    if (m_onDispatch)
        m_onDispatch();
}

} // namespace zarvik
