#pragma once

#include "platform/FileRegistry.h"
#include "platform/ProcFs.h"
#include "platform/SessionPort.h"

#include <chrono>

namespace zarvik {

// The session's services that need no display server: the registry-like store in a file,
// documents opened by the desktop's handlers, the network probe, the monotonic clock and the
// waits' event dispatch. A platform takes them in as its SessionPort.
class SessionServices : public virtual SessionPort {
public:
    explicit SessionServices(const QString& registryPath);

    QString readRegString(const QString& subkey, const QString& valueName) override;
    void writeRegString(const QString& subkey, const QString& valueName, const QString& value) override;
    bool internetConnected() override;
    void openDocument(const QString& pathOrUrl) override;
    double clockSeconds() override;
    void processEvents() override;

private:
    FileRegistry m_registry;
    ProcFs m_procFs;
    std::chrono::steady_clock::time_point m_lastDispatch; // of processEvents()
};

} // namespace zarvik
