#include "dictionary/FoldedKey.h"

namespace zarvik {

QString foldedKey(const QString& text)
{
    return text.toCaseFolded();
}

QByteArray foldedKeyUtf8(const QString& text)
{
    return foldedKey(text).toUtf8();
}

} // namespace zarvik
