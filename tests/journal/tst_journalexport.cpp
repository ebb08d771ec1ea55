#include "journal/Journal.h"
#include "journal/JournalExport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvik;

class TestJournalExport : public QObject {
    Q_OBJECT

private slots:
    void csvLines_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("transcription");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("tsv");
        QTest::newRow("plain") << "run" << "" << "бег" << QByteArray("run,,бег,3,2027-01-15 08:00\r\n")
                               << QByteArray("run\t\tбег\t3\t2027-01-15 08:00\n");
        QTest::newRow("commas") << "run" << "rʌn" << "бег, пробег; бежать"
                                << QByteArray("run,rʌn,\"бег, пробег; бежать\",3,2027-01-15 08:00\r\n")
                                << QByteArray("run\trʌn\tбег, пробег; бежать\t3\t2027-01-15 08:00\n");
        QTest::newRow("quotes") << "say \"hi\"" << "" << "сказать «привет»"
                                << QByteArray("\"say \"\"hi\"\"\",,сказать «привет»,3,2027-01-15 08:00\r\n")
                                << QByteArray("say \"hi\"\t\tсказать «привет»\t3\t2027-01-15 08:00\n");
        QTest::newRow("line breaks") << "run" << "" << "бег\nбежать\r\nмчаться"
                                     << QByteArray("run,,\"бег\nбежать\r\nмчаться\",3,2027-01-15 08:00\r\n")
                                     << QByteArray("run\t\tбег бежать  мчаться\t3\t2027-01-15 08:00\n");
        QTest::newRow("tabs") << "a\tb" << "" << "x" << QByteArray("a\tb,,x,3,2027-01-15 08:00\r\n")
                              << QByteArray("a b\t\tx\t3\t2027-01-15 08:00\n");
        QTest::newRow("only a quote") << "\"" << "" << "," << QByteArray("\"\"\"\",,\",\",3,2027-01-15 08:00\r\n")
                                      << QByteArray("\"\t\t,\t3\t2027-01-15 08:00\n");
    }

    void csvLines()
    {
        QFETCH(QString, word);
        QFETCH(QString, transcription);
        QFETCH(QString, translation);
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, tsv);
        const ExportNote note{word, transcription, translation, 3, QStringLiteral("2027-01-15 08:00")};
        QCOMPARE(exportLine(note, ExportFormat::Csv), csv);
        QCOMPARE(exportLine(note, ExportFormat::Tsv), tsv);
    }

    void formatByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tabs");
        QTest::newRow("csv") << "words.csv" << false;
        QTest::newRow("tsv") << "words.tsv" << true;
        QTest::newRow("TXT") << "WORDS.TXT" << true;
        QTest::newRow("tab") << "words.tab" << true;
        QTest::newRow("no suffix") << "words" << false;
        QTest::newRow("tsv inside the name") << "words.tsv.csv" << false;
    }

    void formatByName()
    {
        QFETCH(QString, name);
        QFETCH(bool, tabs);
        QCOMPARE(exportFormatFor(name) == ExportFormat::Tsv, tabs);
    }

    // The file Python's csv module reads back field for field, as Anki's importer reads it.
    void pythonReadsTheFileBack()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        QTemporaryDir dir;
        const qint64 t = QDateTime(QDate(2027, 1, 15), QTime(8, 30)).toSecsSinceEpoch();
        Journal journal(dir.path());
        const QStringList words = {QStringLiteral("run"), QStringLiteral("say \"hi\""), QStringLiteral("кошка"),
                                   QStringLiteral("a,b")};
        const QStringList lines = {QStringLiteral("бег, пробег; бежать"), QStringLiteral("сказать\n«привет»"),
                                   QStringLiteral("cat"), QStringLiteral("\"\"")};
        for (int i = 0; i < words.size(); ++i)
            QVERIFY(journal.record(words[i], lines[i], LookupSource::Copy, t + 60 * i));
        journal.setFavourite(QStringLiteral("кошка"), true);
        const QString file = dir.filePath(QStringLiteral("words.csv"));
        JournalQuery byWord;
        byWord.sort = JournalQuery::Sort::Word;
        byWord.descending = false;
        QString error;
        const auto transcription = [](const QString& w) { return w == QLatin1String("run") ? QStringLiteral("rʌn") : QString(); };
        QCOMPARE(exportJournal(journal, byWord, file, ExportFormat::Csv, transcription, &error), 4);

        QProcess py;
        py.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import csv, json, sys\n"
                                         "with open(sys.argv[1], encoding='utf-8', newline='') as f:\n"
                                         "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                          file});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonArray rows = QJsonDocument::fromJson(py.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), 4);
        const auto row = [&rows](int i) {
            QStringList out;
            for (const QJsonValue& v : rows[i].toArray())
                out << v.toString();
            return out;
        };
        QCOMPARE(row(0), QStringList({"a,b", "", "\"\"", "1", "2027-01-15 08:33"}));
        QCOMPARE(row(1), QStringList({"run", "rʌn", "бег, пробег; бежать", "1", "2027-01-15 08:30"}));
        QCOMPARE(row(2), QStringList({"say \"hi\"", "", "сказать\n«привет»", "1", "2027-01-15 08:31"}));
        QCOMPARE(row(3), QStringList({"кошка", "", "cat", "1", "2027-01-15 08:32"}));

        JournalQuery favourites;
        favourites.favouritesOnly = true;
        QCOMPARE(exportJournal(journal, favourites, file, ExportFormat::Csv, {}, &error), 1);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("кошка,,cat,1,2027-01-15 08:32\r\n"));
    }

    void anUnwritableFileIsAnErrorAndLeavesNothing()
    {
        QTemporaryDir dir;
        Journal journal(dir.path());
        QString error;
        QCOMPARE(exportJournal(journal, {}, dir.filePath(QStringLiteral("no/such/folder/words.csv")), ExportFormat::Csv,
                               {}, &error),
                 -1);
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestJournalExport)
#include "tst_journalexport.moc"
