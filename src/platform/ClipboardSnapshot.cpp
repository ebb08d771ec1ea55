#include "platform/ClipboardSnapshot.h"

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
    const QByteArray utf8Type = QByteArrayLiteral("UTF8_STRING");
    ClipboardSnapshot snapshot;
    snapshot.entries.append({utf8Type, utf8Type, 8, utf8});
    snapshot.entries.append({QByteArrayLiteral("text/plain;charset=utf-8"), utf8Type, 8, utf8});
    // TEXT lets the owner choose the encoding; the answer's type names it.
    snapshot.entries.append({QByteArrayLiteral("TEXT"), utf8Type, 8, utf8});
    const QByteArray latin1 = text.toLatin1();
    if (QString::fromLatin1(latin1) == text)
        snapshot.entries.append({QByteArrayLiteral("STRING"), QByteArrayLiteral("STRING"), 8, latin1});
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
