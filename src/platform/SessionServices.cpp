#include "platform/SessionServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include <thread>

namespace zarvik {

SessionServices::SessionServices(const QString& registryPath) : m_registry(registryPath) {}

QString SessionServices::readRegString(const QString& subkey, const QString& valueName)
{
    return m_registry.read(subkey, valueName);
}

void SessionServices::writeRegString(const QString& subkey, const QString& valueName, const QString& value)
{
    m_registry.write(subkey, valueName, value);
}

bool SessionServices::internetConnected()
{
    // Test runs set ZARVIK_OFFLINE so that the program never reaches out to its home page.
    if (qEnvironmentVariableIsSet("ZARVIK_OFFLINE"))
        return false;
    return m_procFs.hasDefaultRoute();
}

void SessionServices::openDocument(const QString& pathOrUrl)
{
    // An address with a scheme (http:, mailto:, file:) goes as it is; anything else is a path.
    const QUrl url(pathOrUrl, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1)
        QDesktopServices::openUrl(url);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(pathOrUrl));
}

double SessionServices::clockSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SessionServices::processEvents()
{
    // The waits call this in a loop until their time is up; a short rest between dispatches
    // keeps them from spinning a core for the whole wait. A call on its own (the yield of the
    // start) dispatches at once.
    using namespace std::chrono;
    constexpr auto kRest = milliseconds(1);
    const auto sinceLast = steady_clock::now() - m_lastDispatch;
    if (sinceLast < kRest)
        std::this_thread::sleep_for(kRest - sinceLast);
    QCoreApplication::processEvents();
    m_lastDispatch = steady_clock::now();
}

} // namespace zarvik
