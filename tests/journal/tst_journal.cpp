#include "journal/Journal.h"
#include "journal/JournalRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <unistd.h>

using namespace zarvik;

namespace {
constexpr qint64 kT0 = 1'800'000'000; // a fixed moment, seconds since the epoch

// One meeting: at kT0 + seconds, the headword the lookup found (after shortening or in the
// reverse index), its line, where.
struct Meeting {
    qint64 seconds;
    QString headword;
    LookupSource source;
};
} // namespace

Q_DECLARE_METATYPE(QList<Meeting>)

class TestJournal : public QObject {
    Q_OBJECT

private slots:
    void counting_data()
    {
        QTest::addColumn<QList<Meeting>>("meetings");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("lastSeconds");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("words");
        const auto dc = LookupSource::DoubleClick;
        const auto copy = LookupSource::Copy;
        const auto panel = LookupSource::Panel;
        QTest::newRow("once") << QList<Meeting>{{0, "run", dc}} << "run" << 1 << qint64(0) << "double-click" << 1;
        QTest::newRow("twice in a second counts once")
            << QList<Meeting>{{0, "run", dc}, {1, "run", copy}} << "run" << 1 << qint64(0) << "double-click" << 1;
        QTest::newRow("again 4 s later still once")
            << QList<Meeting>{{0, "run", dc}, {4, "run", dc}} << "run" << 1 << qint64(0) << "double-click" << 1;
        QTest::newRow("again 5 s later counts")
            << QList<Meeting>{{0, "run", dc}, {5, "run", copy}} << "run" << 2 << qint64(5) << "copy" << 1;
        QTest::newRow("again after a minute counts")
            << QList<Meeting>{{0, "run", dc}, {60, "run", panel}} << "run" << 2 << qint64(60) << "panel" << 1;
        QTest::newRow("three meetings, the middle one a repeat")
            << QList<Meeting>{{0, "run", dc}, {2, "run", dc}, {70, "run", copy}} << "run" << 2 << qint64(70)
            << "copy" << 1;
        // "runs" and "running" are shown as the headword their shortening found.
        QTest::newRow("shortened forms are one headword")
            << QList<Meeting>{{0, "run", dc}, {30, "run", copy}, {31, "run", dc}} << "run" << 2 << qint64(30)
            << "copy" << 1;
        QTest::newRow("Russian word")
            << QList<Meeting>{{0, "кошка", copy}, {1, "кошка", copy}, {100, "кошка", dc}} << "кошка" << 2
            << qint64(100) << "double-click" << 1;
        QTest::newRow("letter case makes another headword")
            << QList<Meeting>{{0, "March", dc}, {1, "march", dc}} << "march" << 1 << qint64(1) << "double-click" << 2;
        QTest::newRow("a clock set back counts again")
            << QList<Meeting>{{100, "run", dc}, {50, "run", dc}} << "run" << 2 << qint64(50) << "double-click" << 1;
    }

    void counting()
    {
        QFETCH(QList<Meeting>, meetings);
        QFETCH(QString, word);
        QFETCH(int, count);
        QFETCH(qint64, lastSeconds);
        QFETCH(QString, source);
        QFETCH(int, words);
        QTemporaryDir dir;
        Journal journal(dir.path());
        for (const Meeting& m : meetings)
            QVERIFY(journal.record(m.headword, m.headword + QStringLiteral(" - перевод"), m.source, kT0 + m.seconds));
        const std::optional<JournalEntry> e = journal.entry(word);
        QVERIFY(e);
        QCOMPARE(e->count, count);
        QCOMPARE(e->last, kT0 + lastSeconds);
        const auto first = std::find_if(meetings.begin(), meetings.end(), [&](const Meeting& m) { return m.headword == word; });
        QCOMPARE(e->first, kT0 + first->seconds);
        QCOMPARE(e->source, source);
        QCOMPARE(journal.count({}), words);
    }

