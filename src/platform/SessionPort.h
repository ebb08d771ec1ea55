#pragma once

#include <QString>

namespace zarvik {

// What the session offers besides the display: the registry-like store, documents, the
// network, the clock and the event loop.
class SessionPort {
public:
    virtual ~SessionPort() = default;

    // Registry-like string store: a missing value reads as "".
    virtual QString readRegString(const QString& subkey, const QString& valueName) = 0;
    // Registry-like string store: failures leave the store as it was, silently.
    virtual void writeRegString(const QString& subkey, const QString& valueName, const QString& value) = 0;
    // The machine believes it is online.
    virtual bool internetConnected() = 0;
    // Opens a file or an address with its default handler; the outcome is not reported.
    virtual void openDocument(const QString& pathOrUrl) = 0;
    // Monotonic clock in seconds (unaffected by midnight or clock changes).
    virtual double clockSeconds() = 0;
    // Dispatches pending window events once (used inside waits that loop on the clock).
    virtual void processEvents() = 0;
};

} // namespace zarvik
