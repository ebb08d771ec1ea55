#pragma once

// A small file system of its own (a 64 KiB tmpfs), filled to the last byte, for the tests of
// what a write does on a full disk. Mounting takes root (as in CI); elsewhere the test says
// why it is skipped.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class FullFileSystem {
public:
    FullFileSystem()
    {
        if (!m_dir.isValid())
            return;
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), QStringLiteral("size=64k"),
                     QStringLiteral("tmpfs"), m_dir.path()});
        m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
        if (!m_mounted)
            m_why = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    // Why there is none: mount's own words.
    QString why() const { return m_why.isEmpty() ? QStringLiteral("mount failed") : m_why; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Takes every byte left: true when a write of one more byte fails.
    bool fill()
    {
        QFile filler(m_dir.filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};
