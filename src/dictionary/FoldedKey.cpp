#include "dictionary/FoldedKey.h"

#include <sqlite3.h>

namespace zarvik {

QString foldedKey(const QString& text)
{
    return text.toCaseFolded();
}

QByteArray foldedKeyUtf8(const QString& text)
{
    return foldedKey(text).toUtf8();
}

QString russianKey(const QString& text)
{
    QString key = foldedKey(text);
    qsizetype out = 0;
    for (qsizetype i = 0; i < key.size(); ++i) {
        char16_t c = key[i].unicode();
        switch (c) {
        case 0x0300: // combining grave and acute: stress marks
        case 0x0301:
            continue;
        case 0x0451: // ё
        case 0x0450: // е with grave (a stressed е)
            c = 0x0435;
            break;
        case 0x045D: // и with grave
            c = 0x0438;
            break;
        default:
            break;
        }
        key[out++] = QChar(c);
    }
    key.truncate(out);
    return key;
}

QByteArray russianKeyUtf8(const QString& text)
{
    return russianKey(text).toUtf8();
}

void sqliteFoldFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray folded = foldedKeyUtf8(QString::fromUtf8(text, sqlite3_value_bytes(argv[0])));
    sqlite3_result_text(ctx, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

} // namespace zarvik
