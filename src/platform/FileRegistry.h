#pragma once

#include <QHash>
#include <QString>

namespace zarvik {

// The registry-like string store behind ReadRegString / WriteRegString: one small JSON file
// ({"subkey": {"value name": "text"}}) in the user's configuration folder.
//
// Contracts the callers rely on: a missing key or value reads as ""; a value reads back
// exactly as written (any text, the empty text, value name "" for a key's default value);
// a failed write leaves the file as it was and is not reported. Key and value names are
// compared exactly, letter case included: the program only ever uses the names it wrote.
class FileRegistry final {
public:
    explicit FileRegistry(const QString& filePath);

    // The file used when none is given: <config>/Zarvik5/registry.json.
    static QString defaultPath();

    QString read(const QString& subkey, const QString& valueName);
    void write(const QString& subkey, const QString& valueName, const QString& value);

    QString filePath() const { return m_path; }

private:
    // Identity of the file as last read; another instance replaces the file atomically, so a
    // new inode (or size / modification time) means our copy is stale.
    struct Signature {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        bool operator==(const Signature&) const = default;
    };
    using Values = QHash<QString, QString>;

    Signature currentSignature() const;
    void refresh();

    QString m_path;
    bool m_loaded = false;
    Signature m_signature;
    QHash<QString, Values> m_keys;
};

} // namespace zarvik
