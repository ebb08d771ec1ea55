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
};

QTEST_GUILESS_MAIN(TestPopupPlacement)
#include "tst_popupplacement.moc"
