#include "../FullFileSystem.h"
#include "platform/FileRegistry.h"
#include "platform/Module1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using zarvik::FileRegistry;

class TestFileRegistry : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char* name = "registry.json") const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void missingReadsEmpty_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QString>("subkey");
        QTest::addColumn<QString>("valueName");
        QTest::newRow("no file at all") << false << zarvik::kDefaultSoundKey << QString();
        QTest::newRow("key missing") << true << QStringLiteral("Other\\Key") << QString();
        QTest::newRow("value missing") << true << QStringLiteral("Present") << QStringLiteral("absent");
        QTest::newRow("default value missing") << true << QStringLiteral("Present") << QString();
        QTest::newRow("name differs in case only") << true << QStringLiteral("present") << QStringLiteral("named");
    }
    void missingReadsEmpty()
    {
        QFETCH(bool, fileExists);
        QFETCH(QString, subkey);
        QFETCH(QString, valueName);
        const QString file = path(QTest::currentDataTag());
        if (fileExists)
            FileRegistry(file).write(QStringLiteral("Present"), QStringLiteral("named"), QStringLiteral("x"));
        FileRegistry registry(file);
        QCOMPARE(registry.read(subkey, valueName), QString());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("subkey");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("value");
        QTest::newRow("default sound key, default value")
            << zarvik::kDefaultSoundKey << QString() << QStringLiteral("/opt/zarvik/null.wav");
        QTest::newRow("empty text") << QStringLiteral("A\\B") << QStringLiteral("v") << QString();
        QTest::newRow("cyrillic and emoji")
            << QStringLiteral("Ключ\\Подключ") << QStringLiteral("имя") << QStringLiteral("перевод 😀 «ё»");
        QTest::newRow("backslashes and quotes in the value")
            << QStringLiteral("K") << QStringLiteral("v") << QStringLiteral("C:\\Windows\\Media\\\"ding\".wav");
        QTest::newRow("trailing backslash in key") << QStringLiteral("K\\") << QString() << QStringLiteral("t");
        QTest::newRow("leading and trailing spaces")
            << QStringLiteral(" K ") << QStringLiteral(" v ") << QStringLiteral("  two  ");
        QTest::newRow("newlines and tabs") << QStringLiteral("K") << QStringLiteral("v") << QStringLiteral("a\nb\tc\r\n");
        QTest::newRow("braces like json") << QStringLiteral("{}") << QStringLiteral("[]") << QStringLiteral("{\"a\":1}");
    }
    void roundTrip()
    {
        QFETCH(QString, subkey);
        QFETCH(QString, valueName);
        QFETCH(QString, value);
        const QString file = path(QTest::currentDataTag());
        FileRegistry writer(file);
        writer.write(subkey, valueName, QStringLiteral("overwritten"));
        writer.write(subkey, valueName, value);
        QCOMPARE(writer.read(subkey, valueName), value);
        // A fresh store (the next run of the program) reads the same from the file.
        QCOMPARE(FileRegistry(file).read(subkey, valueName), value);
    }

    void valuesOfOneKeyStaySeparate()
    {
        FileRegistry registry(path("separate.json"));
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("default"));
        registry.write(QStringLiteral("K"), QStringLiteral("named"), QStringLiteral("other"));
        registry.write(QStringLiteral("K\\Sub"), QString(), QStringLiteral("child"));
        QCOMPARE(registry.read(QStringLiteral("K"), QString()), QStringLiteral("default"));
        QCOMPARE(registry.read(QStringLiteral("K"), QStringLiteral("named")), QStringLiteral("other"));
        QCOMPARE(registry.read(QStringLiteral("K\\Sub"), QString()), QStringLiteral("child"));
    }

    void anotherInstancesWriteIsSeen()
    {
        const QString file = path("shared.json");
        FileRegistry first(file);
        FileRegistry second(file);
        first.write(QStringLiteral("K"), QString(), QStringLiteral("one"));
        QCOMPARE(second.read(QStringLiteral("K"), QString()), QStringLiteral("one"));
        // Same length, written at once: only the file's identity tells them apart.
        second.write(QStringLiteral("K"), QString(), QStringLiteral("two"));
        QCOMPARE(first.read(QStringLiteral("K"), QString()), QStringLiteral("two"));
        // A write keeps what the other instance stored meanwhile.
        first.write(QStringLiteral("L"), QString(), QStringLiteral("three"));
        QCOMPARE(second.read(QStringLiteral("K"), QString()), QStringLiteral("two"));
        QCOMPARE(second.read(QStringLiteral("L"), QString()), QStringLiteral("three"));
    }

    void writeIsAtomicAndLeavesNoTemporaries()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("sub/folder/registry.json"));
        FileRegistry registry(file);
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("v"));
        QVERIFY(QFileInfo::exists(file)); // the folder is created
        const QStringList entries = QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(entries, QStringList{QStringLiteral("registry.json")});
    }

    void damagedOrForeignFileReadsEmptyAndIsRepairedByAWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArray("garbage{");
        QTest::newRow("json array") << QByteArray("[1,2]");
        QTest::newRow("value of another type") << QByteArray("{\"K\": {\"\": 5}}");
        QTest::newRow("key of another type") << QByteArray("{\"K\": \"text\"}");
    }
    void damagedOrForeignFileReadsEmptyAndIsRepairedByAWrite()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QTest::currentDataTag());
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        FileRegistry registry(file);
        QCOMPARE(registry.read(QStringLiteral("K"), QString()), QString());
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("fixed"));
        QCOMPARE(FileRegistry(file).read(QStringLiteral("K"), QString()), QStringLiteral("fixed"));
    }

    void unwritableFolderFailsSilentlyAndKeepsTheOldValue()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind root");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("registry.json"));
        FileRegistry registry(file);
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("before"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("after"));
        QCOMPARE(registry.read(QStringLiteral("K"), QString()), QStringLiteral("before"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(FileRegistry(file).read(QStringLiteral("K"), QString()), QStringLiteral("before"));
    }

    // The saved default sound must survive a disk that fills up: the write fails, and the
    // file keeps its old bytes.
    void fullDiskKeepsTheOldFile()
    {
        FullFileSystem disk;
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("no small file system can be mounted here: ") + disk.why()));
        const QString file = disk.filePath(QStringLiteral("registry.json"));
        FileRegistry registry(file);
        registry.write(zarvik::kDefaultSoundKey, QString(), QStringLiteral("/usr/share/sounds/beep.oga"));
        const auto bytes = [&file] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        };
        const QByteArray before = bytes();
        QVERIFY(before.contains("beep.oga"));
        QVERIFY(disk.fill());

        registry.write(zarvik::kDefaultSoundKey, QString(), QStringLiteral("/opt/zarvik/null.wav"));
        QCOMPARE(bytes(), before);
        QCOMPARE(FileRegistry(file).read(zarvik::kDefaultSoundKey, QString()),
                 QStringLiteral("/usr/share/sounds/beep.oga"));
        QCOMPARE(registry.read(zarvik::kDefaultSoundKey, QString()), QStringLiteral("/usr/share/sounds/beep.oga"));
        const QStringList entries = QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(entries, (QStringList{QStringLiteral(".filler"), QStringLiteral("registry.json")}));
    }

    void pathUnderAFileFailsSilently()
    {
        // Works for root as well: nothing can create a folder where a file stands.
        const QString blocker = path("blocker");
        {
            QFile f(blocker);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        FileRegistry registry(blocker + QStringLiteral("/registry.json"));
        registry.write(QStringLiteral("K"), QString(), QStringLiteral("lost"));
        QCOMPARE(registry.read(QStringLiteral("K"), QString()), QString());
        QVERIFY(QFileInfo(blocker).isFile());
    }
};

QTEST_GUILESS_MAIN(TestFileRegistry)
#include "tst_fileregistry.moc"
