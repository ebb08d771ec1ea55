// The dictd reader on an index file and its article file (plain, or gzip when the second
// part starts with the gzip magic, so the dictzip path is reached too).
#include "DictdSource.h"
#include "FuzzInput.h"
#include "ImportError.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> files = fuzz::parts(data, size, 2);
    const bool gz = files[1].startsWith("\x1f\x8b");
    QFile::remove(fuzz::scratchPath(QStringLiteral("d.dict")));
    QFile::remove(fuzz::scratchPath(QStringLiteral("d.dict.dz")));
    fuzz::writeFile(fuzz::scratchPath(QStringLiteral("d.index")), files[0]);
    fuzz::writeFile(fuzz::scratchPath(gz ? QStringLiteral("d.dict.dz") : QStringLiteral("d.dict")), files[1]);
    try {
        const SourceData source = readDictd(fuzz::scratchPath(QStringLiteral("d.index")));
        for (const SourceEntry& e : source.entries) {
            if (!fuzz::soundHeadword(e.word))
                __builtin_trap();
            // An article is a piece of the article file: never more characters than it has bytes.
            if (!gz && e.article.size() > files[1].size())
                __builtin_trap();
        }
    } catch (const ImportError&) {
    }
    return 0;
}
