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

    // The keeper left at exit gets the clipboard through this form: what goes in comes out,
    // and bytes that are not a snapshot are refused rather than served.
    void handOverForm_data()
    {
        QTest::addColumn<bool>("damage");
        QTest::newRow("whole") << false;
        QTest::newRow("cut short") << true;
    }
    void handOverForm()
    {
        QFETCH(bool, damage);
        ClipboardSnapshot snapshot = ClipboardSnapshot::fromText(QStringLiteral("текст"));
        snapshot.entries.append({"image/png", "image/png", 8, QByteArray("\x89PNG\0\1", 7)});
        snapshot.entries.append({"TK_WINDOW", "WINDOW", 32, QByteArray(sizeof(long), '\7')});
        snapshot.offered = {"TARGETS", "TIMESTAMP", "UTF8_STRING", "image/png", "TK_WINDOW"};
        QByteArray bytes = snapshot.serialize();
        if (damage)
            bytes.chop(3);
        ClipboardSnapshot back;
        QCOMPARE(ClipboardSnapshot::deserialize(bytes, &back), !damage);
        if (damage)
            return;
        QCOMPARE(back.offered, snapshot.offered);
        QCOMPARE(back.entries.size(), snapshot.entries.size());
        for (qsizetype i = 0; i < back.entries.size(); ++i) {
            QCOMPARE(back.entries[i].target, snapshot.entries[i].target);
            QCOMPARE(back.entries[i].type, snapshot.entries[i].type);
            QCOMPARE(back.entries[i].format, snapshot.entries[i].format);
            QCOMPARE(back.entries[i].data, snapshot.entries[i].data);
        }
    }
};

QTEST_GUILESS_MAIN(TestClipboardSnapshot)
#include "tst_clipboardsnapshot.moc"
