#include "TsvSource.h"

#include "GzipData.h"
#include "ImportError.h"

#include <QStringDecoder>

namespace zarvik {

QString cutArticlesReason(const SourceLimits& limits)
{
    return QStringLiteral("articles cut to their first %1 bytes").arg(limits.maxArticleBytes);
}

TsvReader::TsvReader(const QString& path, const SourceLimits& limits) : m_path(path), m_limits(limits), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(path, m_file.errorString()));
}

bool TsvReader::next(SourceEntry& entry)
{
    QByteArray bytes;
    bool cut = false;
    while (readLineBounded(m_file, bytes, m_limits.maxArticleBytes, &cut)) {
        ++m_lineNo;
        if (cut) {
            ++m_skipped[cutArticlesReason(m_limits)];
            // A cut in the middle of a character is no fault of the file's.
            while (!bytes.isEmpty() && (uchar(bytes.back()) & 0xC0) == 0x80)
                bytes.chop(1);
            if (!bytes.isEmpty() && uchar(bytes.back()) >= 0xC0)
                bytes.chop(1);
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = decoder.decode(bytes);
        if (decoder.hasError())
            throw ImportError(QStringLiteral("%1 line %2: not UTF-8 text").arg(m_path, QString::number(m_lineNo)));
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            ++m_skipped[QStringLiteral("lines without a tab")];
            continue;
        }
        QString word = line.left(tab).trimmed();
        if (word.isEmpty()) {
            ++m_skipped[QStringLiteral("empty headwords")];
            continue;
        }
        entry.word = std::move(word);
        entry.article = line.mid(tab + 1);
        ++m_entries;
        return true;
    }
    if (m_entries == 0)
        throw ImportError(QStringLiteral("%1: no entries (expected lines of headword TAB translation)").arg(m_path));
    return false;
}

SourceData readTsv(const QString& path)
{
    TsvReader reader(path);
    SourceData out;
    out.articles = false;
    SourceEntry entry;
    while (reader.next(entry))
        out.entries.push_back(entry);
    out.skipped = reader.skipped();
    return out;
}

} // namespace zarvik
