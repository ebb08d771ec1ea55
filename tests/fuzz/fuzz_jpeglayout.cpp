// The walk over a JPEG file's markers that decides whether a skin picture may be decoded.
#include "skins/JpegLayout.h"

#include <QBuffer>

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    JpegLayout::read(buffer);
    return 0;
}
