#include "popup/Shortening.h"

#include <QTest>

using namespace zarvik;

class TestShortening : public QObject {
    Q_OBJECT
private slots:
    void onePass_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("shortened");
        QTest::newRow("s") << "books" << 1 << "book";
        QTest::newRow("S") << "BOOKS" << 1 << "BOOK";
        QTest::newRow("s before ing: s wins") << "sings" << 1 << "sing";
        QTest::newRow("ing") << "running" << 2 << "runn";
        QTest::newRow("ING") << "RUNNING" << 2 << "RUNN";
        QTest::newRow("mixed Ing falls to the last character") << "WalkIng" << 6 << "WalkIn";
        QTest::newRow("iNG mixed") << "walkiNG" << 6 << "walkiN";
        QTest::newRow("er") << "worker" << 3 << "work";
        QTest::newRow("ER") << "WORKER" << 3 << "WORK";
        QTest::newRow("Er mixed") << "workEr" << 6 << "workE";
        QTest::newRow("ed") << "stopped" << 4 << "stopp";
        QTest::newRow("ED") << "STOPPED" << 4 << "STOPP";
        QTest::newRow("d") << "used" << 4 << "us";
        QTest::newRow("d alone") << "bid" << 5 << "bi";
        QTest::newRow("D alone") << "BID" << 5 << "BI";
        QTest::newRow("any last character") << "runn" << 6 << "run";
        QTest::newRow("trailing space") << "run " << 6 << "run";
        QTest::newRow("trailing punctuation") << "book," << 6 << "book";
        QTest::newRow("double quote is a character") << "book\"" << 6 << "book";
        QTest::newRow("Cyrillic last character") << "книга" << 6 << "книг";
        QTest::newRow("single character") << "x" << 6 << "";
        QTest::newRow("single s") << "s" << 1 << "";
        QTest::newRow("ing alone") << "ing" << 2 << "";
        QTest::newRow("leading space kept") << " b" << 6 << " ";
        QTest::newRow("empty stays empty") << "" << 0 << "";
    }
    void onePass()
    {
        QFETCH(QString, word);
        QFETCH(int, rule);
        QFETCH(QString, shortened);
        QCOMPARE(Shortening::rule(word), rule);
        QCOMPARE(Shortening::shorten(word), shortened);
    }

    void everyPassShortens_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("fifty characters") << QString(50, QLatin1Char('a'));
        QTest::newRow("mixed endings") << "SINGINGs edD er ING";
        QTest::newRow("spaces only") << "    ";
    }
    void everyPassShortens()
    {
        // The lookup runs at most one query per character plus one.
        QFETCH(QString, word);
        int passes = 0;
        while (!word.isEmpty()) {
            const QString next = Shortening::shorten(word);
            QVERIFY(next.size() < word.size());
            QVERIFY(word.startsWith(next));
            word = next;
            ++passes;
        }
        QVERIFY(passes <= 50);
    }
};

QTEST_GUILESS_MAIN(TestShortening)
#include "tst_shortening.moc"
