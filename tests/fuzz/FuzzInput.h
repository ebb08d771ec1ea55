#pragma once

// Helpers shared by the fuzz targets: how one input is cut into the several files a source
// format needs, and where those files are written.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

namespace zarvik::fuzz {

// Parts of one input are separated by this line; the committed corpus files use it too.
inline const QByteArray kSeparator = QByteArrayLiteral("\n@@@@\n");

// The input cut at the separators into exactly `count` parts (the last takes the rest,
// missing parts are empty).
inline QList<QByteArray> parts(const uint8_t* data, size_t size, int count)
{
    const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> out;
    qsizetype from = 0;
    for (int i = 0; i < count - 1; ++i) {
        const qsizetype at = all.indexOf(kSeparator, from);
        if (at < 0)
            break;
        out << all.mid(from, at - from);
        from = at + kSeparator.size();
    }
    out << all.mid(from);
    while (out.size() < count)
        out << QByteArray();
    return out;
}

// A folder of our own for the whole run, emptied of the last input's files on every call.
inline QString scratchPath(const QString& name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

// The rule every reader keeps for the headwords it hands on: each is one non-empty line and
// one field of a tab-separated report.
inline bool soundHeadword(const QString& word)
{
    return !word.trimmed().isEmpty() && !word.contains(QLatin1Char('\t')) && !word.contains(QLatin1Char('\n'));
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace zarvik::fuzz
