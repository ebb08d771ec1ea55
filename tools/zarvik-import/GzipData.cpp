#include "GzipData.h"

#include "ImportError.h"

#include <QBuffer>
#include <QDir>
#include <functional>
#include <zlib.h>

namespace zarvik {

namespace {

// Inflates every gzip member of `in` and hands the output to `sink` piece by piece.
void inflateStream(QIODevice& in, const std::function<void(const char*, qsizetype)>& sink, const QString& what,
                   quint64 limit)
{
    z_stream zs{};
    // 16 + MAX_WBITS: gzip framing only; dictzip's extra header field is skipped by zlib.
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
        throw ImportError(QStringLiteral("%1: cannot start decompression").arg(what));
    struct End {
        z_stream* zs;
        ~End() { inflateEnd(zs); }
    } end{&zs};
    QByteArray input(64 * 1024, Qt::Uninitialized), output(256 * 1024, Qt::Uninitialized);
    quint64 produced = 0;
    bool inMember = true; // inside a gzip member that has not ended yet
    while (true) {
        if (zs.avail_in == 0) {
            const qint64 n = in.read(input.data(), input.size());
            if (n < 0)
                throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(what, in.errorString()));
            if (n == 0) {
                if (inMember)
                    throw ImportError(QStringLiteral("%1: compressed data is cut short").arg(what));
                return;
            }
            zs.next_in = reinterpret_cast<Bytef*>(input.data());
            zs.avail_in = uInt(n);
        }
        if (!inMember) {
            inflateReset(&zs); // another gzip member follows
            inMember = true;
        }
        zs.next_out = reinterpret_cast<Bytef*>(output.data());
        zs.avail_out = uInt(output.size());
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            throw ImportError(QStringLiteral("%1: not valid gzip/dictzip data (%2)")
                                  .arg(what, QString::fromLatin1(zs.msg ? zs.msg : "error")));
        const qsizetype n = output.size() - qsizetype(zs.avail_out);
        produced += quint64(n);
        if (produced > limit)
            throw ImportError(QStringLiteral("%1: inflates to more than %2 bytes; refused as no dictionary")
                                  .arg(what, QString::number(limit)));
        if (n > 0)
            sink(output.constData(), n);
        if (rc == Z_STREAM_END)
            inMember = false;
    }
}

} // namespace

bool readLineBounded(QIODevice& in, QByteArray& line, qint64 max, bool* cut)
{
    line.clear();
    *cut = false;
    char chunk[16 * 1024];
    bool any = false;
    while (true) {
        const qint64 n = in.readLine(chunk, sizeof chunk);
        if (n <= 0)
            break;
        any = true;
        const qint64 room = max - line.size();
        if (n <= room) {
            line.append(chunk, qsizetype(n));
        } else {
            line.append(chunk, qsizetype(qMax<qint64>(room, 0)));
            *cut = true;
        }
        if (chunk[n - 1] == '\n')
            break;
    }
    return any;
}

QByteArray gunzip(const QByteArray& data, const QString& what, quint64 limit)
{
    QByteArray raw = data;
    QBuffer in(&raw);
    in.open(QIODevice::ReadOnly);
    QByteArray out;
    inflateStream(in, [&out](const char* bytes, qsizetype n) { out.append(bytes, n); }, what, limit);
    return out;
}

DataFile::DataFile(const QString& path, const SourceLimits& limits) : m_path(path), m_plain(path)
{
    if (!m_plain.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(path, m_plain.errorString()));
    if (!path.endsWith(QLatin1String(".gz")) && !path.endsWith(QLatin1String(".dz"))) {
        m_device = &m_plain;
        m_size = quint64(m_plain.size());
        return;
    }
    m_inflated = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("zarvik-import-XXXXXX")));
    if (!m_inflated->open())
        throw ImportError(QStringLiteral("%1: no temporary file to inflate it into (%2)")
                              .arg(path, m_inflated->errorString()));
    inflateStream(
        m_plain,
        [this, &path](const char* bytes, qsizetype n) {
            if (m_inflated->write(bytes, n) != n)
                throw ImportError(QStringLiteral("%1: cannot inflate it into %2 (%3)")
                                      .arg(path, m_inflated->fileName(), m_inflated->errorString()));
        },
        path, limits.maxInflatedBytes);
    if (!m_inflated->flush())
        throw ImportError(QStringLiteral("%1: cannot inflate it (%2)").arg(path, m_inflated->errorString()));
    m_plain.close();
    m_device = m_inflated.get();
    m_size = quint64(m_inflated->size());
}

QByteArray DataFile::read(quint64 offset, qint64 length)
{
    QByteArray out(length, Qt::Uninitialized);
    if (!m_device->seek(qint64(offset)) || m_device->read(out.data(), length) != length)
        throw ImportError(QStringLiteral("%1: cannot read %2 bytes at %3").arg(m_path, QString::number(length),
                                                                                 QString::number(offset)));
    return out;
}

QIODevice& DataFile::stream()
{
    m_device->seek(0);
    return *m_device;
}

} // namespace zarvik