    void fileAndFolderAreTheUsersAlone()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("share/Zarvik5"));
        Journal journal(folder);
        QVERIFY(journal.record(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::Copy, kT0));
        QCOMPARE(QFileInfo(folder).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser |
                     QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(QFileInfo(folder + QStringLiteral("/journal.sqlite")).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/journal.sqlite-wal")));
    }

    void defaultFolderFollowsXdgDataHome_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QByteArray("/data/me") << QStringLiteral("/data/me/Zarvik5");
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + QStringLiteral("/.local/share/Zarvik5");
        QTest::newRow("relative is ignored") << QByteArray("data") << QDir::homePath() + QStringLiteral("/.local/share/Zarvik5");
    }

    void defaultFolderFollowsXdgDataHome()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        if (xdg.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", xdg);
        const QString folder = Journal::defaultFolder();
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(folder, expected);
    }

    void boundKeepsTheNewestWords_data()
    {
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("oldestKept");
        QTest::newRow("at the bound") << 0 << 100000 << QStringLiteral("w000000");
        QTest::newRow("one past the bound") << 1 << 100000 << QStringLiteral("w000001");
        QTest::newRow("three past the bound") << 3 << 100000 << QStringLiteral("w000003");
    }

    void boundKeepsTheNewestWords()
    {
        QFETCH(int, extra);
        QFETCH(int, kept);
        QFETCH(QString, oldestKept);
        QTemporaryDir dir;
        fillDirectly(dir.path(), 99999);
        Journal journal(dir.path());
        // The 100,000th word, then the extra ones, through the journal itself.
        for (int i = 99999; i < 100000 + extra; ++i)
            QVERIFY(journal.record(QStringLiteral("w%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("x"),
                                   LookupSource::Copy, kT0 + i));
        QCOMPARE(journal.count({}), kept);
        JournalQuery oldestFirst;
        oldestFirst.descending = false;
        QCOMPARE(journal.rows(oldestFirst, 0, 1).value(0).headword, oldestKept);
    }

    void queriesFilterSortAndMark()
    {
        QTemporaryDir dir;
        Journal journal(dir.path());
        journal.record(QStringLiteral("run"), QStringLiteral("бег, пробег"), LookupSource::Copy, kT0);
        journal.record(QStringLiteral("play"), QStringLiteral("игра"), LookupSource::Copy, kT0 + 10);
        journal.record(QStringLiteral("run"), QStringLiteral("бег, пробег"), LookupSource::Copy, kT0 + 20);
        journal.record(QStringLiteral("100%_sure"), QStringLiteral("уверен"), LookupSource::Copy, kT0 + 30);
        QVERIFY(journal.setFavourite(QStringLiteral("play"), true));
        const auto words = [&](const JournalQuery& q) {
            QStringList out;
            for (const JournalEntry& e : journal.rows(q, 0, 10))
                out << e.headword;
            return out;
        };
        JournalQuery q;
        QCOMPARE(words(q), QStringList({"100%_sure", "run", "play"}));
        q.sort = JournalQuery::Sort::Count;
        QCOMPARE(words(q), QStringList({"run", "play", "100%_sure"}));
        q.sort = JournalQuery::Sort::Word;
        q.descending = false;
        QCOMPARE(words(q), QStringList({"100%_sure", "play", "run"}));
        q.filter = QStringLiteral("RU");
        QCOMPARE(words(q), QStringList({"run"}));
        q.filter = QStringLiteral("игр");
        QCOMPARE(words(q), QStringList({"play"}));
        q.filter = QStringLiteral("%_");
        QCOMPARE(words(q), QStringList({"100%_sure"}));
        q.filter.clear();
        q.favouritesOnly = true;
        QCOMPARE(words(q), QStringList({"play"}));
        QCOMPARE(journal.count(q), 1);
        q.favouritesOnly = false;
        QVERIFY(journal.remove({QStringLiteral("run"), QStringLiteral("nothing")}));
        QCOMPARE(words(q), QStringList({"100%_sure", "play"}));
        QVERIFY(journal.clear());
        QCOMPARE(journal.count(q), 0);
    }

    // Every fault leaves lookups alone: the journal says so once and is off, or begins afresh
    // with the damaged file kept beside it.
    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("filesAside");
        QTest::newRow("not a database") << "garbage" << true << "is damaged; it is kept as" << 1;
        QTest::newRow("damaged pages") << "corrupt pages" << true << "is damaged; it is kept as" << 1;
        QTest::newRow("read-only folder") << "read-only folder" << false << "cannot be opened for writing" << 0;
        QTest::newRow("folder cannot be made") << "no folder" << false << "its folder cannot be made" << 0;
        QTest::newRow("locked by another writer") << "locked" << false << "database is locked" << 0;
        QTest::newRow("full disk") << "full disk" << false << "database or disk is full" << 0;
    }

    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, recorded);
        QFETCH(QString, warning);
        QFETCH(int, filesAside);
        QTemporaryDir dir;
        QString folder = dir.filePath(QStringLiteral("Zarvik5"));
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/journal.sqlite");
        sqlite3* holder = nullptr;
        QString mountPoint;
        if (fault == QLatin1String("garbage")) {
            writeFile(file, QByteArray("this is no database, but the user's own text\n").repeated(200));
        } else if (fault == QLatin1String("corrupt pages")) {
            fillDirectly(folder, 5000);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            // Pages two onward (the table's tree) overwritten; the header stays a database's.
            f.seek(4096);
            f.write(QByteArray(64 * 1024, '\x5a'));
        } else if (fault == QLatin1String("read-only folder")) {
            if (::geteuid() != 0) {
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            } else {
                // Root writes into any folder whatever its mode: a file system mounted
                // read-only is the read-only folder there.
                mountPoint = folder;
                if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                               QStringLiteral("ro,size=64k"), QStringLiteral("tmpfs"), mountPoint}) != 0)
                    QSKIP("as root a read-only folder needs a read-only mount, and mounting is not allowed here");
            }
        } else if (fault == QLatin1String("no folder")) {
            writeFile(dir.filePath(QStringLiteral("plain")), "a file where the folder would go");
            folder = dir.filePath(QStringLiteral("plain/Zarvik5"));
        } else if (fault == QLatin1String("locked")) {
            QVERIFY(sqlite3_open(QFile::encodeName(file).constData(), &holder) == SQLITE_OK);
            QVERIFY(sqlite3_exec(holder, "PRAGMA journal_mode=WAL; CREATE TABLE t(x); BEGIN EXCLUSIVE; INSERT INTO t VALUES(1)",
                                 nullptr, nullptr, nullptr) == SQLITE_OK);
        } else if (fault == QLatin1String("full disk")) {
            mountPoint = dir.filePath(QStringLiteral("small"));
            QDir().mkpath(mountPoint);
            if (::geteuid() != 0 ||
                QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                           QStringLiteral("size=256k"), QStringLiteral("tmpfs"), mountPoint}) != 0)
                QSKIP("a small file system needs root and a mount; neither is to be had here");
            folder = mountPoint + QStringLiteral("/Zarvik5");
        }

        QStringList warnings;
        {
            Journal journal(folder, 50, [&warnings](const QString& line) { warnings << line; });
            bool ok = true;
            if (fault == QLatin1String("full disk")) {
                // Words until the disk is full; a long line fills the 256 KiB soon.
                const QString line(2000, QLatin1Char('x'));
                for (int i = 0; i < 1000 && ok; ++i)
                    ok = journal.record(QStringLiteral("w%1").arg(i), line, LookupSource::Copy, kT0 + i);
                QVERIFY(!ok);
                // Off for the run: even a small word is not tried again.
                QVERIFY(!journal.record(QStringLiteral("small"), QStringLiteral("x"), LookupSource::Copy, kT0));
            } else {
                ok = journal.record(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::Copy, kT0);
                QCOMPARE(ok, recorded);
                QCOMPARE(journal.isOff(), !recorded);
                // A second failure says nothing more.
                journal.record(QStringLiteral("play"), QStringLiteral("игра"), LookupSource::Copy, kT0 + 60);
            }
        }
        if (holder)
            sqlite3_close(holder);
        if (!mountPoint.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {mountPoint});
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(warning), qPrintable(warnings.first()));
        const QStringList aside = QDir(folder).entryList({QStringLiteral("journal.sqlite.damaged-*")}, QDir::Files);
        QCOMPARE(aside.filter(QRegularExpression(QStringLiteral("damaged-[0-9-]+$"))).size(), filesAside);
        if (fault == QLatin1String("garbage")) {
            QFile kept(QDir(folder).filePath(aside.value(0)));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QVERIFY(kept.readAll().startsWith("this is no database"));
        }
    }

    // Two copies of the program write at once: every meeting of both is counted.
    void twoWriters()
    {
        QTemporaryDir dir;
        Journal a(dir.path());
        Journal b(dir.path());
        for (int i = 0; i < 200; ++i) {
            QVERIFY(a.record(QStringLiteral("w%1").arg(i % 20), QStringLiteral("x"), LookupSource::Copy, kT0 + 10 * i));
            QVERIFY(b.record(QStringLiteral("v%1").arg(i % 20), QStringLiteral("y"), LookupSource::Copy, kT0 + 10 * i));
        }
        QCOMPARE(a.count({}), 40);
        QCOMPARE(b.entry(QStringLiteral("w3"))->count, 10);
        QCOMPARE(a.entry(QStringLiteral("v19"))->count, 10);
    }

    void twoWritersOnThreads()
    {
        QTemporaryDir dir;
        const auto write = [&dir](const QString& prefix) {
            Journal j(dir.path(), 2000);
            for (int i = 0; i < 300; ++i)
                j.record(prefix + QString::number(i % 30), QStringLiteral("x"), LookupSource::Copy, kT0 + 10 * i);
        };
        QThread* t1 = QThread::create(write, QStringLiteral("a"));
        QThread* t2 = QThread::create(write, QStringLiteral("b"));
        t1->start();
        t2->start();
        QVERIFY(t1->wait(60000) && t2->wait(60000));
        delete t1;
        delete t2;
        Journal check(dir.path());
        QCOMPARE(check.count({}), 60);
        QCOMPARE(check.entry(QStringLiteral("a7"))->count, 10);
        QCOMPARE(check.entry(QStringLiteral("b29"))->count, 10);
    }

    void recorderWritesOffTheCallersThreadAndObeysTheOption()
    {
        QTemporaryDir dir;
        bool on = true;
        qint64 now = kT0;
        {
            JournalRecorder recorder(dir.path(), [&on] { return on; }, [&now] { return now; });
            recorder.wordShown(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::DoubleClick);
            now += 60;
            on = false;
            recorder.wordShown(QStringLiteral("play"), QStringLiteral("игра"), LookupSource::Copy);
            on = true;
            recorder.wordShown(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::Panel);
            recorder.flush();
        }
        Journal check(dir.path());
        QCOMPARE(check.count({}), 1);
        QCOMPARE(check.entry(QStringLiteral("run"))->count, 2);
        QCOMPARE(check.entry(QStringLiteral("run"))->source, QStringLiteral("panel"));
    }

    void recorderWithTheOptionOffWritesNoFile()
    {
        QTemporaryDir dir;
        {
            JournalRecorder recorder(dir.path(), [] { return false; });
            recorder.wordShown(QStringLiteral("run"), QStringLiteral("бег"), LookupSource::DoubleClick);
        }
        QVERIFY(QDir(dir.path()).isEmpty());
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // `n` words w000000..., the i-th last met at kT0 + i, written in one transaction.
    static void fillDirectly(const QString& folder, int n)
    {
        {
            Journal make(folder);
            QVERIFY(make.open());
        }
        sqlite3* db = nullptr;
        QVERIFY(sqlite3_open(QFile::encodeName(folder + QStringLiteral("/journal.sqlite")).constData(), &db) ==
                SQLITE_OK);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO words(headword, line, count, first, last, source) VALUES(?1, 'x', 1, ?2, ?2, 'copy')",
                           -1, &insert, nullptr);
        for (int i = 0; i < n; ++i) {
            const QByteArray word = QStringLiteral("w%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
            sqlite3_bind_text(insert, 1, word.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, 2, kT0 + i);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
