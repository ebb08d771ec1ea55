// The pattern matcher: a pattern, then a text; both of the ways a text reaches it.
#include "FuzzInput.h"
#include "dictionary/LikePattern.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> in = fuzz::parts(data, size, 2);
    const LikePattern pattern(QString::fromUtf8(in[0]));
    const QString text = QString::fromUtf8(in[1]);
    const bool asText = pattern.matches(text);
    // Raw bytes, which a foreign dictionary may hold, must only ever fail to match.
    pattern.matchesUtf8(in[1].constData(), int(in[1].size()));
    const QByteArray clean = text.toUtf8();
    if (asText != pattern.matchesUtf8(clean.constData(), int(clean.size())))
        __builtin_trap(); // the two ways must agree on valid text
    // Every match begins with the literal prefix (compared as text: a null and an empty
    // string are the same here).
    const QString prefix = pattern.literalPrefix();
    if (asText && text.left(prefix.size()) != prefix)
        __builtin_trap();
    return 0;
}
