#include "StarDictSource.h"

#include "GzipData.h"
#include "ImportError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

namespace zarvik {

namespace {

QString unescapeEntities(QString text)
{
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = numeric.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        bool ok = false;
        const uint cp = m.captured(2).toUInt(&ok, m.captured(1).isEmpty() ? 10 : 16);
        out += QStringView(text).mid(last, m.capturedStart() - last);
        if (ok && cp > 0 && cp <= 0x10FFFF) {
            const char32_t c = cp;
            out += QString::fromUcs4(&c, 1);
        }
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&nbsp;"), QLatin1String(" "))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return out;
}

// Markup (Pango, XDXF, HTML) to plain text: line-breaking tags become line breaks, an XDXF
// transcription becomes [..], other tags go.
QString stripMarkup(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("<(br\\s*/?|/p|/div|/li|/def)>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression trOpen(QStringLiteral("<tr>"));
    static const QRegularExpression trClose(QStringLiteral("</tr>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral("\n"));
    text.replace(trOpen, QStringLiteral("["));
    text.replace(trClose, QStringLiteral("]"));
    text.replace(tag, QString());
    return unescapeEntities(text);
}

QString fieldText(char type, const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    switch (type) {
    case 'm':
    case 'l':
    case 'w':
        return text;
    case 't':
    case 'y':
        return QStringLiteral("[") + text + QStringLiteral("]");
    case 'g':
    case 'x':
    case 'h':
    case 'k':
        return stripMarkup(text);
    default:
        return {};
    }
}

bool isTextType(char type)
{
    return type >= 'a' && type <= 'z';
}

} // namespace

QString starDictArticle(const QByteArray& block, const QByteArray& sameTypeSequence)
{
    QStringList parts;
    qsizetype pos = 0;
    const qsizetype n = block.size();
    // Reads one field of `type` at pos; `last` fields of a same-type sequence run to the end.
    auto readField = [&](char type, bool last) -> bool {
        QByteArray bytes;
        if (isTextType(type)) {
            qsizetype end = last ? n : block.indexOf('\0', pos);
            if (end < 0)
                end = n;
            bytes = block.mid(pos, end - pos);
            pos = end + 1;
        } else if (last) {
            bytes = block.mid(pos);
            pos = n;
        } else {
            if (n - pos < 4)
                return false;
            const quint32 size = qFromBigEndian<quint32>(block.constData() + pos);
            pos += 4;
            if (quint64(size) > quint64(n - pos))
                return false;
            bytes = block.mid(pos, size);
            pos += size;
        }
        if (isTextType(type)) {
            const QString text = fieldText(type, bytes).trimmed();
            if (!text.isEmpty())
                parts << text;
        }
        return true;
    };
    if (!sameTypeSequence.isEmpty()) {
        for (qsizetype k = 0; k < sameTypeSequence.size() && pos <= n; ++k)
            if (!readField(sameTypeSequence[k], k + 1 == sameTypeSequence.size()))
                break;
    } else {
        while (pos < n) {
            const char type = block[pos++];
            if (!readField(type, false))
                break;
        }
    }
    return parts.join(QLatin1Char('\n'));
}

StarDictSource::StarDictSource(const QString& ifoPath, const SourceLimits& limits)
    : IndexedSource(ifoPath, limits)
{
    const QString base = ifoPath.left(ifoPath.size() - int(qstrlen(".ifo")));
    QFile ifoFile(ifoPath);
    if (!ifoFile.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("%1: cannot read (%2)").arg(ifoPath, ifoFile.errorString()));
    const QStringList ifoLines = QString::fromUtf8(ifoFile.read(1 << 20)) /* a few lines; more is no .ifo */.split(QLatin1Char('\n'));
    if (ifoLines.isEmpty() || ifoLines.front().trimmed() != QLatin1String("StarDict's dict ifo file"))
        throw ImportError(QStringLiteral("%1: not a StarDict .ifo file (first line)").arg(ifoPath));
    QMap<QString, QString> info;
    for (const QString& line : ifoLines.mid(1)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            info.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    bool ok = false;
    const qint64 wordCount = info.value(QStringLiteral("wordcount")).toLongLong(&ok);
    if (!ok || wordCount <= 0)
        throw ImportError(QStringLiteral("%1: no valid wordcount").arg(ifoPath));
    const QString bitsText = info.value(QStringLiteral("idxoffsetbits"), QStringLiteral("32"));
    if (bitsText != QLatin1String("32") && bitsText != QLatin1String("64"))
        throw ImportError(QStringLiteral("%1: idxoffsetbits must be 32 or 64, not %2").arg(ifoPath, bitsText));
    const int offsetBytes = bitsText == QLatin1String("64") ? 8 : 4;
    m_sameTypes = info.value(QStringLiteral("sametypesequence")).toLatin1();

    auto find = [&](const QStringList& suffixes) {
        for (const QString& s : suffixes)
            if (QFileInfo(base + s).isFile())
                return base + s;
        throw ImportError(QStringLiteral("%1: no %2 beside it").arg(ifoPath, base + suffixes.front()));
    };
    const QString idxPath = find({QStringLiteral(".idx"), QStringLiteral(".idx.gz")});
    const QString dictPath = find({QStringLiteral(".dict"), QStringLiteral(".dict.dz")});
    const std::unique_ptr<DataFile> idx = openFile(idxPath);
    const quint64 dictSize = openData(dictPath);

    if (info.contains(QStringLiteral("idxfilesize"))) {
        const qint64 expected = info.value(QStringLiteral("idxfilesize")).toLongLong(&ok);
        if (!ok || quint64(expected) != idx->size())
            throw ImportError(QStringLiteral("%1: %2 bytes, but the .ifo says idxfilesize=%3")
                                  .arg(idxPath, QString::number(idx->size()), info.value(QStringLiteral("idxfilesize"))));
    }

    // The .idx is read once, in pieces: a headword, its NUL, the offset and the size.
    QIODevice& in = idx->stream();
    QByteArray buffer;
    qsizetype pos = 0;
    qint64 count = 0;
    const qsizetype tail = offsetBytes + 4;
    auto fill = [&]() {
        buffer.remove(0, pos);
        pos = 0;
        const QByteArray more = in.read(1 << 20);
        buffer += more;
        return !more.isEmpty();
    };
    while (true) {
        qsizetype end = buffer.indexOf('\0', pos);
        // A headword is at most a few hundred bytes: no NUL in far more than that is no index,
        // and must not make the buffer grow to the whole file.
        while ((end < 0 || buffer.size() - (end + 1) < tail) && buffer.size() - pos < 8192 && fill())
            end = buffer.indexOf('\0', pos);
        if (pos >= buffer.size())
            break;
        if (end < 0 || buffer.size() - (end + 1) < tail || end - pos > 4096)
            throw ImportError(QStringLiteral("%1: truncated after %2 entries").arg(idxPath, QString::number(count)));
        // A headword is one line of the dictionary and one field of the import report: a tab
        // or line break inside it (never in a sound dictionary) becomes a blank.
        QString word = QString::fromUtf8(buffer.constData() + pos, end - pos);
        for (QChar& c : word)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        word = word.trimmed();
        const char* p = buffer.constData() + end + 1;
        const quint64 offset =
            offsetBytes == 8 ? qFromBigEndian<quint64>(p) : quint64(qFromBigEndian<quint32>(p));
        const quint64 length = qFromBigEndian<quint32>(p + offsetBytes);
        pos = end + 1 + tail;
        ++count;
        if (offset > dictSize || length > dictSize - offset)
            throw ImportError(QStringLiteral("%1: entry \"%2\" points past the end of %3").arg(idxPath, word, dictPath));
        if (word.isEmpty()) {
            skip(QStringLiteral("empty headwords"));
            continue;
        }
        addEntry(word, offset, length);
    }
    if (count != wordCount)
        throw ImportError(
            QStringLiteral("%1 holds %2 entries, but the .ifo says wordcount=%3").arg(idxPath, QString::number(count), QString::number(wordCount)));
}

QString StarDictSource::articleText(const QByteArray& bytes) const
{
    return starDictArticle(bytes, m_sameTypes);
}

SourceData readStarDict(const QString& ifoPath)
{
    StarDictSource source(ifoPath);
    return readAll(source);
}

} // namespace zarvik
