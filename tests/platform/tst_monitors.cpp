#include "platform/Monitors.h"

#include <QTest>

using namespace zarvik;

Q_DECLARE_METATYPE(zarvik::Monitors::Scaled)

class TestMonitors : public QObject {
    Q_OBJECT
private slots:
    // The display server's pointer (device pixels) in the coordinates windows are moved in.
    void toLogical_data()
    {
        QTest::addColumn<QList<Monitors::Scaled>>("monitors");
        QTest::addColumn<QPoint>("device");
        QTest::addColumn<QPoint>("logical");
        using S = Monitors::Scaled;
        const QList<S> one1{{QRect(0, 0, 1600, 1000), 1.0}};
        const QList<S> one15{{QRect(0, 0, 1067, 667), 1.5}};
        const QList<S> one2{{QRect(0, 0, 800, 500), 2.0}};
        // Two device monitors of 1280 x 1024 side by side, both at factor 2: each keeps its
        // corner, so the logical desktop has a gap between 640 and 1280.
        const QList<S> two2{{QRect(0, 0, 640, 512), 2.0}, {QRect(1280, 0, 640, 512), 2.0}};
        // The same with only the right one scaled.
        const QList<S> mixed{{QRect(0, 0, 1280, 1024), 1.0}, {QRect(1280, 0, 640, 512), 2.0}};
        QTest::newRow("factor 1: unchanged") << one1 << QPoint(200, 450) << QPoint(200, 450);
        QTest::newRow("factor 1.5") << one15 << QPoint(300, 450) << QPoint(200, 300);
        QTest::newRow("factor 2") << one2 << QPoint(200, 450) << QPoint(100, 225);
        QTest::newRow("factor 2, bottom right pixel") << one2 << QPoint(1599, 999) << QPoint(800, 500);
        QTest::newRow("factor 2, left monitor") << two2 << QPoint(1000, 300) << QPoint(500, 150);
        QTest::newRow("factor 2, right monitor") << two2 << QPoint(1500, 300) << QPoint(1390, 150);
        QTest::newRow("factor 2, right monitor's corner") << two2 << QPoint(1280, 0) << QPoint(1280, 0);
        QTest::newRow("mixed, unscaled left") << mixed << QPoint(1279, 1000) << QPoint(1279, 1000);
        QTest::newRow("mixed, scaled right") << mixed << QPoint(2559, 1023) << QPoint(1920, 512);
        QTest::newRow("off every monitor: by the nearest") << mixed << QPoint(2000, 1100) << QPoint(1640, 550);
        QTest::newRow("no monitor: unchanged") << QList<S>{} << QPoint(7, 9) << QPoint(7, 9);
    }
    void toLogical()
    {
        QFETCH(QList<Monitors::Scaled>, monitors);
        QFETCH(QPoint, device);
        QFETCH(QPoint, logical);
        QCOMPARE(Monitors::toLogical(device, monitors), logical);
    }
};

QTEST_APPLESS_MAIN(TestMonitors)
#include "tst_monitors.moc"
