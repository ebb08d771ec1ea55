#include "platform/Monitors.h"

#include <QTest>

using namespace zarvik;

Q_DECLARE_METATYPE(zarvik::Monitors::Scaled)
Q_DECLARE_METATYPE(zarvik::Monitor)

class TestMonitors : public QObject {
    Q_OBJECT
private slots:
    // The monitor a point is on (logical pixels), else the nearest: two monitors of 1280 x 1024
    // device pixels at factor 1, and at factor 2 (each keeps its corner, so a gap lies between
    // 640 and 1279 logical pixels). Each edge is tried on both sides.
    void at_data()
    {
        QTest::addColumn<QList<Monitor>>("monitors");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QRect>("found");
        const QRect left1(0, 0, 1280, 1024), right1(1280, 0, 1280, 1024), below1(0, 1024, 1280, 1024);
        const QList<Monitor> side1{{left1, true}, {right1, false}};
        const QList<Monitor> stacked1{{left1, true}, {below1, false}};
        const QRect left2(0, 0, 640, 512), right2(1280, 0, 640, 512), below2(0, 1024, 640, 512);
        const QList<Monitor> side2{{left2, true}, {right2, false}};
        const QList<Monitor> stacked2{{left2, true}, {below2, false}};
        QTest::newRow("factor 1: last pixel of the left") << side1 << QPoint(1279, 500) << left1;
        QTest::newRow("factor 1: first pixel of the right") << side1 << QPoint(1280, 500) << right1;
        QTest::newRow("factor 1, listed right first: last pixel of the left")
            << QList<Monitor>{side1[1], side1[0]} << QPoint(1279, 500) << left1;
        QTest::newRow("factor 1, listed right first: first pixel of the right")
            << QList<Monitor>{side1[1], side1[0]} << QPoint(1280, 500) << right1;
        QTest::newRow("factor 1: last row of the upper") << stacked1 << QPoint(600, 1023) << left1;
        QTest::newRow("factor 1: first row of the lower") << stacked1 << QPoint(600, 1024) << below1;
        QTest::newRow("factor 2: last pixel of the left") << side2 << QPoint(639, 300) << left2;
        QTest::newRow("factor 2: first pixel of the gap, nearer the left") << side2 << QPoint(640, 300) << left2;
        QTest::newRow("factor 2: middle of the gap, left side") << side2 << QPoint(959, 300) << left2;
        QTest::newRow("factor 2: middle of the gap, right side") << side2 << QPoint(960, 300) << right2;
        QTest::newRow("factor 2: last pixel of the gap, nearer the right") << side2 << QPoint(1279, 300) << right2;
        QTest::newRow("factor 2: first pixel of the right") << side2 << QPoint(1280, 300) << right2;
        QTest::newRow("factor 2: last row of the upper") << stacked2 << QPoint(300, 511) << left2;
        QTest::newRow("factor 2: first row below the upper") << stacked2 << QPoint(300, 512) << left2;
        QTest::newRow("factor 2: first row of the lower") << stacked2 << QPoint(300, 1024) << below2;
    }
    void at()
    {
        QFETCH(QList<Monitor>, monitors);
        QFETCH(QPoint, point);
        QFETCH(QRect, found);
        QCOMPARE(Monitors::at(monitors, point).geometry, found);
    }

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
        // The edge between the two, on both sides, in either order of the list; a pixel is
        // scaled by the monitor it is on (a half pixel rounds up).
        QTest::newRow("factor 2, last pixel of the left") << two2 << QPoint(1279, 300) << QPoint(640, 150);
        QTest::newRow("factor 2, first pixel of the right") << two2 << QPoint(1280, 300) << QPoint(1280, 150);
        QTest::newRow("factor 2, listed right first: last pixel of the left")
            << QList<S>{two2[1], two2[0]} << QPoint(1279, 300) << QPoint(640, 150);
        QTest::newRow("factor 2, listed right first: first pixel of the right")
            << QList<S>{two2[1], two2[0]} << QPoint(1280, 300) << QPoint(1280, 150);
        // Stacked: the lower one's corner is at device row 1024.
        const QList<S> stacked2{{QRect(0, 0, 640, 512), 2.0}, {QRect(0, 1024, 640, 512), 2.0}};
        QTest::newRow("factor 2, last row of the upper") << stacked2 << QPoint(300, 1023) << QPoint(150, 512);
        QTest::newRow("factor 2, first row of the lower") << stacked2 << QPoint(300, 1024) << QPoint(150, 1024);
        QTest::newRow("mixed, unscaled left") << mixed << QPoint(1279, 1000) << QPoint(1279, 1000);
        QTest::newRow("mixed, first pixel of the scaled right") << mixed << QPoint(1280, 1000) << QPoint(1280, 500);
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
