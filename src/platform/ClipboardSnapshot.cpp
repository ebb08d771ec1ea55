#include "platform/ClipboardSnapshot.h"
#include "platform/TextFormats.h"

#include <QDataStream>
#include <QIODevice>

namespace zarvik {

qint64 ClipboardSnapshot::totalBytes() const
{
    qint64 total = 0;
    for (const Entry& entry : entries)
        total += entry.data.size();
    return total;
}

const ClipboardSnapshot::Entry* ClipboardSnapshot::find(const QByteArray& target) const
{
    for (const Entry& entry : entries) {
        if (entry.target == target)
            return &entry;
    }
    return nullptr;
}

ClipboardSnapshot ClipboardSnapshot::fromText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const QByteArray latin1 = text.toLatin1();
    const bool latin1Whole = QString::fromLatin1(latin1) == text;
    QByteArray utf8Type;
    ClipboardSnapshot snapshot;
    // In the order the text forms are preferred in, so that a requestor that takes the first
    // form it knows from our list of targets takes the best.
    for (const TextFormat& form : kTextFormats) {
        switch (form.encoding) {
        case TextEncoding::Utf8:
            utf8Type = form.x11Target;
            snapshot.entries.append({utf8Type, utf8Type, 8, utf8});
            snapshot.entries.append({form.mimeType, utf8Type, 8, utf8});
            break;
        case TextEncoding::Latin1:
            if (latin1Whole)
                snapshot.entries.append({form.x11Target, form.x11Target, 8, latin1});
            break;
        case TextEncoding::OwnersChoice:
            // We choose UTF-8; the answer's type names it.
            snapshot.entries.append({form.x11Target, utf8Type, 8, utf8});
            break;
        }
    }
    return snapshot;
}

namespace {
constexpr quint32 kMagic = 0x5a434c50; // "ZCLP"
} // namespace

QByteArray ClipboardSnapshot::serialize() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << offered << quint32(entries.size());
    for (const Entry& entry : entries)
        out << entry.target << entry.type << qint32(entry.format) << entry.data;
    return bytes;
}

bool ClipboardSnapshot::deserialize(const QByteArray& bytes, ClipboardSnapshot* snapshot)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, count = 0;
    ClipboardSnapshot result;
    in >> magic >> result.offered >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic)
        return false;
    for (quint32 i = 0; i < count; ++i) {
        Entry entry;
        qint32 format = 0;
        in >> entry.target >> entry.type >> format >> entry.data;
        if (in.status() != QDataStream::Ok || (format != 8 && format != 16 && format != 32))
            return false;
        entry.format = format;
        result.entries.append(entry);
    }
    if (!in.atEnd())
        return false;
    *snapshot = result;
    return true;
}

bool ClipboardSnapshot::isMetaTarget(const QByteArray& target)
{
    static const QByteArray kMeta[] = {
        QByteArrayLiteral("TARGETS"),          QByteArrayLiteral("MULTIPLE"),
        QByteArrayLiteral("TIMESTAMP"),        QByteArrayLiteral("SAVE_TARGETS"),
        QByteArrayLiteral("DELETE"),           QByteArrayLiteral("INSERT_SELECTION"),
        QByteArrayLiteral("INSERT_PROPERTY"),  QByteArrayLiteral("CLIENT_WINDOW"),
        QByteArrayLiteral("HOST_NAME"),        QByteArrayLiteral("USER"),
        QByteArrayLiteral("PROCESS"),          QByteArrayLiteral("TASK"),
        QByteArrayLiteral("LENGTH"),
    };
    for (const QByteArray& meta : kMeta) {
        if (target == meta)
            return true;
    }
    return false;
}

} // namespace zarvik
