// The inflater of dictzip and gzip data.
#include "GzipData.h"
#include "ImportError.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        gunzip(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)), QStringLiteral("fuzz"));
    } catch (const ImportError&) {
    }
    return 0;
}
