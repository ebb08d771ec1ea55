#include "app/TrayIcon.h"
#include "platform/fake/FakePlatform.h"

#include <QSignalSpy>
#include <QTest>

using namespace zarvik;

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

// One activation of the icon, `at` seconds after the first.
struct Activation {
    QSystemTrayIcon::ActivationReason reason;
    double at;
};
Q_DECLARE_METATYPE(QList<Activation>)

class TestTrayIcon : public QObject {
    Q_OBJECT
private slots:
    void mouseActionsBecomeEvents_data()
    {
        using R = QSystemTrayIcon;
        QTest::addColumn<QList<Activation>>("activations");
        QTest::addColumn<QString>("events");
        // The fake's double-click time is 500 ms.
        QTest::newRow("left press") << QList<Activation>{{R::Trigger, 0}} << "Click";
        QTest::newRow("double-click as Qt's XEmbed icon reports it")
            << QList<Activation>{{R::Trigger, 0}, {R::DoubleClick, 0.08}} << "Click DblClick";
        QTest::newRow("double-click reported with its second press")
            << QList<Activation>{{R::Trigger, 0}, {R::Trigger, 0.2}, {R::DoubleClick, 0.2}} << "Click DblClick";
        QTest::newRow("two clicks slower than the double-click time")
            << QList<Activation>{{R::Trigger, 0}, {R::Trigger, 0.6}} << "Click Click";
        QTest::newRow("third press after a double-click is a click again")
            << QList<Activation>{{R::Trigger, 0}, {R::Trigger, 0.2}, {R::DoubleClick, 0.2}, {R::Trigger, 0.4}}
            << "Click DblClick Click";
        QTest::newRow("two double-clicks in a row")
            << QList<Activation>{{R::Trigger, 0},   {R::Trigger, 0.2}, {R::DoubleClick, 0.2},
                                 {R::Trigger, 1.0}, {R::Trigger, 1.2}, {R::DoubleClick, 1.2}}
            << "Click DblClick Click DblClick";
        QTest::newRow("right click") << QList<Activation>{{R::Context, 0}} << "RightClick";
        QTest::newRow("right click between two left presses does not break the pair")
            << QList<Activation>{{R::Trigger, 0}, {R::Context, 0.1}, {R::Trigger, 0.2}} << "Click RightClick DblClick";
        QTest::newRow("middle button and unknown raise nothing")
            << QList<Activation>{{R::MiddleClick, 0}, {R::Unknown, 0.1}} << "";
    }

    void mouseActionsBecomeEvents()
    {
        QFETCH(QList<Activation>, activations);
        QFETCH(QString, events);
        FakePlatform platform;
        platform.setDoubleClickTime(500);
        platform.advanceClock(100);
        TrayIcon tray(platform);
        QStringList raised;
        connect(&tray, &TrayIcon::Click, this, [&] { raised << QStringLiteral("Click"); });
        connect(&tray, &TrayIcon::DblClick, this, [&] { raised << QStringLiteral("DblClick"); });
        connect(&tray, &TrayIcon::RightClick, this, [&] { raised << QStringLiteral("RightClick"); });
        double clock = 0;
        for (const Activation& a : activations) {
            platform.advanceClock(a.at - clock);
            clock = a.at;
            tray.activate(a.reason);
        }
        QCOMPARE(raised.join(QLatin1Char(' ')), events);
    }

    void tipOfANewControlIsOneSpace()
    {
        FakePlatform platform;
        TrayIcon tray(platform);
        QCOMPARE(tray.ScreenTip(), QStringLiteral(" "));
        QVERIFY(!tray.shown());
        tray.Remove(); // before Add: nothing to take away, no crash
        QVERIFY(!tray.shown());
    }

    void changedTipWaitsForTheNextAdd()
    {
        FakePlatform platform;
        TrayIcon tray(platform);
        tray.setScreenTip(QStringLiteral("Zarvik 5.0"));
        tray.Add(QIcon());
        QVERIFY(tray.shown());
        QCOMPARE(tray.shownTip(), QStringLiteral("Zarvik 5.0"));

        tray.setScreenTip(QStringLiteral("другая подсказка"));
        QCOMPARE(tray.ScreenTip(), QStringLiteral("другая подсказка"));
        QCOMPARE(tray.shownTip(), QStringLiteral("Zarvik 5.0"));

        tray.Remove();
        QVERIFY(!tray.shown());
        tray.Add(QIcon());
        QCOMPARE(tray.shownTip(), QStringLiteral("другая подсказка"));
    }

    void longTipIsCut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("63 characters fit") << 63 << 63;
        QTest::newRow("64 characters lose the last") << 64 << 63;
        QTest::newRow("200 characters") << 200 << 63;
    }

    void longTipIsCut()
    {
        QFETCH(int, length);
        QFETCH(int, shown);
        FakePlatform platform;
        TrayIcon tray(platform);
        tray.setScreenTip(QString(length, QChar(u'ж')));
        tray.Add(QIcon());
        QCOMPARE(tray.shownTip(), QString(shown, QChar(u'ж')));
        QCOMPARE(tray.ScreenTip().size(), length); // the control keeps what it was given
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
