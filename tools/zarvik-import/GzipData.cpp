#include "GzipData.h"

#include "ImportError.h"

#include <QFile>
#include <zlib.h>

namespace zarvik {

QByteArray gunzip(const QByteArray& data, const QString& what)
{
    QByteArray out;
    z_stream zs{};
    // 16 + MAX_WBITS: gzip framing only; dictzip's extra header field is skipped by zlib.
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
        throw ImportError(QStringLiteral("%1: cannot start decompression").arg(what));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    out.resize(qMax<qsizetype>(data.size() * 4, 4096));
    qsizetype produced = 0;
    int rc = Z_OK;
    while (true) {
        if (produced == out.size())
            out.resize(out.size() * 2);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        zs.avail_out = uInt(out.size() - produced);
        rc = inflate(&zs, Z_NO_FLUSH);
        produced = out.size() - zs.avail_out;
        if (rc == Z_STREAM_END) {
            if (zs.avail_in == 0)
                break;
            inflateReset(&zs); // another gzip member follows
            continue;
        }
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) {
            inflateEnd(&zs);
            throw ImportError(QStringLiteral("%1: compressed data is cut short").arg(what));
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            inflateEnd(&zs);
            throw ImportError(QStringLiteral("%1: not valid gzip/dictzip data (%2)")
                                  .arg(what, QString::fromLatin1(zs.msg ? zs.msg : "error")));
        }
    }
    inflateEnd(&zs);
    out.truncate(produced);
    return out;
}

QByteArray readDataFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(path, file.errorString()));
    const QByteArray raw = file.readAll();
    if (path.endsWith(QLatin1String(".gz")) || path.endsWith(QLatin1String(".dz")))
        return gunzip(raw, path);
    return raw;
}

} // namespace zarvik
