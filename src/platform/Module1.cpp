#include "platform/Module1.h"

namespace zarvik {

QString Module1::GetWindowExeName(Platform& platform, WindowId window)
{
    if (window == 0)
        return QString();
    return platform.windowExeName(window);
}

QString Module1::ReadRegString(Platform& platform, const QString& subkey, const QString& valueName)
{
    return platform.readRegString(subkey, valueName);
}

void Module1::WriteRegString(Platform& platform, const QString& subkey, const QString& valueName,
                             const QString& value)
{
    platform.writeRegString(subkey, valueName, value);
}

bool Module1::InternetCheck(Platform& platform)
{
    return platform.internetConnected();
}

bool isExcluded(const QString& programName, const QString& apps)
{
    return !apps.isEmpty() && apps.contains(programName, Qt::CaseSensitive);
}

} // namespace zarvik
