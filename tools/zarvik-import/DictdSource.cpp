#include "DictdSource.h"

#include "ImportError.h"

#include <QFile>
#include <QFileInfo>

namespace zarvik {

bool decodeDictdNumber(QStringView text, quint64& value)
{
    if (text.isEmpty() || text.size() > 10) // 10 digits are 60 bits: more is no file offset
        return false;
    value = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        int d;
        if (u >= 'A' && u <= 'Z')
            d = u - 'A';
        else if (u >= 'a' && u <= 'z')
            d = u - 'a' + 26;
        else if (u >= '0' && u <= '9')
            d = u - '0' + 52;
        else if (u == '+')
            d = 62;
        else if (u == '/')
            d = 63;
        else
            return false;
        value = value * 64 + quint64(d);
    }
    return true;
}

DictdSource::DictdSource(const QString& indexPath, const SourceLimits& limits)
    : IndexedSource(indexPath, limits)
{
    const QString base = indexPath.left(indexPath.size() - int(qstrlen(".index")));
    QString dataPath;
    for (const QString& candidate : {base + QStringLiteral(".dict"), base + QStringLiteral(".dict.dz")})
        if (QFileInfo(candidate).isFile()) {
            dataPath = candidate;
            break;
        }
    if (dataPath.isEmpty())
        throw ImportError(QStringLiteral("%1: no data file beside it (%2.dict or %2.dict.dz)").arg(indexPath, base));
    const quint64 dataSize = openData(dataPath);

    QFile index(indexPath);
    if (!index.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(indexPath, index.errorString()));
    qint64 lineNo = 0;
    QByteArray bytes;
    bool cut = false;
    // An index line is a headword and two numbers; one longer than an article is no index
    // line, and is refused below as one without its numbers.
    while (readLineBounded(index, bytes, limits.maxArticleBytes, &cut)) {
        ++lineNo;
        const QString text = QString::fromUtf8(bytes);
        QStringView line(text);
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QList<QStringView> fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3)
            throw ImportError(QStringLiteral("%1 line %2: expected headword, offset and length separated by tabs")
                                  .arg(indexPath, QString::number(lineNo)));
        quint64 offset = 0, length = 0;
        if (!decodeDictdNumber(fields[1], offset) || !decodeDictdNumber(fields[2], length))
            throw ImportError(QStringLiteral("%1 line %2: bad base64 number in \"%3\"")
                                  .arg(indexPath, QString::number(lineNo), line.toString()));
        if (offset > dataSize || length > dataSize - offset)
            throw ImportError(QStringLiteral("%1 line %2: entry \"%3\" points past the end of %4 (%5 bytes)")
                                  .arg(indexPath, QString::number(lineNo), fields[0].toString(), dataPath,
                                       QString::number(dataSize)));
        QString word = fields[0].trimmed().toString();
        if (fields.size() >= 4 && !fields[3].trimmed().isEmpty())
            word = fields[3].trimmed().toString(); // the headword as written, when kept
        if (word.startsWith(QLatin1String("00-database-")) || word.startsWith(QLatin1String("00database"))) {
            skip(QStringLiteral("dictd meta entries"));
            continue;
        }
        if (word.isEmpty()) {
            skip(QStringLiteral("empty headwords"));
            continue;
        }
        addEntry(word, offset, length);
    }
    if (size() == 0)
        throw ImportError(QStringLiteral("%1: no entries").arg(indexPath));
}

SourceData readDictd(const QString& indexPath)
{
    DictdSource source(indexPath);
    return readAll(source);
}

} // namespace zarvik
