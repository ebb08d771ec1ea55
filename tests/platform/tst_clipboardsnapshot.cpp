#include "platform/ClipboardSnapshot.h"
#include "platform/TextFormats.h"

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
        QTest::addColumn<QByteArrayList>("targets"); // best first
        const QByteArrayList all = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT"};
        const QByteArrayList noLatin1 = {"UTF8_STRING", "text/plain;charset=utf-8", "TEXT"};
        QTest::newRow("ASCII") << QStringLiteral("cat") << true << all;
        QTest::newRow("Latin-1 letters") << QStringLiteral("café") << true << all;
        QTest::newRow("Cyrillic: no Latin-1 form") << QStringLiteral("кошка") << false << noLatin1;
        QTest::newRow("one Cyrillic letter among ASCII") << QStringLiteral("cat ж") << false << noLatin1;
        QTest::newRow("empty") << QString() << true << all;
    }
    void fromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, offersString);
        QFETCH(QByteArrayList, targets);
        const ClipboardSnapshot snapshot = ClipboardSnapshot::fromText(text);
        QByteArrayList offered;
        for (const ClipboardSnapshot::Entry& entry : snapshot.entries)
            offered.append(entry.target);
        QCOMPARE(offered, targets);
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

    // One order of the text forms for X11 targets and Wayland types alike: UTF-8, then the
    // Latin-1 STRING, then TEXT, whose encoding the owner picks.
    void textFormsBestFirst_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("rank");
        QTest::newRow("UTF8_STRING") << QByteArrayLiteral("UTF8_STRING") << 0;
        QTest::newRow("UTF-8 MIME type") << QByteArrayLiteral("text/plain;charset=utf-8") << 0;
        QTest::newRow("STRING") << QByteArrayLiteral("STRING") << 1;
        QTest::newRow("Latin-1 MIME type") << QByteArrayLiteral("text/plain;charset=iso-8859-1") << 1;
        QTest::newRow("TEXT") << QByteArrayLiteral("TEXT") << 2;
        QTest::newRow("plain MIME type") << QByteArrayLiteral("text/plain") << 2;
        QTest::newRow("compound text") << QByteArrayLiteral("COMPOUND_TEXT") << -1;
        QTest::newRow("rich text") << QByteArrayLiteral("text/html") << -1;
        QTest::newRow("letter case counts") << QByteArrayLiteral("utf8_string") << -1;
    }
    void textFormsBestFirst()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, rank);
        QCOMPARE(textFormatIndex(name), rank);
        QByteArrayList wayland;
        for (const char* type : waylandTextTypes())
            wayland.append(type);
        QCOMPARE(wayland, QByteArrayList({"text/plain;charset=utf-8", "UTF8_STRING", "text/plain;charset=iso-8859-1",
                                          "STRING", "text/plain", "TEXT"}));
    }

    void textIsReadAsItsFormSays_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rank");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("\xd0\xba\xd0\xbe\xd1\x82") << 0 << QStringLiteral("кот");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9") << 1 << QStringLiteral("café");
        QTest::newRow("the owner's choice, as UTF-8") << QByteArray("caf\xc3\xa9") << 2 << QStringLiteral("café");
        QTest::newRow("C string terminator dropped") << QByteArray("cat\0", 4) << 0 << QStringLiteral("cat");
        QTest::newRow("only a terminator") << QByteArray("\0", 1) << 1 << QString();
    }
    void textIsReadAsItsFormSays()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rank);
        QFETCH(QString, text);
        QCOMPARE(decodeText(bytes, kTextFormats[size_t(rank)].encoding), text);
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
