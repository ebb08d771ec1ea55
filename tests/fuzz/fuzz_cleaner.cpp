// The article cleaner: headword, then the article.
#include "ArticleCleaner.h"
#include "FuzzInput.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> in = fuzz::parts(data, size, 2);
    const QString headword = QString::fromUtf8(in[0]);
    const QString article = QString::fromUtf8(in[1]);
    const ArticleCleaner cleaner(ArticleCleaner::kDefaultMaxLength);
    const QString line = cleaner.shortLine(headword, article);
    cleaner.fullLine(headword, article);
    if (line.contains(QLatin1Char('\n')))
        __builtin_trap(); // the strip shows one line
    return 0;
}
