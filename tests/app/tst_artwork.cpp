#include "app/Artwork.h"

#include <QTest>

using namespace zarvik;

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // Every size the desktop asks for is a whole picture: filled in the middle, see-through
    // outside its rounded corners, never a blank or a cut-off square.
    void iconAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }

    void iconAtEverySize()
    {
        QFETCH(int, size);
        const QImage icon = Artwork::icon(size);
        QCOMPARE(icon.size(), QSize(size, size));
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size - 1, size - 1)), 0);
        // Not one flat colour: the letter stands out from the square.
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                colours.insert(icon.pixel(x, y));
        QVERIFY(colours.size() > 8);
        // The white Z stands in the upper left, the dark letter on the strip at the lower right
        // (drawn from our own outlines: no font on the machine can take them away).
        QCOMPARE(icon.pixel(size * 37 / 100, size * 15 / 100), qRgb(255, 255, 255));
        if (size >= 20) {
            int darkest = 255;
            for (int y = size * 58 / 100; y < size * 84 / 100; ++y)
                for (int x = size * 50 / 100; x < size * 82 / 100; ++x)
                    darkest = std::min(darkest, qGray(icon.pixel(x, y)));
            QVERIFY(darkest < 100);
        }
    }

    void logoAndPointer()
    {
        QCOMPARE(Artwork::logo().size(), QSize(88, 31));
        const QImage hand = Artwork::handPointer();
        QCOMPARE(hand.size(), QSize(32, 32));
        // The fingertip is the hot spot: the drawing reaches the top edge there.
        QVERIFY(qAlpha(hand.pixel(6, 1)) > 0);
        QCOMPARE(qAlpha(hand.pixel(31, 0)), 0);
        QCOMPARE(Artwork::handCursor().hotSpot(), QPoint(6, 0));
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
