#include "platform/CapsLockUndo.h"

#include <QStringList>
#include <QTest>

using zarvik::CapsLockUndo;

// A script is a list of steps: "sHL" the state when following begins, "rHL" a report of the
// server (H: the key holds the Lock modifier down, L: the lock is on; 1 or 0), "u" an undo.
// The expected string has one character a step: the lock state it sets ('1' on, '0' off),
// '-' for none. The reports are what an X server sends for the keys as pressed: a press locks
// a lock that was off at once, and unlocks one that was on only at the release.
class TestCapsLockUndo : public QObject {
    Q_OBJECT

private slots:
    void steps_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("sets");
        QTest::newRow("press that locked, undone while held") << "s00 r11 u r10 r00" << "--0--";
        QTest::newRow("press that unlocks at its release, undone while held: put back after it")
            << "s01 r11 u r00 r01" << "---1-";
        QTest::newRow("press that locked, undone after the release") << "s00 r11 r01 u r00" << "---0-";
        QTest::newRow("undo asked twice does nothing more") << "s00 r11 r01 u r00 u" << "---0--";
        QTest::newRow("no press since the start: nothing to undo") << "s01 u" << "--";
        QTest::newRow("the latest of two presses is undone") << "s00 r11 r01 r11 r00 u" << "-----1";
        QTest::newRow("a release with no undo before it sets nothing") << "s01 r11 r00" << "---";
        QTest::newRow("a report while held is no new press") << "s00 r11 r11 u" << "---0";
        QTest::newRow("undone after the release: the next press and release put nothing back")
            << "s00 r11 r01 u r00 r11 r01" << "---0---";
        QTest::newRow("a report while held, before the undo has landed, sets nothing more")
            << "s00 r11 u r11 r10 r00" << "--0---";
    }
    void steps()
    {
        QFETCH(QString, script);
        QFETCH(QString, sets);
        CapsLockUndo caps;
        QString seen;
        for (const QString& step : script.split(u' ')) {
            std::optional<bool> lock;
            const bool held = step.size() == 3 && step[1] == u'1';
            const bool locked = step.size() == 3 && step[2] == u'1';
            if (step.startsWith(u's'))
                caps.start(held, locked);
            else if (step.startsWith(u'r'))
                lock = caps.onState(held, locked);
            else
                lock = caps.undo();
            seen += lock ? (*lock ? u'1' : u'0') : u'-';
        }
        QCOMPARE(seen, sets);
    }
};

QTEST_GUILESS_MAIN(TestCapsLockUndo)
#include "tst_capslockundo.moc"
