#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zarvik {

// Everything a clipboard offered at one moment: each target (format) with the bytes its owner
// gave for it, exactly as given, so that it can be offered again unchanged.
struct ClipboardSnapshot {
    struct Entry {
        QByteArray target; // the target's name, e.g. "image/png", "UTF8_STRING"
        QByteArray type;   // the type the owner answered with (for TEXT, the text's encoding)
        int format = 8;    // 8, 16 or 32 bits per item
        // The items as Xlib hands them over (32-bit items as longs): the same form goes back.
        QByteArray data;
    };
    QList<Entry> entries;
    // The TARGETS list exactly as the owner gave it (names, in its order), so that the
    // clipboard put back offers what it offered; empty for a snapshot made from a text.
    QList<QByteArray> offered;

    qint64 totalBytes() const;
    const Entry* find(const QByteArray& target) const;

    // What plain text is offered as. STRING is Latin-1 by definition, so it is offered only
    // when the text is Latin-1 through and through: a lossy copy is worse than none.
    static ClipboardSnapshot fromText(const QString& text);
    // Targets that describe or act on the selection instead of holding its content; they are
    // not read into a snapshot (the owner of the copy answers them itself).
    static bool isMetaTarget(const QByteArray& target);

    // A byte form for handing the snapshot to another process, and back; false for bytes that
    // are not one.
    QByteArray serialize() const;
    static bool deserialize(const QByteArray& bytes, ClipboardSnapshot* snapshot);

    // Most a snapshot keeps. Beyond it a capture leaves the clipboard alone (see ClickWatcher):
    // it is many times any text a word is captured from, and room for large pictures.
    static constexpr qint64 kMaxBytes = qint64(128) * 1024 * 1024;
};

} // namespace zarvik
