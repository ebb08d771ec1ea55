#include "dictionary/ArticleCodec.h"

#include <algorithm>
#include <zlib.h>

namespace zarvik::articles {

namespace {

constexpr char kVersion = '1';
constexpr char kBlockEnd = '\x1E';
constexpr char kFieldEnd = '\x1F';
constexpr char kEntryStart = '\x1D';

bool knownKind(char c)
{
    using K = ArticleBlock::Kind;
    for (K k : {K::Homonym, K::Transcription, K::Part, K::Sense, K::Subsense, K::Example, K::Idiom, K::Reference,
                K::Text})
        if (c == char(k))
            return true;
    return false;
}

// Raw deflate: no header and no checksum, which would cost ten bytes an article; the
// decoder checks what it gets instead.
constexpr int kWindowBits = -15;

QByteArrayView usableDictionary(QByteArrayView dictionary)
{
    return dictionary.size() > kMaxDictionaryBytes ? dictionary.last(kMaxDictionaryBytes) : dictionary;
}

} // namespace

QString storable(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return text;
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return out;
}

QByteArray encode(const Article& article)
{
    QByteArray out;
    out.append(kVersion);
    for (const ArticleBlock& b : article.blocks) {
        out.append(char(b.kind));
        out.append(storable(b.number).toUtf8());
        out.append(kFieldEnd);
        out.append(storable(b.text).toUtf8());
        if (!b.extra.isEmpty()) {
            out.append(kFieldEnd);
            out.append(storable(b.extra).toUtf8());
        }
        out.append(kBlockEnd);
    }
    return out;
}

std::optional<Article> decode(QByteArrayView text)
{
    if (text.isEmpty() || text.front() != kVersion || text.size() > kMaxTextBytes)
        return std::nullopt;
    Article article;
    qsizetype at = 1;
    while (at < text.size()) {
        const qsizetype end = text.indexOf(kBlockEnd, at);
        if (end < 0 || qsizetype(article.blocks.size()) >= kMaxBlocks)
            return std::nullopt; // cut short, or more blocks than any article has
        const QByteArrayView block = text.sliced(at, end - at);
        at = end + 1;
        if (block.isEmpty() || !knownKind(block.front()))
            return std::nullopt;
        ArticleBlock b;
        b.kind = ArticleBlock::Kind(block.front());
        QByteArrayView rest = block.sliced(1);
        QByteArrayView fields[3];
        int n = 0;
        while (true) {
            const qsizetype sep = rest.indexOf(kFieldEnd);
            if (n == 2 && sep >= 0)
                return std::nullopt; // a field too many
            fields[n++] = sep < 0 ? rest : rest.first(sep);
            if (sep < 0)
                break;
            rest = rest.sliced(sep + 1);
        }
        if (n < 2)
            return std::nullopt;
        b.number = QString::fromUtf8(fields[0]);
        b.text = QString::fromUtf8(fields[1]);
        b.extra = QString::fromUtf8(fields[2]);
        article.blocks.push_back(std::move(b));
    }
    return article;
}

QByteArray compress(QByteArrayView text, QByteArrayView dictionary)
{
    z_stream z{};
    // Level 4: with the dictionary, matching is most of the time an import spends on the
    // articles. On Mueller's groups level 9 takes four times as long for 7 % less, level 5
    // half as long again for 4 % less (2.98 against 3.10 MB).
    if (deflateInit2(&z, 4, Z_DEFLATED, kWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    const QByteArrayView dict = usableDictionary(dictionary);
    if (!dict.isEmpty())
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dict.data()), uInt(dict.size()));
    QByteArray out(qsizetype(deflateBound(&z, uLong(text.size()))), Qt::Uninitialized);
    z.next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray();
}

std::optional<QByteArray> inflate(QByteArrayView stored, QByteArrayView dictionary)
{
    if (stored.isEmpty() || stored.size() > kMaxStoredBytes)
        return std::nullopt;
    z_stream z{};
    if (inflateInit2(&z, kWindowBits) != Z_OK)
        return std::nullopt;
    const QByteArrayView dict = usableDictionary(dictionary);
    if (!dict.isEmpty() &&
        inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dict.data()), uInt(dict.size())) != Z_OK) {
        inflateEnd(&z);
        return std::nullopt;
    }
    z.next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(stored.data()));
    z.avail_in = uInt(stored.size());
    QByteArray out;
    int rc = Z_OK;
    // Grown in steps, so that a small article costs a small buffer and a bomb stops at the cap.
    qsizetype capacity = qMin<qsizetype>(kMaxTextBytes + 1, qMax<qsizetype>(4096, stored.size() * 8));
    for (;;) {
        out.resize(capacity);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + z.total_out);
        z.avail_out = uInt(capacity - qsizetype(z.total_out));
        rc = ::inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            break;
        if ((rc == Z_OK || rc == Z_BUF_ERROR) && z.avail_out == 0 && capacity <= kMaxTextBytes) {
            capacity = qMin<qsizetype>(kMaxTextBytes + 1, capacity * 2);
            continue;
        }
        break; // damaged, cut short, or larger than the cap
    }
    const qsizetype produced = qsizetype(z.total_out);
    inflateEnd(&z);
    if (rc != Z_STREAM_END || produced > kMaxTextBytes)
        return std::nullopt;
    out.truncate(produced);
    return out;
}

void appendToGroup(QByteArray& group, QByteArrayView key, qint64 seq, QByteArrayView transcription,
                   QByteArrayView text)
{
    group.append(kEntryStart);
    group.append(key);
    group.append(kFieldEnd);
    group.append(QByteArray::number(seq));
    group.append(kFieldEnd);
    group.append(transcription);
    group.append(kFieldEnd);
    group.append(text);
}

std::optional<GroupEntry> findInGroup(QByteArrayView group, QByteArrayView key, qint64 seq)
{
    const QByteArray seqText = QByteArray::number(seq);
    qsizetype at = 0;
    while (at < group.size()) {
        if (group[at] != kEntryStart)
            return std::nullopt;
        qsizetype end = group.indexOf(kEntryStart, at + 1);
        if (end < 0)
            end = group.size();
        QByteArrayView entry = group.sliced(at + 1, end - at - 1);
        at = end;
        QByteArrayView fields[3];
        bool whole = true;
        for (QByteArrayView& f : fields) {
            const qsizetype sep = entry.indexOf(kFieldEnd);
            if (sep < 0) {
                whole = false;
                break;
            }
            f = entry.first(sep);
            entry = entry.sliced(sep + 1);
        }
        if (!whole)
            return std::nullopt;
        if (fields[0] == key && fields[1] == seqText)
            return GroupEntry{fields[2], entry};
    }
    return std::nullopt;
}

} // namespace zarvik::articles
