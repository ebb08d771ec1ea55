#include "platform/fake/FakePlatform.h"

#include "platform/Monitors.h"

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
    if (m_saveState == ClipboardSave::Pending && m_dispatches >= m_saveReadyAt)
        m_saveState = m_saveResult;
    return m_saveState;
}

void FakePlatform::restoreClipboard(const QString& text)
{
    // Recorded as a write of the text; what else a saved clipboard held is the real
    // platform's business.
    m_log.append(QStringLiteral("clipboard-restore"));
    writeClipboardText(text);
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
    if (m_onDispatch)
        m_onDispatch();
}

} // namespace zarvik
