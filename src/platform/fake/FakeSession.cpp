#include "platform/fake/FakeSession.h"

namespace zarvik {

namespace {
QString registryKey(const QString& subkey, const QString& valueName)
{
    return subkey + QChar(0) + valueName;
}
} // namespace

void FakeSession::setRegistryValue(const QString& subkey, const QString& valueName, const QString& value)
{
    m_registry[registryKey(subkey, valueName)] = value;
}

QString FakeSession::registryValue(const QString& subkey, const QString& valueName) const
{
    return m_registry.value(registryKey(subkey, valueName));
}

QString FakeSession::readRegString(const QString& subkey, const QString& valueName)
{
    m_log.append(QStringLiteral("reg-read"));
    return m_registry.value(registryKey(subkey, valueName));
}

void FakeSession::writeRegString(const QString& subkey, const QString& valueName, const QString& value)
{
    m_registryWrites.append({subkey, valueName, value});
    m_log.append(QStringLiteral("reg-write:") + value);
    m_registry[registryKey(subkey, valueName)] = value;
}

void FakeSession::processEvents()
{
    ++m_dispatches;
    m_clock += m_secondsPerDispatch;
    eventsDispatched();
    if (m_onDispatch)
        m_onDispatch();
}

} // namespace zarvik
