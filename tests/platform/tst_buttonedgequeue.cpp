#include "platform/ButtonEdgeQueue.h"

#include <QTest>

using zarvik::ButtonEdgeQueue;

// Events between polls are written as a string: 'd' press, 'u' release, '|' a poll.
// The expected string lists what each poll reported: '1' down, '0' up.
class TestButtonEdgeQueue : public QObject {
    Q_OBJECT

private slots:
    void polls_data()
    {
        QTest::addColumn<bool>("initiallyDown");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("reported");
        QTest::newRow("idle") << false << "|||" << "000";
        QTest::newRow("slow click") << false << "d||u||" << "1100";
        QTest::newRow("click shorter than a poll is seen") << false << "du|||" << "100";
        QTest::newRow("double click between two polls") << false << "dudu||||" << "1010";
        QTest::newRow("second click fast, first slow") << false << "d|u|du||" << "1010";
        QTest::newRow("held down at start") << true << "||u|" << "110";
        QTest::newRow("repeated press from a second device") << false << "dd|u|" << "10";
        QTest::newRow("release without press") << false << "u|" << "0";
        QTest::newRow("storm is bounded to two clicks")
            << false << "dudududududu|||||" << "10100";
        QTest::newRow("storm ending down keeps the final state")
            << false << "dududud||||||" << "101111";
    }
    void polls()
    {
        QFETCH(bool, initiallyDown);
        QFETCH(QString, script);
        QFETCH(QString, reported);
        ButtonEdgeQueue queue;
        queue.reset(initiallyDown);
        QString seen;
        for (QChar c : script) {
            if (c == u'd')
                queue.press();
            else if (c == u'u')
                queue.release();
            else
                seen += queue.poll() ? u'1' : u'0';
        }
        QCOMPARE(seen, reported);
        // Once everything has been played out, the report is the hand's state again.
        QCOMPARE(queue.pendingChanges(), 0);
        QCOMPARE(reported.endsWith(u'1'), queue.physical());
    }
};

QTEST_GUILESS_MAIN(TestButtonEdgeQueue)
#include "tst_buttonedgequeue.moc"
