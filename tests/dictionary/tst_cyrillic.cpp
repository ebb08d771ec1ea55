#include "dictionary/Cyrillic.h"

#include <QTest>

using namespace zarvik;

class TestCyrillic : public QObject {
    Q_OBJECT
private slots:
    // Each edge of the range from both sides; the reader, the endings and the importer all
    // ask this one question.
    void isCyrillicLetter_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Latin a") << QChar(u'a') << false;
        QTest::newRow("hyphen") << QChar(u'-') << false;
        QTest::newRow("U+03FF Greek, just below") << QChar(u'\u03FF') << false;
        QTest::newRow("U+0400 first of the block") << QChar(u'Ѐ') << true;
        QTest::newRow("U+0401 Ё") << QChar(u'Ё') << true;
        QTest::newRow("U+0410 А") << QChar(u'А') << true;
        QTest::newRow("U+044F я") << QChar(u'я') << true;
        QTest::newRow("U+0451 ё") << QChar(u'ё') << true;
        QTest::newRow("U+0457 Ukrainian ї") << QChar(u'ї') << true;
        QTest::newRow("U+0481 last letter before the signs") << QChar(u'ҁ') << true;
        QTest::newRow("U+0482 thousands sign") << QChar(u'\u0482') << false;
        QTest::newRow("U+0483 combining titlo") << QChar(u'\u0483') << false;
        QTest::newRow("U+0489 last combining mark") << QChar(u'\u0489') << false;
        QTest::newRow("U+048A first letter after the marks") << QChar(u'Ҋ') << true;
        QTest::newRow("U+04FF end of the first block") << QChar(u'ӿ') << true;
        QTest::newRow("U+0500 start of the supplement") << QChar(u'Ԁ') << true;
        QTest::newRow("U+052F last letter of the supplement") << QChar(u'ԯ') << true;
        QTest::newRow("U+0530 just above") << QChar(u'\u0530') << false;
        QTest::newRow("U+0531 Armenian") << QChar(u'Ա') << false;
        QTest::newRow("U+0301 stress mark") << QChar(u'\u0301') << false;
        QTest::newRow("U+1C80 Cyrillic Extended-C") << QChar(u'\u1C80') << false;
        QTest::newRow("U+A640 Cyrillic Extended-B") << QChar(u'\uA640') << false;
    }
    void isCyrillicLetter()
    {
        QFETCH(QChar, c);
        QFETCH(bool, expected);
        QCOMPARE(zarvik::isCyrillicLetter(c), expected);
    }
};

QTEST_APPLESS_MAIN(TestCyrillic)
#include "tst_cyrillic.moc"
