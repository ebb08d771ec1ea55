#pragma once

#include <QByteArray>
#include <QString>

namespace zarvik {

// What the program learns from the kernel's /proc: the executable of a process and whether
// the machine has a route out. The root folder is injectable so tests can build a fake one.
class ProcFs final {
public:
    explicit ProcFs(QString root = QStringLiteral("/proc"));

    // File name (no folder) of the process's executable; "" when the process is gone or
    // not ours to look at. A replaced executable keeps its name (" (deleted)" is dropped).
    QString exeName(qint64 pid) const;

    // A default route through a non-loopback interface exists, IPv4 or IPv6.
    bool hasDefaultRoute() const;

    // The decision behind hasDefaultRoute(), on the text of net/route and net/ipv6_route.
    static bool defaultRouteIn(const QByteArray& ipv4Routes, const QByteArray& ipv6Routes);

private:
    QString m_root;
};

} // namespace zarvik
