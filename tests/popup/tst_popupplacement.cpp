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
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("label2Left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        // 1024-pixel screen: 15360 twips.
        QTest::newRow("16 pixels right of the pointer, level with it")
            << 600 << 900 << 100 << 50 << 15360 << 600 << 1500 << 1740 << 750;
        QTest::newRow("right edge: flush with the screen")
            << 600 << 900 << 1000 << 50 << 15360 << 600 << 1500 << 13860 << 750;
        QTest::newRow("exact fit stays at X") << 600 << 900 << 908 << 50 << 15360 << 600 << 1500 << 13860 << 750;
        QTest::newRow("one twip over is flush") << 600 << 900 << 908 << 50 << 15359 << 600 << 1500 << 13859 << 750;
        QTest::newRow("wider than the screen: negative left")
            << 5000 << 15000 << 10 << 10 << 15360 << 5000 << 20000 << -4640 << 150;
        QTest::newRow("bottom edge: no adjustment")
            << 600 << 900 << 100 << 767 << 15360 << 600 << 1500 << 1740 << 11505;
        QTest::newRow("pointer at the origin") << 300 << 300 << 0 << 0 << 15360 << 300 << 600 << 240 << 0;
        QTest::newRow("empty labels") << 0 << 0 << 100 << 100 << 15360 << 0 << 0 << 1740 << 1500;
    }
    void place()
    {
        QFETCH(int, label1);
        QFETCH(int, label2);
        QFETCH(int, mx);
        QFETCH(int, my);
        QFETCH(int, screen);
        QFETCH(int, label2Left);
        QFETCH(int, width);
        QFETCH(int, left);
        QFETCH(int, top);
        const StripLayout layout = PopupPlacement::place(label1, label2, mx, my, screen);
        QCOMPARE(layout.label2Left, label2Left);
        QCOMPARE(layout.width, width);
        QCOMPARE(layout.left, left);
        QCOMPARE(layout.top, top);
    }
};

QTEST_GUILESS_MAIN(TestPopupPlacement)
#include "tst_popupplacement.moc"
