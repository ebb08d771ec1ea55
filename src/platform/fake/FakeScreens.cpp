#include "platform/fake/FakeScreens.h"

#include "platform/Monitors.h"

namespace zarvik {

QRect FakeScreens::screenGeometryAt(QPoint pixels)
{
    return Monitors::at(monitors(), pixels).geometry;
}

QList<Monitor> FakeScreens::monitors()
{
    if (m_monitors.isEmpty())
        return {Monitor{QRect(QPoint(0, 0), m_screen), true}};
    QList<Monitor> list;
    for (int i = 0; i < m_monitors.size(); ++i)
        list.append({m_monitors[i], i == m_primaryMonitor});
    return list;
}

} // namespace zarvik
