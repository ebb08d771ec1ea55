// The inflater of dictzip and gzip data: any input must only ever fail cleanly, and the input
// itself, compressed by zlib into one or two gzip members, must come back byte for byte.
#include "GzipData.h"
#include "ImportError.h"

#include <zlib.h>

using namespace zarvik;

namespace {
// `data` as one gzip member, at the given compression level.
QByteArray gzipped(const QByteArray& data, int level)
{
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        __builtin_trap();
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END)
        __builtin_trap();
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        gunzip(input, QStringLiteral("fuzz"));
    } catch (const ImportError&) {
    }
    // Two members, as a file appended to by gzip holds them: both come back, in order.
    const qsizetype half = input.size() / 2;
    const QByteArray twoMembers = gzipped(input.left(half), 9) + gzipped(input.mid(half), 1);
    if (gunzip(twoMembers, QStringLiteral("fuzz")) != input)
        __builtin_trap();
    return 0;
}
