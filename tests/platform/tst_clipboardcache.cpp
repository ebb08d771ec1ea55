#include "platform/ClipboardCache.h"

#include <QTest>

#include <thread>

using zarvik::ClipboardCache;

class TestClipboardCache : public QObject {
    Q_OBJECT

private slots:
    void fetchAndWriteOrder_data()
    {
        // Steps: 'b' a fetch begins (takes a ticket), 'p' the oldest begun fetch publishes its
        // text ("fetched<n>"), 'w' our own write ("written<n>").
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain fetch") << "bp" << "fetched1";
        QTest::newRow("write then fetch of the new owner") << "wbp" << "fetched1";
        QTest::newRow("fetch under way when we write is dropped") << "bwp" << "written1";
        QTest::newRow("two fetches around a write") << "bwbpp" << "fetched2";
        QTest::newRow("fetch done before the write") << "bpw" << "written1";
        QTest::newRow("two writes, stale fetch between") << "wbwp" << "written2";
    }
    void fetchAndWriteOrder()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        ClipboardCache cache;
        QList<ClipboardCache::Ticket> begun;
        int fetches = 0, writes = 0;
        for (QChar step : steps) {
            if (step == u'b') {
                begun.append(cache.beginFetch());
            } else if (step == u'p') {
                cache.publish(begun.takeFirst(), QStringLiteral("fetched%1").arg(++fetches));
            } else {
                cache.writeLocal(QStringLiteral("written%1").arg(++writes));
            }
        }
        QCOMPARE(cache.text(), expected);
    }

    void publishReportsStaleness()
    {
        ClipboardCache cache;
        const auto old = cache.beginFetch();
        cache.writeLocal(QStringLiteral("mine"), 7);
        QVERIFY(!cache.publish(old, QStringLiteral("theirs"), 9));
        // The process goes with its text: a stale fetch changes neither.
        QCOMPARE(cache.process(), qint64(7));
        QVERIFY(cache.publish(cache.beginFetch(), QStringLiteral("new"), 11));
        QCOMPARE(cache.process(), qint64(11));
        QCOMPARE(cache.updates(), quint64(2));
    }

    void waitForFirstReturnsWhenAnotherThreadPublishes()
    {
        ClipboardCache cache;
        QVERIFY(!cache.waitForFirst(10));
        std::thread fetcher([&cache] { cache.publish(cache.beginFetch(), QStringLiteral("x")); });
        QVERIFY(cache.waitForFirst(10000));
        fetcher.join();
        QCOMPARE(cache.text(), QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(TestClipboardCache)
#include "tst_clipboardcache.moc"
