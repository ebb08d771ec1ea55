// The StarDict reader on an .ifo, an .idx and a .dict file.
#include "FuzzInput.h"
#include "ImportError.h"
#include "StarDictSource.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> files = fuzz::parts(data, size, 3);
    fuzz::writeFile(fuzz::scratchPath(QStringLiteral("s.ifo")), files[0]);
    fuzz::writeFile(fuzz::scratchPath(QStringLiteral("s.idx")), files[1]);
    fuzz::writeFile(fuzz::scratchPath(QStringLiteral("s.dict")), files[2]);
    try {
        const SourceData source = readStarDict(fuzz::scratchPath(QStringLiteral("s.ifo")));
        for (const SourceEntry& e : source.entries)
            if (!fuzz::soundHeadword(e.word))
                __builtin_trap();
    } catch (const ImportError&) {
    }
    return 0;
}
