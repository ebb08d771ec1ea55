#include "../FullFileSystem.h"
#include "../StderrCapture.h"
#include "settings/Settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the code under test says on standard error meanwhile.

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

using namespace zarvik;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Zarvik5.ini"));
        QFile::remove(m_path);
    }

    void absentKeysReadTheirDefaults_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skinname") << int(Key::skinname) << QStringLiteral("(по умолчанию)");
        QTest::newRow("ShowSplash") << int(Key::ShowSplash) << QStringLiteral("1");
        QTest::newRow("Apps") << int(Key::Apps) << QString();
        QTest::newRow("ShowPanel") << int(Key::ShowPanel) << QStringLiteral("1");
        QTest::newRow("hide5sec") << int(Key::hide5sec) << QStringLiteral("1");
        QTest::newRow("lastfocus") << int(Key::lastfocus) << QStringLiteral("1");
        QTest::newRow("bigpanel") << int(Key::bigpanel) << QStringLiteral("0");
        QTest::newRow("Buffer") << int(Key::Buffer) << QStringLiteral("1");
        QTest::newRow("OnClick") << int(Key::OnClick) << QStringLiteral("1");
        QTest::newRow("3clk") << int(Key::threeclk) << QStringLiteral("False");
        QTest::newRow("findword") << int(Key::findword) << QStringLiteral("1");
        QTest::newRow("questions") << int(Key::questions) << QStringLiteral("1");
        QTest::newRow("ShowTranscription") << int(Key::ShowTranscription) << QStringLiteral("0");
        QTest::newRow("KeepJournal") << int(Key::KeepJournal) << QStringLiteral("1");
    }
    void absentKeysReadTheirDefaults()
    {
        QFETCH(int, key);
        QFETCH(QString, expected);
        Settings settings(m_path);
        QCOMPARE(settings.text(Key(key)), expected);
        QVERIFY(!QFile::exists(m_path)); // reading never creates the store
    }

    void checkBoxFlagsCompareAsNumbers_data()
    {
        QTest::addColumn<QString>("stored"); // "<absent>" for no key
        QTest::addColumn<bool>("isOne");
        QTest::addColumn<bool>("isZero");
        QTest::newRow("absent reads as default 1") << QStringLiteral("<absent>") << true << false;
        QTest::newRow("1") << QStringLiteral("1") << true << false;
        QTest::newRow("0") << QStringLiteral("0") << false << true;
        QTest::newRow("1.0 is the number 1") << QStringLiteral("1.0") << true << false;
        QTest::newRow("padded 1") << QStringLiteral(" 1 ") << true << false;
        QTest::newRow("2 is neither") << QStringLiteral("2") << false << false;
        QTest::newRow("empty is not a number: default") << QString() << true << false;
        QTest::newRow("text is not a number: default") << QStringLiteral("yes") << true << false;
    }
    void checkBoxFlagsCompareAsNumbers()
    {
        QFETCH(QString, stored);
        QFETCH(bool, isOne);
        QFETCH(bool, isZero);
        Settings settings(m_path);
        if (stored != QLatin1String("<absent>"))
            settings.write(Key::Buffer, stored);
        QCOMPARE(settings.numberIs(Key::Buffer, 1), isOne);
        QCOMPARE(settings.numberIs(Key::Buffer, 0), isZero);
    }

    void capsLockModeOnlyForExactTrue_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::newRow("absent") << QStringLiteral("<absent>") << false;
        QTest::newRow("True") << QStringLiteral("True") << true;
        QTest::newRow("true") << QStringLiteral("true") << false;
        QTest::newRow("TRUE") << QStringLiteral("TRUE") << false;
        QTest::newRow("1") << QStringLiteral("1") << false;
        QTest::newRow("False") << QStringLiteral("False") << false;
    }
    void capsLockModeOnlyForExactTrue()
    {
        QFETCH(QString, stored);
        QFETCH(bool, on);
        Settings settings(m_path);
        if (stored != QLatin1String("<absent>"))
            settings.write(Key::threeclk, stored);
        QCOMPARE(settings.capsLockMode(), on);
    }

    void optionFlagsReadAsBooleans_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("twoclk");
        QTest::newRow("absent: default on") << QStringLiteral("<absent>") << true;
        QTest::newRow("True") << QStringLiteral("True") << true;
        QTest::newRow("false") << QStringLiteral("false") << false;
        QTest::newRow("0") << QStringLiteral("0") << false;
        QTest::newRow("-1") << QStringLiteral("-1") << true;
        QTest::newRow("garbage: default") << QStringLiteral("maybe") << true;
    }
    void optionFlagsReadAsBooleans()
    {
        QFETCH(QString, stored);
        QFETCH(bool, twoclk);
        Settings settings(m_path);
        if (stored != QLatin1String("<absent>"))
            settings.write(Key::twoclk, stored);
        QCOMPARE(settings.boolean(Key::twoclk), twoclk);
    }

    void panelPosReadsSingleOrNothing_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("present");
        QTest::addColumn<float>("value");
        QTest::newRow("absent") << QStringLiteral("<absent>") << false << 0.0f;
        QTest::newRow("whole") << QStringLiteral("7200") << true << 7200.0f;
        QTest::newRow("fraction") << QStringLiteral("7200.5") << true << 7200.5f;
        QTest::newRow("negative") << QStringLiteral("-15") << true << -15.0f;
        QTest::newRow("not a number") << QStringLiteral("top") << false << 0.0f;
        QTest::newRow("empty") << QString() << false << 0.0f;
        QTest::newRow("infinite") << QStringLiteral("inf") << false << 0.0f;
    }
    void panelPosReadsSingleOrNothing()
    {
        QFETCH(QString, stored);
        QFETCH(bool, present);
        QFETCH(float, value);
        Settings settings(m_path);
        if (stored != QLatin1String("<absent>"))
            settings.write(Key::PanelPos, stored);
        const auto pos = settings.panelPos();
        QCOMPARE(pos.has_value(), present);
        if (present)
            QCOMPARE(*pos, value);
    }

    void writesSurviveAnotherStoreAndKeepCyrillic()
    {
        {
            Settings settings(m_path);
            settings.write(Key::skinname, QStringLiteral("Синий, тёмный"));
            settings.writeFlag(Key::bigpanel, true);
            settings.writeOption(Key::threeclk, true);
            settings.writePanelPos(7215.0f);
        }
        Settings again(m_path);
        QCOMPARE(again.text(Key::skinname), QStringLiteral("Синий, тёмный"));
        QCOMPARE(again.text(Key::bigpanel), QStringLiteral("1"));
        QCOMPARE(again.text(Key::threeclk), QStringLiteral("True"));
        QCOMPARE(again.text(Key::PanelPos), QStringLiteral("7215"));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(ini.contains("[Options]"));
        QVERIFY(ini.contains("3clk=True"));
    }

    void writeLeavesNoTemporaryFiles()
    {
        Settings settings(m_path);
        for (int i = 0; i < 20; ++i)
            settings.writePanelPos(float(i));
        const QStringList files = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files, QStringList{QStringLiteral("Zarvik5.ini")});
    }

    void appsEntriesCutAtSemicolons_data()
    {
        QTest::addColumn<QString>("apps");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("two") << QStringLiteral("notepad.exe;Word.EXE;")
                             << QStringList{QStringLiteral("notepad.exe"), QStringLiteral("Word.EXE")};
        QTest::newRow("no trailing separator loses the last")
            << QStringLiteral("a.exe;b.exe") << QStringList{QStringLiteral("a.exe")};
        QTest::newRow("empty piece kept") << QStringLiteral(";a;") << QStringList{QString(), QStringLiteral("a")};
    }
    void appsEntriesCutAtSemicolons()
    {
        QFETCH(QString, apps);
        QFETCH(QStringList, entries);
        QCOMPARE(Settings::appsEntries(apps), entries);
        if (apps.isEmpty() || apps.endsWith(QLatin1Char(';')))
            QCOMPARE(Settings::appsText(entries), apps);
    }

    void appsEntriesStopAtFiftyOne()
    {
        QString apps;
        for (int i = 0; i < 60; ++i)
            apps += QStringLiteral("p%1;").arg(i);
        const QStringList entries = Settings::appsEntries(apps);
        QCOMPARE(entries.size(), 51);
        QCOMPARE(entries.last(), QStringLiteral("p50"));
    }

    // The user edits the file by hand, as the Apps list's documented form invites; the
    // program reads each value whole, and a later write of another key (the panel's position,
    // say) keeps every hand-written value whole, the user's own keys and other sections too,
    // in a form that a plain INI reader also reads whole.
    void handWrittenValuesAreKept_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("key"); // as a plain INI reader names it
        QTest::addColumn<QString>("value");
        const QString apps = QStringLiteral("Options/Apps");
        QTest::newRow("semicolons, no quotes") << QByteArray("Apps=gimp;wish8.6;") << apps << "gimp;wish8.6;";
        QTest::newRow("quoted") << QByteArray("Apps=\"gimp;wish8.6;\"") << apps << "gimp;wish8.6;";
        QTest::newRow("blanks around the sign") << QByteArray("Apps = gimp;wish8.6; ") << apps << "gimp;wish8.6;";
        QTest::newRow("leading separator") << QByteArray("Apps=;gimp;") << apps << ";gimp;";
        QTest::newRow("comma in a name") << QByteArray("Apps=a, b;c;") << apps << "a, b;c;";
        QTest::newRow("one name") << QByteArray("Apps=gimp;") << apps << "gimp;";
        QTest::newRow("no separator") << QByteArray("Apps=gimp") << apps << "gimp";
        QTest::newRow("Cyrillic, CRLF") << QByteArray("Apps=редактор;gimp;\r") << apps << "редактор;gimp;";
        QTest::newRow("skin name with a semicolon")
            << QByteArray("skinname=Night;blue") << QStringLiteral("Options/skinname") << "Night;blue";
        QTest::newRow("a key of the user's own")
            << QByteArray("keep=me; with semicolon") << QStringLiteral("Options/keep") << "me; with semicolon";
        QTest::newRow("commas only, spacing kept")
            << QByteArray("note=a, b,c") << QStringLiteral("Options/note") << "a, b,c";
        QTest::newRow("another section") << QByteArray("[Mine]\nlist=x;y") << QStringLiteral("Mine/list") << "x;y";
        QTest::newRow("the [General] section") << QByteArray() << QStringLiteral("Apps") << "other;";
        // A key written twice: the later line wins, whichever of the two is quoted.
        QTest::newRow("twice, the later wins")
            << QByteArray("Apps=gimp;\nApps=wish8.6;xterm;") << apps << "wish8.6;xterm;";
        QTest::newRow("twice, a later quoted value wins")
            << QByteArray("Apps=gimp;x;\nApps=\"wish8.6;\"") << apps << "wish8.6;";
        QTest::newRow("twice, the later wins over a quoted value")
            << QByteArray("Apps=\"gimp;\"\nApps=a;b;") << apps << "a;b;";
        QTest::newRow("a comment line stays out")
            << QByteArray(";keep=commented; out") << QStringLiteral("Options/keep") << "<absent>";
    }
    void handWrittenValuesAreKept()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, value);
        // A file of its own per row: QSettings keeps what it parsed per path for the whole
        // process and would take a rewritten file of the same size and time for the old one.
        m_path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".ini"));
        {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\nApps=other;\n[Options]\nShowSplash=0\nPanelPos=300\n" + line + "\n");
        }
        const auto known = [](const QString& name) -> std::optional<Key> {
            for (int k = 0; k <= int(Key::PanelPos); ++k) {
                if (QStringLiteral("Options/") + Settings::keyName(Key(k)) == name)
                    return Key(k);
            }
            return std::nullopt;
        };
        {
            // A write before any read: the store that made it still reads the value whole.
            Settings early(m_path);
            early.writePanelPos(450.0f);
            if (const auto k = known(key))
                QCOMPARE(early.text(*k), value);
        }
        {
            Settings settings(m_path);
            if (const auto k = known(key))
                QCOMPARE(settings.text(*k), value);
            QCOMPARE(settings.text(Key::ShowSplash), QStringLiteral("0"));
            settings.writePanelPos(450.0f);
        }
        Settings again(m_path);
        if (const auto k = known(key))
            QCOMPARE(again.text(*k), value);
        QCOMPARE(again.text(Key::PanelPos), QStringLiteral("450"));
        QSettings plain(m_path, QSettings::IniFormat);
        QCOMPARE(plain.value(key, QStringLiteral("<absent>")).toString(), value);
    }

    // Settings files that go wrong: the program starts with what it can read, says what it
    // cannot use, and never leaves the file worse than it found it.
    void faultyFiles_data()
    {
        QTest::addColumn<QString>("fault");      // fifo, full (disk), or none
        QTest::addColumn<QByteArray>("content"); // the file before
        QTest::addColumn<QString>("skin");       // skinname as read
        QTest::addColumn<QByteArray>("after");   // the file after a write of PanelPos=450
        QTest::addColumn<QString>("said");       // on standard error
        QTest::newRow("a FIFO: the defaults, nothing written")
            << "fifo" << QByteArray() << "(по умолчанию)" << QByteArray() << "is not a regular file";
        QTest::newRow("a full disk: the old file stays")
            << "full" << QByteArray("[Options]\nskinname=Night\nPanelPos=300\n") << "Night"
            << QByteArray("[Options]\nskinname=Night\nPanelPos=300\n") << "";
        QTest::newRow("invalid UTF-8 in a value is written back byte for byte")
            << "none" << QByteArray("[Options]\nskinname=Sk\xff\xfein\nmine=\xc3(;x\r\n[Other]\nv=\xe2\x82\n")
            << QString::fromUtf8("Sk\xff\xfein")
            << QByteArray("[Options]\nskinname=Sk\xff\xfein\nmine=\"\xc3(;x\"\r\nPanelPos=450\r\n[Other]\nv=\xe2\x82\n")
            << "";
        QTest::newRow("the key written changes, and nothing else")
            << "none" << QByteArray("; mine\r\n[Options]\r\nPanelPos = 300 \r\nApps=a;b;\r\n") << "(по умолчанию)"
            << QByteArray("; mine\r\n[Options]\r\nPanelPos=450\r\nApps=\"a;b;\"\r\n") << "";
    }
    void faultyFiles()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, content);
        QFETCH(QString, skin);
        QFETCH(QByteArray, after);
        QFETCH(QString, said);
        std::unique_ptr<FullFileSystem> disk;
        QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).left(8) + QStringLiteral(".ini"));
        if (fault == QLatin1String("full")) {
            disk = std::make_unique<FullFileSystem>();
            if (!disk->mounted())
                QSKIP(qPrintable(QStringLiteral("no small file system can be mounted here: ") + disk->why()));
            path = disk->filePath(QStringLiteral("Zarvik5.ini"));
        }
        QFile::remove(path);
        if (fault == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        if (disk)
            QVERIFY(disk->fill());

        StderrCapture err;
        {
            Settings settings(path); // a FIFO read would block here for ever
            QCOMPARE(settings.text(Key::skinname), skin);
            QCOMPARE(settings.text(Key::ShowSplash), QStringLiteral("1"));
            settings.writePanelPos(450.0f);
            QCOMPARE(settings.text(Key::PanelPos), QStringLiteral("450")); // this session goes on with it
        }
        const QString text = err.text();
        if (said.isEmpty()) {
            QVERIFY2(text.isEmpty(), qPrintable(text));
        } else {
            QCOMPARE(text.count(said), 1);
            QVERIFY(text.contains(path));
        }
        if (fault == QLatin1String("fifo")) {
            struct stat st{};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        } else {
            QCOMPARE(bytesOf(path), after);
        }
    }

    // What the options dialog stores reads back the same, by us and by a plain INI reader.
    void writtenAppsReadsBack()
    {
        const QString apps = QStringLiteral("gimp;wish8.6;Word.EXE;");
        Settings(m_path).write(Key::Apps, apps);
        QCOMPARE(Settings(m_path).text(Key::Apps), apps);
        QSettings plain(m_path, QSettings::IniFormat);
        QCOMPARE(plain.value(QStringLiteral("Options/Apps")).toString(), apps);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
