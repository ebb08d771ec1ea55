#include "platform/FileRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>

namespace zarvik {

FileRegistry::FileRegistry(const QString& filePath) : m_path(filePath) {}

QString FileRegistry::defaultPath()
{
    // Beside the settings file (QSettings puts "Zarvik5" there as well).
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Zarvik5/registry.json");
}

FileRegistry::Signature FileRegistry::currentSignature() const
{
    Signature s;
    struct stat st {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

void FileRegistry::refresh()
{
    // One stat per call; the file is parsed again only when it changed on disk.
    const Signature now = currentSignature();
    if (m_loaded && now == m_signature)
        return;
    m_loaded = true;
    m_signature = now;
    m_keys.clear();
    if (!now.exists)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A damaged file reads as an empty store; the next write replaces it.
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    for (auto key = root.begin(); key != root.end(); ++key) {
        const QJsonObject values = key.value().toObject();
        Values& target = m_keys[key.key()];
        for (auto v = values.begin(); v != values.end(); ++v) {
            // Anything but a string is "another type" and reads as "", as it would from the
            // registry; it is kept out of the cache and so dropped by the next write.
            if (v.value().isString())
                target.insert(v.key(), v.value().toString());
        }
    }
}

QString FileRegistry::read(const QString& subkey, const QString& valueName)
{
    refresh();
    const auto key = m_keys.constFind(subkey);
    if (key == m_keys.cend())
        return QString();
    return key->value(valueName);
}

void FileRegistry::write(const QString& subkey, const QString& valueName, const QString& value)
{
    // Start from what is on disk now so that a value another instance wrote survives.
    refresh();
    QHash<QString, Values> next = m_keys;
    next[subkey].insert(valueName, value);

    QJsonObject root;
    for (auto key = next.cbegin(); key != next.cend(); ++key) {
        QJsonObject values;
        for (auto v = key->cbegin(); v != key->cend(); ++v)
            values.insert(v.key(), v.value());
        root.insert(key.key(), values);
    }

    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Written to a new file beside it and renamed over it only once all of it is written.
    // Unbuffered, so that a full disk fails the write here: a buffered write would fail only
    // in the flush that the commit makes, which the commit does not count as a failure, and
    // the empty new file would replace the old one.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return;
    }
    if (!file.commit())
        return; // the old file is untouched, and so is our copy of it
    m_keys = std::move(next);
    m_signature = currentSignature();
}

} // namespace zarvik
