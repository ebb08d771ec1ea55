#include "popup/PopupPlacement.h"

#include <QTest>

using namespace zarvik;

class TestPopupPlacement : public QObject {
    Q_OBJECT
private slots:
    void place_data()
    {
        QTest::addColumn<int>("label1");
        QTest::addColumn<int>("label2");
        QTest::addColumn<int>("mx");
        QTest::addColumn<int>("my");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("label2Left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        // 1024 x 768 pixels: 15360 x 11520 twips; the strip is 300 twips high.
        const QRect screen(0, 0, 15360, 11520);
        QTest::newRow("16 pixels right of the pointer, level with it")
            << 600 << 900 << 100 << 50 << screen << 600 << 1500 << 1740 << 750;
        QTest::newRow("right edge: flush with the screen")
            << 600 << 900 << 1000 << 50 << screen << 600 << 1500 << 13860 << 750;
        QTest::newRow("exact fit stays at X") << 600 << 900 << 908 << 50 << screen << 600 << 1500 << 13860 << 750;
        QTest::newRow("one twip over is flush")
            << 600 << 900 << 908 << 50 << QRect(0, 0, 15359, 11520) << 600 << 1500 << 13859 << 750;
        QTest::newRow("wider than the screen: starts at the left edge")
            << 5000 << 15000 << 10 << 10 << screen << 5000 << 20000 << 0 << 150;
        QTest::newRow("bottom edge: moved up to end at it")
            << 600 << 900 << 100 << 767 << screen << 600 << 1500 << 1740 << 11220;
        QTest::newRow("exactly ending at the bottom stays level")
            << 600 << 900 << 100 << 748 << screen << 600 << 1500 << 1740 << 11220;
        QTest::newRow("bottom-right corner") << 600 << 900 << 1023 << 767 << screen << 600 << 1500 << 13860 << 11220;
        QTest::newRow("pointer at the origin") << 300 << 300 << 0 << 0 << screen << 300 << 600 << 240 << 0;
        QTest::newRow("empty labels") << 0 << 0 << 100 << 100 << screen << 0 << 0 << 1740 << 1500;
        // A second monitor of 800 x 600 right of the first: its own edges hold the strip.
        const QRect second(15360, 0, 12000, 9000);
        QTest::newRow("second monitor: right edge")
            << 600 << 900 << 1800 << 100 << second << 600 << 1500 << 25860 << 1500;
        QTest::newRow("second monitor: bottom edge")
            << 600 << 900 << 1100 << 599 << second << 600 << 1500 << 16740 << 8700;
        QTest::newRow("second monitor: wider than it")
            << 6000 << 9000 << 1100 << 10 << second << 6000 << 15000 << 15360 << 150;
        // The edge between the two: the pointer on the first monitor's last pixel column, on
        // the second's first.
        QTest::newRow("last pixel of the first monitor: flush with its right edge")
            << 600 << 900 << 1023 << 100 << screen << 600 << 1500 << 13860 << 1500;
        QTest::newRow("first pixel of the second monitor: right of the pointer")
            << 600 << 900 << 1024 << 100 << second << 600 << 1500 << 15600 << 1500;
    }
    void place()
    {
        QFETCH(int, label1);
        QFETCH(int, label2);
        QFETCH(int, mx);
        QFETCH(int, my);
        QFETCH(QRect, screen);
        QFETCH(int, label2Left);
        QFETCH(int, width);
        QFETCH(int, left);
        QFETCH(int, top);
        const StripLayout layout = PopupPlacement::place(label1, label2, mx, my, screen, 300);
        QCOMPARE(layout.label2Left, label2Left);
        QCOMPARE(layout.width, width);
        QCOMPARE(layout.left, left);
        QCOMPARE(layout.top, top);
    }
    // A line wider than its monitor wraps within the monitor's width and the strip moves up
    // and left until all of it shows. Monitors of 1366 x 768 pixels at scale 1 and the same
    // screen at scale 2 (683 x 384 pixels of the program's); lines of 195 twips (13 pixels).
    void wrapAndPlace_data()
    {
        QTest::addColumn<int>("label1");
        QTest::addColumn<int>("label2");
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<int>("mx");
        QTest::addColumn<int>("my");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("label1Width");
        QTest::addColumn<int>("label2Width");
        QTest::addColumn<bool>("wraps");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("height");
        const QRect one(0, 0, 20490, 11520);
        const QRect two(0, 0, 10245, 5760);
        QTest::newRow("scale 1: a short line, 16 px right of the pointer")
            << 1500 << 4500 << one << 100 << 100 << 1 << 1500 << 4500 << false << 6000 << 1740 << 1500 << 300;
        QTest::newRow("scale 1: as wide as the monitor stays on one line")
            << 1500 << 18990 << one << 100 << 100 << 1 << 1500 << 18990 << false << 20490 << 0 << 1500 << 300;
        QTest::newRow("scale 1: a twip wider wraps")
            << 1500 << 18991 << one << 100 << 100 << 2 << 1500 << 18990 << true << 20490 << 0 << 1500 << 495;
        QTest::newRow("scale 1: wrapped, ending exactly at the bottom stays level")
            << 1500 << 30000 << one << 100 << 735 << 2 << 1500 << 18990 << true << 20490 << 0 << 11025 << 495;
        QTest::newRow("scale 1: wrapped, a pixel lower moves up")
            << 1500 << 30000 << one << 100 << 736 << 2 << 1500 << 18990 << true << 20490 << 0 << 11025 << 495;
        QTest::newRow("scale 1: four lines at the bottom corner")
            << 1500 << 60000 << one << 1365 << 767 << 4 << 1500 << 18990 << true << 20490 << 0 << 10635 << 885;
        QTest::newRow("scale 2: as wide as the monitor stays on one line")
            << 1500 << 8745 << two << 600 << 100 << 1 << 1500 << 8745 << false << 10245 << 0 << 1500 << 300;
        QTest::newRow("scale 2: a twip wider wraps")
            << 1500 << 8746 << two << 600 << 100 << 2 << 1500 << 8745 << true << 10245 << 0 << 1500 << 495;
        QTest::newRow("scale 2: short line at the right edge is flush with it")
            << 1500 << 4500 << two << 600 << 100 << 1 << 1500 << 4500 << false << 6000 << 4245 << 1500 << 300;
        // Two such monitors at scale 2, the second's corner at 1366 pixels: the edge between them.
        QTest::newRow("scale 2: last pixel of the first monitor")
            << 1500 << 4500 << two << 682 << 100 << 1 << 1500 << 4500 << false << 6000 << 4245 << 1500 << 300;
        QTest::newRow("scale 2: first pixel of the second monitor")
            << 1500 << 4500 << QRect(20490, 0, 10245, 5760) << 1366 << 100 << 1 << 1500 << 4500 << false << 6000
            << 20730 << 1500 << 300;
        QTest::newRow("scale 2: long line on a second monitor")
            << 1500 << 30000 << QRect(20490, 0, 10245, 5760) << 1400 << 370 << 4 << 1500 << 8745 << true << 10245
            << 20490 << 4875 << 885;
        QTest::newRow("headword of two thirds of the monitor is kept")
            << 13660 << 6830 << one << 100 << 100 << 1 << 13660 << 6830 << false << 20490 << 0 << 1500 << 300;
        QTest::newRow("headword a twip longer is cut to two thirds")
            << 13661 << 6830 << one << 100 << 100 << 1 << 13660 << 6830 << false << 20490 << 0 << 1500 << 300;
        QTest::newRow("long headword, the translation wraps in the third left")
            << 15000 << 7000 << one << 100 << 100 << 2 << 13660 << 6830 << true << 20490 << 0 << 1500 << 495;
    }
    void wrapAndPlace()
    {
        QFETCH(int, label1);
        QFETCH(int, label2);
        QFETCH(QRect, monitor);
        QFETCH(int, mx);
        QFETCH(int, my);
        QFETCH(int, lines);
        const StripWrap wrap = PopupPlacement::wrap(label1, label2, monitor.width());
        QTEST(wrap.label1Width, "label1Width");
        QTEST(wrap.label2Width, "label2Width");
        QTEST(wrap.wraps, "wraps");
        const int height = PopupPlacement::height(lines, 195);
        QTEST(height, "height");
        const StripLayout layout = PopupPlacement::place(wrap.label1Width, wrap.label2Width, mx, my, monitor, height);
        QTEST(layout.width, "width");
        QTEST(layout.left, "left");
        QTEST(layout.top, "top");
        QCOMPARE(layout.label2Left, wrap.label1Width);
    }
};


QTEST_GUILESS_MAIN(TestPopupPlacement)
#include "tst_popupplacement.moc"
