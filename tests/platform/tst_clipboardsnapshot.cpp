#include "platform/ClipboardSnapshot.h"

#include <QTest>

using namespace zarvik;

class TestClipboardSnapshot : public QObject {
    Q_OBJECT
private slots:
    // Our own text is offered in every text form that can carry it without loss.
    void fromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("offersString");
        QTest::newRow("ASCII") << QStringLiteral("cat") << true;
        QTest::newRow("Latin-1 letters") << QStringLiteral("café") << true;
        QTest::newRow("Cyrillic: no Latin-1 form") << QStringLiteral("кошка") << false;
        QTest::newRow("one Cyrillic letter among ASCII") << QStringLiteral("cat ж") << false;
        QTest::newRow("empty") << QString() << true;
    }
    void fromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, offersString);
        const ClipboardSnapshot snapshot = ClipboardSnapshot::fromText(text);
        for (const char* target : {"UTF8_STRING", "text/plain;charset=utf-8", "TEXT"}) {
            const ClipboardSnapshot::Entry* entry = snapshot.find(target);
            QVERIFY2(entry, target);
            QCOMPARE(QString::fromUtf8(entry->data), text);
            QCOMPARE(entry->type, QByteArrayLiteral("UTF8_STRING"));
        }
        const ClipboardSnapshot::Entry* latin1 = snapshot.find("STRING");
        QCOMPARE(latin1 != nullptr, offersString);
        if (latin1)
            QCOMPARE(QString::fromLatin1(latin1->data), text);
    }

    void metaTargetsAreNotContent_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("meta");
        QTest::newRow("TARGETS") << QByteArrayLiteral("TARGETS") << true;
        QTest::newRow("MULTIPLE") << QByteArrayLiteral("MULTIPLE") << true;
        QTest::newRow("TIMESTAMP") << QByteArrayLiteral("TIMESTAMP") << true;
        QTest::newRow("SAVE_TARGETS") << QByteArrayLiteral("SAVE_TARGETS") << true;
        QTest::newRow("a picture") << QByteArrayLiteral("image/png") << false;
        QTest::newRow("rich text") << QByteArrayLiteral("text/html") << false;
        QTest::newRow("letter case counts") << QByteArrayLiteral("targets") << false;
    }
    void metaTargetsAreNotContent()
    {
        QFETCH(QByteArray, target);
        QFETCH(bool, meta);
        QCOMPARE(ClipboardSnapshot::isMetaTarget(target), meta);
    }
};

QTEST_GUILESS_MAIN(TestClipboardSnapshot)
#include "tst_clipboardsnapshot.moc"
