#include "panel/PanelGeometry.h"
#include "panel/PanelMask.h"

#include <QTest>

using namespace zarvik;

Q_DECLARE_METATYPE(zarvik::Monitor)

class TestPanelGeometry : public QObject {
    Q_OBJECT
private slots:
    void positions_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<bool>("bigpanel");
        QTest::addColumn<int>("closed");
        QTest::addColumn<int>("open");
        // 1024 and 1280 pixels wide screens: 15360 and 19200 twips.
        QTest::newRow("small panel, 1024") << 15360 << false << 15110 << 9610;
        QTest::newRow("big panel, 1024") << 15360 << true << 14010 << 9610;
        QTest::newRow("small panel, 1280") << 19200 << false << 18950 << 13450;
        QTest::newRow("big panel, 1280") << 19200 << true << 17850 << 13450;
    }
    void positions()
    {
        QFETCH(int, screenWidth);
        QFETCH(bool, bigpanel);
        QFETCH(int, closed);
        QFETCH(int, open);
        const int e = PanelGeometry::extraStrip(bigpanel);
        QCOMPARE(PanelGeometry::closedLeft(screenWidth, e), closed);
        QCOMPARE(PanelGeometry::openLeft(screenWidth), open);
        // The open position is the closed one moved 5500 - E to the left.
        QCOMPARE(PanelGeometry::openLeft(screenWidth), closed - 5500 + e);
    }

    void slideSteps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("opening") << 15110 << -1 << QList<int>{14110, 13110, 12110, 11110};
        QTest::newRow("closing") << 9610 << 1 << QList<int>{10610, 11610, 12610, 13610};
    }
    void slideSteps()
    {
        QFETCH(int, from);
        QFETCH(int, direction);
        QFETCH(QList<int>, steps);
        const auto positions = PanelGeometry::slidePositions(from, direction);
        QCOMPARE(QList<int>(positions.begin(), positions.end()), steps);
    }

    void heights_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("inputEmpty");
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("form");
        QTest::newRow("empty input: strip only") << 1 << true << 255 << 380;
        QTest::newRow("one line") << 1 << false << 255 << 770;
        QTest::newRow("three lines") << 3 << false << 671 << 1186;
        QTest::newRow("ten lines") << 10 << false << 2127 << 2642;
        // Only the single empty line of an empty input shrinks the panel to its strip.
        QTest::newRow("empty input but two lines") << 2 << true << 463 << 978;
    }
    void heights()
    {
        QFETCH(int, lines);
        QFETCH(bool, inputEmpty);
        QFETCH(int, list);
        QFETCH(int, form);
        QCOMPARE(PanelGeometry::listHeight(lines), list);
        QCOMPARE(PanelGeometry::formHeight(lines, inputEmpty), form);
    }

    void activationTop_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("monitorTop");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<double>("top");
        QTest::addColumn<bool>("store");
        // 768 pixels: 11520 twips, half 5760.
        QTest::newRow("absent key reads the default H/2") << QStringLiteral("5760") << 0 << 11520 << 5760.0 << false;
        QTest::newRow("in range") << QStringLiteral("3000") << 0 << 11520 << 3000.0 << false;
        QTest::newRow("zero is in range") << QStringLiteral("0") << 0 << 11520 << 0.0 << false;
        QTest::newRow("strip ends at the bottom edge: in range") << QStringLiteral("11140") << 0 << 11520 << 11140.0 << false;
        QTest::newRow("strip one twip below the screen") << QStringLiteral("11141") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("H itself: the strip is below the screen") << QStringLiteral("11520") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("below the screen") << QStringLiteral("15000") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("negative") << QStringLiteral("-15") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("not a number") << QStringLiteral("abc") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("stored empty") << QString() << 0 << 11520 << 5760.0 << true;
        QTest::newRow("infinite") << QStringLiteral("inf") << 0 << 11520 << 5760.0 << true;
        QTest::newRow("fraction kept") << QStringLiteral("1234.5") << 0 << 11520 << 1234.5 << false;
        QTest::newRow("odd screen height gives a half twip") << QStringLiteral("x") << 0 << 11505 << 5752.5 << true;
        // The lower of two stacked monitors: rows 15360 .. 26880.
        QTest::newRow("lower monitor: in range") << QStringLiteral("20000") << 15360 << 11520 << 20000.0 << false;
        QTest::newRow("lower monitor: on the monitor above") << QStringLiteral("3000") << 15360 << 11520 << 21120.0 << true;
        QTest::newRow("lower monitor: its top row") << QStringLiteral("15360") << 15360 << 11520 << 15360.0 << false;
        QTest::newRow("lower monitor: strip past its bottom") << QStringLiteral("26600") << 15360 << 11520 << 21120.0 << true;
    }
    void activationTop()
    {
        QFETCH(QString, stored);
        QFETCH(int, monitorTop);
        QFETCH(int, screenHeight);
        QFETCH(double, top);
        QFETCH(bool, store);
        const auto placement = PanelGeometry::activationTop(stored, monitorTop, screenHeight);
        QCOMPARE(placement.top, top);
        QCOMPARE(placement.store, store);
    }

    void dragTop_data()
    {
        QTest::addColumn<int>("monitorTop");
        QTest::addColumn<double>("wanted");
        QTest::addColumn<double>("top");
        // 1024 pixels: 15360 twips; the strip is 380 twips high.
        QTest::newRow("inside the screen") << 0 << 7000.5 << 7000.5;
        QTest::newRow("above the top edge") << 0 << -300.0 << 0.0;
        QTest::newRow("strip would leave at the bottom") << 0 << 15165.0 << 14980.0;
        QTest::newRow("strip ends at the bottom edge") << 0 << 14980.0 << 14980.0;
        // The lower of two stacked monitors: the drag stays on it.
        QTest::newRow("lower monitor: up onto the one above") << 15360 << 15000.0 << 15360.0;
        QTest::newRow("lower monitor: past its bottom") << 15360 << 31000.0 << 30340.0;
    }
    void dragTop()
    {
        QFETCH(int, monitorTop);
        QFETCH(double, wanted);
        QFETCH(double, top);
        QCOMPARE(PanelGeometry::dragTop(wanted, monitorTop, 15360), top);
    }

    // Where the open panel's window stands: whole on its monitor, lifted no more than its
    // list needs, at its own top when it fits. Heights: 380 the strip, 770 one line, 1186
    // three lines, 2642 ten lines.
    void shownTop_data()
    {
        QTest::addColumn<QList<Monitor>>("monitors");
        QTest::addColumn<double>("top");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("shown");
        const QList<Monitor> one{{QRect(0, 0, 1280, 1024), true}}; // 15360 twips high
        const QList<Monitor> stacked{{QRect(0, 0, 1280, 1024), true}, {QRect(0, 1024, 1280, 1024), false}};
        const QList<Monitor> sideBySide{{QRect(0, 0, 1280, 1024), true}, {QRect(1280, 0, 1024, 768), false}};
        QTest::newRow("one: middle, ten lines fit") << one << 7680.0 << 2642 << 7680.0;
        QTest::newRow("one: strip at the bottom, closed") << one << 14980.0 << 380 << 14980.0;
        QTest::newRow("one: handle at y 999, three lines") << one << 14985.0 << 1186 << 14174.0;
        QTest::newRow("one: strip at the bottom, one line") << one << 14980.0 << 770 << 14590.0;
        QTest::newRow("one: strip at the bottom, ten lines") << one << 14980.0 << 2642 << 12718.0;
        QTest::newRow("one: ten lines end on the bottom row") << one << 12718.0 << 2642 << 12718.0;
        QTest::newRow("one: ten lines one twip too low") << one << 12719.0 << 2642 << 12718.0;
        QTest::newRow("one: fraction kept where it fits") << one << 1234.5 << 770 << 1234.5;
        QTest::newRow("one: list taller than the monitor") << QList<Monitor>{{QRect(0, 0, 640, 100), true}} << 1120.0
                                                        << 2642 << 0.0;
        QTest::newRow("stacked, upper: stays off the lower one") << stacked << 14980.0 << 2642 << 12718.0;
        QTest::newRow("stacked, upper: fits above its bottom") << stacked << 12718.0 << 2642 << 12718.0;
        QTest::newRow("stacked, lower: its top row") << stacked << 15360.0 << 2642 << 15360.0;
        QTest::newRow("stacked, lower: strip at its bottom") << stacked << 30340.0 << 2642 << 28078.0;
        QTest::newRow("stacked, lower: strip at its bottom, closed") << stacked << 30340.0 << 380 << 30340.0;
        QTest::newRow("side by side: the shorter right one") << sideBySide << 11140.0 << 1186 << 10334.0;
        QTest::newRow("side by side: fits on the right one") << sideBySide << 10334.0 << 1186 << 10334.0;
    }
    void shownTop()
    {
        QFETCH(QList<Monitor>, monitors);
        QFETCH(double, top);
        QFETCH(int, height);
        QFETCH(double, shown);
        QCOMPARE(PanelGeometry::shownTop(monitors, top, height), shown);
    }

    // Which monitor the panel lives on, for the layouts a user meets.
    void panelMonitor_data()
    {
        QTest::addColumn<QList<Monitor>>("monitors");
        QTest::addColumn<double>("storedTop"); // pixels; negative: nothing stored
        QTest::addColumn<QRect>("expected");
        const QRect left(0, 0, 1280, 1024), right(1280, 0, 1280, 800);
        const QRect upper(0, 0, 1280, 1024), lower(0, 1024, 1280, 1024);
        QTest::newRow("one monitor") << QList<Monitor>{{left, true}} << -1.0 << left;
        QTest::newRow("side by side, primary left: the right one")
            << QList<Monitor>{{left, true}, {right, false}} << 500.0 << right;
        QTest::newRow("side by side, listed right first") << QList<Monitor>{{right, false}, {left, true}} << -1.0 << right;
        QTest::newRow("monitor left of the primary: the primary")
            << QList<Monitor>{{left, false}, {right, true}} << -1.0 << right;
        QTest::newRow("stacked: the one holding the stored top")
            << QList<Monitor>{{upper, true}, {lower, false}} << 1500.0 << lower;
        QTest::newRow("stacked: stored top on neither, the primary")
            << QList<Monitor>{{upper, false}, {lower, true}} << 5000.0 << lower;
        QTest::newRow("stacked beside a primary: the highest of the edge")
            << QList<Monitor>{{QRect(1280, 1024, 1280, 1024), false}, {QRect(1280, 0, 1280, 1024), false},
                              {QRect(0, 0, 1280, 1024), true}}
            << -1.0 << QRect(1280, 0, 1280, 1024);
        QTest::newRow("narrower monitor reaching further right")
            << QList<Monitor>{{QRect(0, 0, 1920, 1080), true}, {QRect(1920, 200, 1024, 768), false}} << -1.0
            << QRect(1920, 200, 1024, 768);
    }
    void panelMonitor()
    {
        QFETCH(QList<Monitor>, monitors);
        QFETCH(double, storedTop);
        QFETCH(QRect, expected);
        const std::optional<double> stored = storedTop < 0 ? std::nullopt : std::optional<double>(storedTop);
        QCOMPARE(PanelGeometry::panelMonitor(monitors, stored), expected);
    }

    void maskPixels_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("inside");
        QTest::newRow("corner (0,0)") << QPoint(0, 0) << false;
        QTest::newRow("top frame row (200,0)") << QPoint(200, 0) << false;
        QTest::newRow("bottom frame row (200,307)") << QPoint(200, 307) << false;
        QTest::newRow("right frame column (515,100)") << QPoint(515, 100) << false;
        QTest::newRow("last inside column (514,100)") << QPoint(514, 100) << true;
        QTest::newRow("row 1 cut to 16: (16,1)") << QPoint(16, 1) << false;
        QTest::newRow("row 1 inside from 17: (17,1)") << QPoint(17, 1) << true;
        QTest::newRow("row 12 cut to 1: (1,12)") << QPoint(1, 12) << false;
        QTest::newRow("row 12 inside from 2: (2,12)") << QPoint(2, 12) << true;
        QTest::newRow("row 24 cut to 16: (16,24)") << QPoint(16, 24) << false;
        QTest::newRow("row 24 inside from 17: (17,24)") << QPoint(17, 24) << true;
        QTest::newRow("row 25 left of the body (91,25)") << QPoint(91, 25) << false;
        QTest::newRow("body (92,30)") << QPoint(92, 30) << true;
        QTest::newRow("left of body (91,30)") << QPoint(91, 30) << false;
        QTest::newRow("body bottom (92,306)") << QPoint(92, 306) << true;
        QTest::newRow("strip middle (200,10)") << QPoint(200, 10) << true;
        QTest::newRow("outside the mask (600,10)") << QPoint(600, 10) << false;
    }
    void maskPixels()
    {
        QFETCH(QPoint, pixel);
        QFETCH(bool, inside);
        QCOMPARE(PanelMask::region().contains(pixel), inside);
        if (QRect(0, 0, PanelMask::kWidth, PanelMask::kHeight).contains(pixel))
            QCOMPARE(PanelMask::image().pixelIndex(pixel) == 1, inside);
    }

    void maskStripEndCutsEachRow()
    {
        // The last outside column of rows 1 to 24.
        const int cut[] = {16, 11, 8, 7, 5, 4, 3, 2, 2, 1, 1, 1, 1, 1, 1, 2, 2, 3, 4, 5, 7, 8, 11, 16};
        const QRegion region = PanelMask::region();
        for (int row = 1; row <= 24; ++row) {
            QVERIFY2(!region.contains(QPoint(cut[row - 1], row)), qPrintable(QString::number(row)));
            QVERIFY2(region.contains(QPoint(cut[row - 1] + 1, row)), qPrintable(QString::number(row)));
        }
    }

    void maskStripEndIsSymmetric()
    {
        // The rounded end is a semicircle: row r and row 25 - r cut the same columns.
        for (int row = 1; row <= 12; ++row)
            QCOMPARE(PanelMask::firstInsideColumn(row), PanelMask::firstInsideColumn(25 - row));
    }

    void maskRegionMatchesImage()
    {
        const QRegion region = PanelMask::region();
        const QImage image = PanelMask::image();
        QCOMPARE(image.size(), QSize(516, 308));
        int mismatches = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                mismatches += (image.pixelIndex(x, y) == 1) != region.contains(QPoint(x, y));
        QCOMPARE(mismatches, 0);
    }
};

QTEST_GUILESS_MAIN(TestPanelGeometry)
#include "tst_panelgeometry.moc"
