// The tab-separated reader, and the bounded line it makes of each translation.
#include "ArticleCleaner.h"
#include "FuzzInput.h"
#include "ImportError.h"
#include "TsvSource.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::writeFile(fuzz::scratchPath(QStringLiteral("t.tsv")),
                    QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        const SourceData source = readTsv(fuzz::scratchPath(QStringLiteral("t.tsv")));
        const ArticleCleaner cleaner;
        for (const SourceEntry& e : source.entries)
            if (cleaner.boundedLine(e.article).contains(QLatin1Char('\n')))
                __builtin_trap(); // the strip shows one line
    } catch (const ImportError&) {
    }
    return 0;
}
