#pragma once

#include "platform/SessionPort.h"
#include "platform/fake/FakeLog.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>

namespace zarvik {

// The fake platform's registry-like store, documents, network, clock and event loop.
class FakeSession : public virtual SessionPort, public virtual FakeLog {
public:
    struct RegistryWrite {
        QString subkey, valueName, value;
    };

    void setRegistryValue(const QString& subkey, const QString& valueName, const QString& value);
    // Current value of the registry-like store ("" when missing), without logging a read.
    QString registryValue(const QString& subkey, const QString& valueName) const;
    void setInternetConnected(bool online) { m_online = online; }
    void advanceClock(double seconds) { m_clock += seconds; }
    // Seconds that each processEvents() call lets pass (so waits end in tests).
    void setSecondsPerEventDispatch(double seconds) { m_secondsPerDispatch = seconds; }
    // Runs inside every processEvents(), e.g. to fire another timer during a wait.
    void onProcessEvents(std::function<void()> action) { m_onDispatch = std::move(action); }

    const QList<RegistryWrite>& registryWrites() const { return m_registryWrites; }
    const QStringList& openedDocuments() const { return m_opened; }
    int eventDispatches() const { return m_dispatches; }

    QString readRegString(const QString& subkey, const QString& valueName) override;
    void writeRegString(const QString& subkey, const QString& valueName, const QString& value) override;
    bool internetConnected() override { return m_online; }
    void openDocument(const QString& pathOrUrl) override { m_opened.append(pathOrUrl); }
    double clockSeconds() override { return m_clock; }
    void processEvents() override;

protected:
    // What the other parts do on each dispatch, before the test's own action runs.
    virtual void eventsDispatched() {}

private:
    QHash<QString, QString> m_registry;
    QList<RegistryWrite> m_registryWrites;
    QStringList m_opened;
    bool m_online = false;
    double m_clock = 1000.0;
    double m_secondsPerDispatch = 0.01;
    int m_dispatches = 0;
    std::function<void()> m_onDispatch;
};

} // namespace zarvik
