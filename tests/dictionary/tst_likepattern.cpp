#include "dictionary/LikePattern.h"

#include <QTest>

using namespace zarvik;

class TestLikePattern : public QObject {
    Q_OBJECT
private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("literal equal") << "cat" << "cat" << true;
        QTest::newRow("literal is whole-text") << "cat" << "cats" << false;
        QTest::newRow("star as prefix search") << "ca*" << "cattle" << true;
        QTest::newRow("star matches empty run") << "cat*" << "cat" << true;
        QTest::newRow("star in the middle") << "c*t" << "carrot" << true;
        QTest::newRow("star in the middle, no end") << "c*t" << "carrots" << false;
        QTest::newRow("star backtracks") << "*ab*abc" << "abxabababc" << true;
        QTest::newRow("question is one char") << "c?t" << "cot" << true;
        QTest::newRow("question needs a char") << "c?t" << "ct" << false;
        QTest::newRow("question one char only") << "c?t" << "coat" << false;
        QTest::newRow("question on Cyrillic") << "к?т" << "кот" << true;
        QTest::newRow("question on a surrogate pair") << "a?b" << QString::fromUcs4(U"a\U0001F600b") << true;
        QTest::newRow("hash is a digit") << "room#" << "room7" << true;
        QTest::newRow("hash is not a letter") << "room#" << "roomx" << false;
        QTest::newRow("list") << "[bc]at" << "cat" << true;
        QTest::newRow("list miss") << "[bc]at" << "hat" << false;
        QTest::newRow("range") << "[a-c]at" << "bat" << true;
        QTest::newRow("range miss") << "[a-c]at" << "hat" << false;
        QTest::newRow("Cyrillic range") << "[а-я]*" << "ёж" << false; // ё lies outside а-я
        QTest::newRow("negated list") << "[!b]at" << "cat" << true;
        QTest::newRow("negated list miss") << "[!b]at" << "bat" << false;
        QTest::newRow("negated range") << "[!a-c]at" << "hat" << true;
        QTest::newRow("star inside list is literal") << "a[*]b" << "a*b" << true;
        QTest::newRow("star inside list not a run") << "a[*]b" << "axb" << false;
        QTest::newRow("hash inside list is literal") << "[#]1" << "#1" << true;
        QTest::newRow("leading hyphen in list") << "[-a]x" << "-x" << true;
        QTest::newRow("unclosed bracket is literal") << "a[b" << "a[b" << true;
        QTest::newRow("unclosed bracket then star") << "a[b*" << "a[bc" << true;
        QTest::newRow("lone closing bracket") << "a]" << "a]" << true;
        QTest::newRow("empty list matches nothing-width") << "a[]b" << "ab" << true;
        QTest::newRow("bang alone is literal") << "[!]" << "!" << true;
        QTest::newRow("reversed range is empty") << "[z-a]" << "m" << false;
        QTest::newRow("pipe is literal") << "a|b" << "a|b" << true;
        QTest::newRow("quote is literal") << "say \"hi\"*" << "say \"hi\" there" << true;
        QTest::newRow("case sensitive") << "cat" << "CAT" << false;
        QTest::newRow("empty pattern, empty text") << "" << "" << true;
        QTest::newRow("star alone") << "*" << "anything" << true;
        // Lists are sorted and merged once; membership must not change by that.
        QTest::newRow("list out of order") << "[zb-c]" << "c" << true;
        QTest::newRow("list out of order, gap") << "[zb-c]" << "m" << false;
        QTest::newRow("overlapping ranges") << "[a-cb-e]" << "e" << true;
        QTest::newRow("touching ranges") << "[a-cd-f]" << "d" << true;
        QTest::newRow("reversed range beside a good one") << "[z-ak]" << "k" << true;
        QTest::newRow("negated merged ranges") << "[!a-cb-e]" << "d" << false;
        // Long pasted runs of brackets: an unclosed one is a literal, the first "]" closes.
        QTest::newRow("run of unclosed brackets") << QString(20000, QLatin1Char('[')) << QString(20000, QLatin1Char('['))
                                                  << true;
        QTest::newRow("run of brackets closed at the end")
            << QString(20000, QLatin1Char('[')) + QLatin1Char(']') << "[" << true;
        QTest::newRow("bracket-letter pairs") << QString(QStringLiteral("[a")).repeated(10000) + QStringLiteral("]*")
                                              << "a" << true;
    }
    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        const LikePattern p(pattern);
        QCOMPARE(p.matches(text), expected);
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(p.matchesUtf8(utf8.constData(), int(utf8.size())), expected);
    }

    void literalPrefix_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("decides");
        QTest::newRow("plain prefix search") << "cat*" << "cat" << true;
        QTest::newRow("stops at question") << "c?t*" << "c" << false;
        QTest::newRow("stops at list") << "[bc]at*" << "" << false;
        QTest::newRow("stops at hash") << "room#*" << "room" << false;
        QTest::newRow("unclosed bracket stays in prefix") << "a[b*" << "a[b" << true;
        QTest::newRow("empty list is skipped") << "a[]b*" << "ab" << true;
        QTest::newRow("leading star") << "*at" << "" << false;
        QTest::newRow("double star") << "ca**" << "ca" << true;
        QTest::newRow("no star: whole text") << "cat" << "cat" << true;
    }
    void literalPrefix()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, prefix);
        QFETCH(bool, decides);
        const LikePattern p(pattern);
        QCOMPARE(p.literalPrefix(), prefix);
        QCOMPARE(p.prefixDecides(), decides);
    }

    void brokenUtf8NeverMatchesPastTheEnd()
    {
        const LikePattern p(QStringLiteral("a?"));
        const char truncated[] = {'a', char(0xD0)}; // a two-byte sequence cut short
        QVERIFY(p.matchesUtf8(truncated, 2));       // the broken byte is one unknown character
        const char lone[] = {'a', char(0x80), 'b'};
        QVERIFY(!p.matchesUtf8(lone, 3));
    }
};

QTEST_APPLESS_MAIN(TestLikePattern)
#include "tst_likepattern.moc"
