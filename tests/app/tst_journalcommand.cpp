#include "journal/Journal.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvik;

// `zarvik --export-journal FILE [--favourites]`, run as the user would, without a display.
class TestJournalCommand : public QObject {
    Q_OBJECT

private slots:
    void exportFromTheCommandLine_data()
    {
        QTest::addColumn<bool>("journal");
        QTest::addColumn<QStringList>("arguments"); // FILE stands for the output file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("written");
        // The transcription comes from the program's dictionary (Mueller's gives run one).
        QTest::newRow("every word, newest first")
            << true << QStringList{"--export-journal", "FILE"} << 0
            << QByteArray("кошка,,cat,1,2027-01-15 08:31\r\nrun,rʌn,\"бег, пробег\",2,2027-01-15 08:30\r\n");
        QTest::newRow("favourites only") << true << QStringList{"--export-journal", "FILE", "--favourites"} << 0
                                         << QByteArray("кошка,,cat,1,2027-01-15 08:31\r\n");
        QTest::newRow("tab-separated by the name") << true << QStringList{"--export-journal", "FILE.tsv"} << 0
                                                   << QByteArray("кошка\t\tcat\t1\t2027-01-15 08:31\n"
                                                                 "run\trʌn\tбег, пробег\t2\t2027-01-15 08:30\n");
        QTest::newRow("no journal: an empty file") << false << QStringList{"--export-journal", "FILE"} << 0
                                                   << QByteArray("");
        QTest::newRow("no file named") << true << QStringList{"--export-journal"} << 2 << QByteArray();
        QTest::newRow("an unknown third argument")
            << true << QStringList{"--export-journal", "FILE", "--all"} << 2 << QByteArray();
        QTest::newRow("a file that cannot be written")
            << true << QStringList{"--export-journal", "/nonexistent-folder/words.csv"} << 1 << QByteArray();
    }

    void exportFromTheCommandLine()
    {
        QFETCH(bool, journal);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, written);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        if (journal) {
            const qint64 t = QDateTime(QDate(2027, 1, 15), QTime(8, 30)).toSecsSinceEpoch();
            Journal j(data + QStringLiteral("/Zarvik5"));
            QVERIFY(j.record(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::Copy, t - 600));
            QVERIFY(j.record(QStringLiteral("run"), QStringLiteral("бег, пробег"), LookupSource::Copy, t));
            QVERIFY(j.record(QStringLiteral("кошка"), QStringLiteral("cat"), LookupSource::Copy, t + 60));
            QVERIFY(j.setFavourite(QStringLiteral("кошка"), true));
        }
        QString out;
        for (QString& a : arguments) {
            if (a.startsWith(QLatin1String("FILE")))
                a = out = dir.filePath(QStringLiteral("words")) + a.mid(4);
        }
        QProcess zarvik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        zarvik.setProcessEnvironment(env);
        zarvik.start(QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik"), arguments);
        QVERIFY(zarvik.waitForFinished(30000));
        QCOMPARE(zarvik.exitCode(), exitCode);
        if (!out.isEmpty() && exitCode == 0) {
            QFile f(out);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), written);
        }
        // Reading never makes a journal.
        if (!journal)
            QVERIFY(!QFileInfo::exists(data));
    }
};

QTEST_GUILESS_MAIN(TestJournalCommand)
#include "tst_journalcommand.moc"
