#include "platform/ProcFs.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace zarvik {

namespace {

// Route flags of the kernel (linux/route.h).
constexpr quint32 kRouteUp = 0x0001;
constexpr quint32 kRouteReject = 0x0200;

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // /proc files report size 0; read until the end.
    return file.readAll();
}

QList<QByteArray> fields(const QByteArray& line)
{
    return line.simplified().split(' ');
}

bool routeUsable(const QByteArray& iface, const QByteArray& flagsHex)
{
    bool ok = false;
    const quint32 flags = flagsHex.toUInt(&ok, 16);
    return ok && iface != "lo" && (flags & kRouteUp) && !(flags & kRouteReject);
}

} // namespace

ProcFs::ProcFs(QString root) : m_root(std::move(root)) {}

QString ProcFs::exeName(qint64 pid) const
{
    if (pid <= 0)
        return QString();
    const QByteArray link = QFile::encodeName(m_root + QLatin1Char('/') + QString::number(pid) + "/exe");
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target);
    if (n <= 0 || n >= ssize_t(sizeof target))
        return QString();
    QString path = QFile::decodeName(QByteArray(target, int(n)));
    static const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return QFileInfo(path).fileName();
}

bool ProcFs::hasDefaultRoute() const
{
    return defaultRouteIn(readSmallFile(m_root + "/net/route"), readSmallFile(m_root + "/net/ipv6_route"));
}

bool ProcFs::defaultRouteIn(const QByteArray& ipv4Routes, const QByteArray& ipv6Routes)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ... (first line is a header)
    const QList<QByteArray> v4 = ipv4Routes.split('\n');
    for (qsizetype i = 1; i < v4.size(); ++i) {
        const QList<QByteArray> f = fields(v4[i]);
        if (f.size() >= 8 && f[1] == "00000000" && f[7] == "00000000" && routeUsable(f[0], f[3]))
            return true;
    }
    // Destination PrefixLen Source SrcPrefixLen NextHop Metric RefCnt Use Flags Iface
    for (const QByteArray& line : ipv6Routes.split('\n')) {
        const QList<QByteArray> f = fields(line);
        if (f.size() >= 10 && f[0] == QByteArray(32, '0') && f[1] == "00" && routeUsable(f[9], f[8]))
            return true;
    }
    return false;
}

} // namespace zarvik
