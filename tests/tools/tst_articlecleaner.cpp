#include "ArticleCleaner.h"

#include <QTest>

using namespace zarvik;

class TestArticleCleaner : public QObject {
    Q_OBJECT
private slots:
    void shortLine_data()
    {
        QTest::addColumn<QString>("headword");
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("line");
        QTest::newRow("homonyms, senses, examples")
            << "cat"
            << "cat\n"
               "   _I  [kæt]\n"
               "      1. _n.\n"
               "         1) кот; кошка; tom cat кот; pussy cat кошка, кошечка\n"
               "         2) _зоол. животное семейства кошачьих\n"
               "      2. _v.\n"
               "         1) бить плетью\n"
               "   _II [kæt] _n. (_сокр. от caterpillar tractor) _ам. _разг.\n"
               "         1) гусеничный трактор\n"
            << "кот; кошка; животное семейства кошачьих; бить плетью; гусеничный трактор";
        QTest::newRow("one-line article, example after semicolon")
            << "aback"
            << "aback\n   [ɜ↗bæk] _adv. _уст. назад; сзади; задом; to stand aback from держаться на\n"
               "расстоянии, в стороне от; избегать"
            << "назад; сзади; задом";
        QTest::newRow("grammar note in parentheses, Russian note kept")
            << "abacus"
            << "abacus\n   [↗æbɜkɜs] _n. (_pl. -es [ɪz], -ci)\n   1) _ист. счёты\n   2) резаться (о зубах)\n"
            << "счёты; резаться (о зубах)";
        QTest::newRow("verb forms in parentheses")
            << "run" << "run\n   2. _v. (ran - run)\n      1) бежать; бегать\n" << "бежать; бегать";
        QTest::newRow("two-digit sense glued to its text")
            << "cut" << "cut\n  9) урезывать\n  10)снижать (цены, налоги)\n" << "урезывать; снижать (цены, налоги)";
        QTest::newRow("subsenses")
            << "book" << "book\n  9) a book of stamps\n     а) альбом марок;\n     б) книжечка почтовых марок\n"
            << "альбом марок; книжечка почтовых марок";
        // Alone, without the rest of the dictionary: the reference as written, opening with its word.
        QTest::newRow("cross reference only falls back to the text")
            << "mail-coach" << "mail-coach\n   [↗mɛɪl↗kɜʊtʃ] = mail-cart 1\n" << "mail-cart 1";
        QTest::newRow("cross reference sense dropped")
            << "stop" << "stop\n  5) знак препинания\n  6) = stopper 1, 1\n  7) клапан\n" << "знак препинания; клапан";
        QTest::newRow("_Ex: examples dropped")
            << "go" << "go\n  1) идти _Ex: go home идти домой\n  2) ехать\n" << "идти; ехать";
        QTest::newRow("example after a colon")
            << "be" << "be\n  1) быть\n  2) глагол-связка: he is a teacher он учитель\n" << "быть; глагол-связка";
        QTest::newRow("for example")
            << "a" << "a\n  1) в наречиях; напр.: abed в постели\n" << "в наречиях";
        QTest::newRow("notes in braces dropped")
            << "run" << "run\n  1) бег {см. тж.}; at a run бегом\n" << "бег";
        QTest::newRow("compound wrapped at its hyphen")
            << "north-east" << "north-east\n  1) северо-\n  восток\n" << "северо-восток";
        QTest::newRow("notes-only item dropped")
            << "the" << "the\n   [ðɪ:] (полная форма); [ðɪ] (редуцированная форма)\n   1) определённый артикль"
            << "определённый артикль";
        QTest::newRow("repeated item said once")
            << "house" << "house\n  1) дом\n  2) дом; семья\n" << "дом; семья";
        QTest::newRow("article without headword line")
            << "word" << "1) слово\n2) речь" << "слово; речь";
    }
    void shortLine()
    {
        QFETCH(QString, headword);
        QFETCH(QString, article);
        QFETCH(QString, line);
        QCOMPARE(ArticleCleaner().shortLine(headword, article), line);
    }

    void lengthIsBoundedAtSenses()
    {
        QString article = QStringLiteral("word\n");
        for (int i = 1; i <= 30; ++i)
            article += QStringLiteral("  %1) значение номер %1\n").arg(i);
        const QString line = ArticleCleaner(60).shortLine(QStringLiteral("word"), article);
        QVERIFY(line.size() <= 60);
        QVERIFY(line.startsWith(QStringLiteral("значение номер 1; значение номер 2")));
        QVERIFY(line.endsWith(QStringLiteral("значение номер 3"))); // whole senses only
    }

    void overlongFirstSenseIsCutAtAWord()
    {
        const QString sense = QStringLiteral("очень длинное значение ").repeated(10).trimmed();
        const QString line = ArticleCleaner(50).shortLine(QStringLiteral("w"), QStringLiteral("1) ") + sense);
        QVERIFY(line.size() <= 50);
        QVERIFY(line.endsWith(QChar(0x2026)));
        QVERIFY(sense.startsWith(line.chopped(1)));
        QVERIFY(!line.chopped(1).endsWith(QLatin1Char(' ')));
    }

    void fullLineKeepsEverything()
    {
        const QString article = QStringLiteral("cat\n   [kæt]\n   1) кот; tom cat кот\n   2) кошка\n");
        QCOMPARE(ArticleCleaner().fullLine(QStringLiteral("cat"), article),
                 QStringLiteral("[kæt] 1) кот; tom cat кот 2) кошка"));
    }

    void boundedLineForReadyTranslations()
    {
        QCOMPARE(ArticleCleaner().boundedLine(QStringLiteral("  кошка;\tкот ")), QStringLiteral("кошка; кот"));
        const QString line = ArticleCleaner(25).boundedLine(QStringLiteral("первое; второе; третье; четвёртое"));
        QCOMPARE(line, QStringLiteral("первое; второе; третье"));
        QCOMPARE(ArticleCleaner().boundedLine(QString()), QString());
    }
};

QTEST_APPLESS_MAIN(TestArticleCleaner)
#include "tst_articlecleaner.moc"
