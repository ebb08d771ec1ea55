#include "ImportError.h"
#include "RunSorter.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace zarvik;

class TestRunSorter : public QObject {
    Q_OBJECT

private slots:
    // Whatever the bound, records come out as a stable sort by bytes would order them: keys
    // that begin others first, bytes above 0x7F after ASCII, equal keys in the order added.
    void ordersAsAStableByteSort_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("bound");
        QTest::addColumn<int>("bigPayloadEvery"); // 0: none
        QTest::newRow("all in memory") << 3000 << (64 << 20) << 0;
        QTest::newRow("many runs on disk") << 20000 << 4096 << 0;
        QTest::newRow("records larger than the bound and its write buffer") << 600 << 4096 << 97;
        QTest::newRow("nothing at all") << 0 << 4096 << 0;
    }
    void ordersAsAStableByteSort()
    {
        QFETCH(int, count);
        QFETCH(int, bound);
        QFETCH(int, bigPayloadEvery);
        QTemporaryDir folder;
        QRandomGenerator random(7);
        // Few distinct keys, so that many are equal; some a prefix of others, some not ASCII.
        const QList<QByteArray> keys{"", "a", "ab", "abc", "b", "z", "\xD1\x8F" /* я */, "\xD0\xB0\xD0\xB1"};
        std::vector<std::pair<QByteArray, QByteArray>> added;
        RunSorter sorter(folder.path(), bound);
        for (int i = 0; i < count; ++i) {
            const QByteArray key = keys[random.bounded(int(keys.size()))];
            QByteArray payload = QByteArray::number(i);
            if (bigPayloadEvery && i % bigPayloadEvery == 0)
                payload += QByteArray(2 * 1024 * 1024, 'x');
            sorter.add(key, payload);
            added.emplace_back(key, payload);
        }
        std::stable_sort(added.begin(), added.end(), [](const auto& a, const auto& b) {
            return std::string_view(a.first.constData(), size_t(a.first.size())) <
                   std::string_view(b.first.constData(), size_t(b.first.size()));
        });
        QCOMPARE(sorter.size(), qint64(count));
        QByteArrayView key, payload;
        size_t n = 0;
        for (; sorter.next(key, payload); ++n) {
            QVERIFY(n < added.size());
            QCOMPARE(key, added[n].first);
            QCOMPARE(payload, added[n].second);
        }
        QCOMPARE(n, added.size());
        QVERIFY(!sorter.next(key, payload)); // the end stays the end
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // A folder that cannot take the runs is named in the error, not a crash or a short result.
    void unwritableFolderIsAnError()
    {
        RunSorter sorter(QStringLiteral("/nonexistent/zarvik"), 4096);
        try {
            for (int i = 0; i < 1000; ++i)
                sorter.add(QByteArray::number(i), QByteArray(64, 'p'));
            QFAIL("no error");
        } catch (const ImportError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("/nonexistent/zarvik")), qPrintable(e.message()));
        }
    }

    void fieldsRoundTrip()
    {
        QByteArray payload;
        record::appendField(payload, QByteArrayView("word"));
        record::appendField(payload, std::nullopt);
        record::appendField(payload, QByteArrayView(""));
        payload += "rest";
        QByteArrayView view(payload);
        QCOMPARE(record::takeField(view), std::optional<QByteArrayView>("word"));
        QCOMPARE(record::takeField(view), std::nullopt);
        QCOMPARE(record::takeField(view)->size(), 0);
        QCOMPARE(view, "rest");
        QVERIFY_THROWS_EXCEPTION(ImportError, record::takeField(view)); // "rest" is no field
    }
};

QTEST_APPLESS_MAIN(TestRunSorter)
#include "tst_runsorter.moc"
