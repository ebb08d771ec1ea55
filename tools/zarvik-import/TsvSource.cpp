#include "TsvSource.h"

#include "ImportError.h"

#include <QFile>
#include <QStringDecoder>

namespace zarvik {

SourceData readTsv(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(path, file.errorString()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        throw ImportError(QStringLiteral("%1: not UTF-8 text").arg(path));

    SourceData out;
    out.articles = false;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            ++out.skipped[QStringLiteral("lines without a tab")];
            continue;
        }
        const QString word = line.left(tab).trimmed().toString();
        if (word.isEmpty()) {
            ++out.skipped[QStringLiteral("empty headwords")];
            continue;
        }
        out.entries.push_back(SourceEntry{word, line.mid(tab + 1).toString()});
    }
    if (out.entries.empty())
        throw ImportError(QStringLiteral("%1: no entries (expected lines of headword TAB translation)").arg(path));
    return out;
}

} // namespace zarvik
