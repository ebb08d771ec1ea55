#include "ArticleCleaner.h"
#include "ArticleStructure.h"

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
        QTest::newRow("form reference alone stays a Russian note")
            << "went" << "went\n   [wɛnt] _p. от go 1\n" << "прош. вр. от go 1";
        QTest::newRow("two form labels joined")
            << "tried" << "tried\n   1. _p. и _p-p. от try 2\n   2. _a. испытанный\n"
            << "прош. вр. и прич. прош. вр. от try 2; испытанный";
        QTest::newRow("pronunciation notes and leftover commas do not open the line")
            << "has" << "has\n   [hæz] (полная форма); [hɜz], [z] (редуцированные формы) 3-е л. ед. ч.\nнастоящего времени гл. to have\n"
            << "3-е л. ед. ч. настоящего времени от have";
        QTest::newRow("second spelling before the shared translation")
            << "abranchiate" << "abranchiate\n   [ɜ↗bræŋkɪɪt] = abranchial [ɜ↗bræŋkɪɜl] _a. _зоол. безжаберный\n"
            << "безжаберный";
        QTest::newRow("English idiom glued after the Russian text")
            << "running" << "running\n  2) ход, работа (машины) to be in the running иметь шансы\n  3) бег\n"
            << "ход, работа (машины); бег";
        QTest::newRow("English list inside a Russian sense stays")
            << "a" << "a\n  1) употр. перед little, few, many и перед счётными\n"
            << "употр. перед little, few, many и перед счётными";
        QTest::newRow("subsenses of an idiom that ends a sense left out")
            << "foot" << "foot\n  1) ступня; to put one's best foot forward\n     а) прибавить шагу;\n"
                         "     б) делать всё возможное\n  2) пехота\n"
            << "ступня; пехота";
        QTest::newRow("usage note left out, optional word kept")
            << "acoustics" << "acoustics\n  _n. (употр. как sing) акустика; (звуковая) техника\n"
            << "акустика; (звуковая) техника";
        QTest::newRow("pointer beside senses left out")
            << "e" << "e\n  1) буква\n  2) см. even I и II, 2\n" << "буква";
        QTest::newRow("introduction whose examples are cut goes too")
            << "a" << "a\n  1) в наречиях\n  2) в выражениях типа: to go abegging нищенствовать\n" << "в наречиях";
    }
    void shortLine()
    {
        QFETCH(QString, headword);
        QFETCH(QString, article);
        QFETCH(QString, line);
        QCOMPARE(ArticleCleaner().shortLine(headword, article), line);
    }

    // What parse() makes of the first sense that refers elsewhere; "-" as target: no reference.
    void references_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("targets");
        QTest::addColumn<int>("homonym");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("sense");
        QTest::newRow("past with part") << "[wɛnt] _p. от go 1" << "прош. вр." << "go" << 0 << 1 << 0;
        QTest::newRow("participle with homonym") << "[si:n] _p-p. от see I" << "прич. прош. вр." << "see" << 1 << 0 << 0;
        QTest::newRow("homonym and part") << "_p. от break I, 2" << "прош. вр." << "break" << 1 << 2 << 0;
        QTest::newRow("plural, style label dropped") << "_уст. _поэт. _pl. от cow I" << "мн. ч." << "cow" << 1 << 0 << 0;
        QTest::newRow("abbreviation of two") << "_сокр. _разг. от will и shall" << "сокр." << "will|shall" << 0 << 0 << 0;
        QTest::newRow("abbreviation without от") << "_сокр. _разг. between" << "сокр." << "between" << 0 << 0 << 0;
        QTest::newRow("punctuation left by transcriptions skipped")
            << "[twɜ:] (полные формы); [twɜ] (редуцированная форма) _сокр. = it were" << "" << "it were" << 0 << 0 << 0;
        QTest::newRow("Russian abbreviated note") << "сравн. ст. от dry 1" << "сравн. ст." << "dry" << 0 << 1 << 0;
        QTest::newRow("pronoun I is a word, not a number") << "_pron. _pers. _obj. от I" << "косв. п." << "I" << 0 << 0 << 0;
        QTest::newRow("synonym with optional letters") << "[↗hɛ↗lɜʊ] = hallo(a)" << "" << "hallo(a)" << 0 << 0 << 0;
        QTest::newRow("synonym part and sense") << "_n. = spurt 1, 1" << "" << "spurt" << 0 << 1 << 1;
        QTest::newRow("synonym after a grammar note") << "_n. (_pl. -ta) = catkin" << "" << "catkin" << 0 << 0 << 0;
        QTest::newRow("phrase list") << "_сокр. = have not, has not" << "" << "have not|has not" << 0 << 0 << 0;
        QTest::newRow("other spellings first") << "noways = nowise" << "" << "nowise" << 0 << 0 << 0;
        QTest::newRow("verb named in Russian")
            << "[ɪz] 3-е л. ед. ч. настоящего времени гл. to be" << "3-е л. ед. ч. настоящего времени" << "be" << 0 << 0 << 0;
        QTest::newRow("see, a pointer") << "_поэт. см. burden I" << "" << "burden" << 1 << 0 << 0;
        QTest::newRow("see also is no reference") << "см. тж. burden" << "" << "-" << 0 << 0 << 0;
        QTest::newRow("Russian text before от") << "1) отличаться от smth." << "" << "-" << 0 << 0 << 0;
        QTest::newRow("reference to a sense of this article") << "б) = 2" << "" << "-" << 0 << 0 << 0;
        QTest::newRow("synonym then translation") << "= abranchial _a. безжаберный" << "" << "-" << 0 << 0 << 0;
    }
    void references()
    {
        QFETCH(QString, article);
        QFETCH(QString, note);
        QFETCH(QString, targets);
        QFETCH(int, homonym);
        QFETCH(int, part);
        QFETCH(int, sense);
        const ParsedArticle parsed = ArticleCleaner().parse(QStringLiteral("w"), QStringLiteral("w\n") + article);
        const ArticleSense* found = nullptr;
        for (const ArticleSense& s : parsed.senses)
            if (s.reference && !found)
                found = &s;
        if (targets == QLatin1String("-")) {
            QVERIFY2(!found, qPrintable(found ? found->reference->targets.join(QLatin1Char('|')) : QString()));
            return;
        }
        QVERIFY(found);
        QCOMPARE(found->reference->note, note);
        QCOMPARE(found->reference->targets.join(QLatin1Char('|')), targets);
        QCOMPARE(found->reference->homonym, homonym);
        QCOMPARE(found->reference->part, part);
        QCOMPARE(found->reference->sense, sense);
    }

    // Articles made to defeat the cleaner: unbalanced openers, endless colons, commas or
    // markers. Each is a megabyte, so a step that rescans the rest of the text at every
    // character would take minutes here instead of milliseconds (the timing itself is
    // bench_cleaner's); the lines must still come out right.
    void hostileArticles_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("line");
        // The article window's first block (its kind and number).
        QTest::addColumn<QString>("firstBlock");
        const QString cut = QString(QChar(0x2026));
        QTest::newRow("unbalanced parentheses kept") << "(" << QString(119, QLatin1Char('(')) + cut << "S";
        QTest::newRow("unbalanced brackets leave no word") << "[" << QString() << "S";
        QTest::newRow("unbalanced braces leave no word") << "{" << QString() << "S";
        QTest::newRow("commas leave no word") << "," << QString() << "S";
        QTest::newRow("colons between Russian words") << "а: " << QStringLiteral("а: ").repeated(39) + QStringLiteral("а:") + cut << "S";
        QTest::newRow("colons before English words") << "слово: the " << QStringLiteral("слово") << "S";
        QTest::newRow("endless senses") << "1) слово " << QStringLiteral("слово") << "S1)";
        QTest::newRow("endless homonyms") << "_I слово " << QStringLiteral("слово") << "HI";
        QTest::newRow("endless references") << "= a " << QStringLiteral("a = ").repeated(30).chopped(1) + cut << "I";
    }
    void hostileArticles()
    {
        QFETCH(QString, unit);
        QFETCH(QString, line);
        QFETCH(QString, firstBlock);
        const QString article = QStringLiteral("w\n") + unit.repeated((1 << 20) / unit.size());
        QCOMPARE(ArticleCleaner().shortLine(QStringLiteral("w"), article).left(200), line);
        // The whole article is taken apart in linear time too.
        const Article whole = articleStructure(QStringLiteral("w"), article);
        QVERIFY(!whole.blocks.empty());
        QCOMPARE(QString(QLatin1Char(char(whole.blocks.front().kind))) + whole.blocks.front().number, firstBlock);
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

    // How the parts of speech share a line: pieces as "group:text", joined by the default
    // cleaner (120 characters for one part, 200 for several).
    void sharedLine_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("line");
        const QString a50 = QString(50, QLatin1Char('a')), b50 = QString(50, QLatin1Char('b'));
        const QString c50 = QString(50, QLatin1Char('c')), d47 = QString(47, QLatin1Char('d'));
        QTest::newRow("first senses of each part before second senses of any")
            << QStringList{"1:" + a50, "1:" + b50, "1:" + c50, "1:" + QString(50, QLatin1Char('x')), "2:бежать"}
            << a50 + "; " + b50 + "; " + c50 + "; бежать";
        QTest::newRow("pieces kept in their order")
            << QStringList{"1:бег", "2:бежать", "1:поездка"} << QStringLiteral("бег; бежать; поездка");
        // 50 + 2 + 50 + 2 + 50 + 2 + 44 = 200: the bound exactly.
        QTest::newRow("shared bound, last piece fits")
            << QStringList{"1:" + a50, "2:" + b50, "1:" + c50, "2:" + d47.left(44)}
            << a50 + "; " + b50 + "; " + c50 + "; " + d47.left(44);
        QTest::newRow("shared bound, one character over")
            << QStringList{"1:" + a50, "2:" + b50, "1:" + c50, "2:" + d47.left(45)} << a50 + "; " + b50 + "; " + c50;
        // One part: 50 + 2 + 50 + 2 + 16 = 120.
        QTest::newRow("one part keeps its bound, fits")
            << QStringList{"1:" + a50, "1:" + b50, "1:" + c50.left(16)} << a50 + "; " + b50 + "; " + c50.left(16);
        QTest::newRow("one part keeps its bound, over")
            << QStringList{"1:" + a50, "1:" + b50, "1:" + c50.left(17)} << a50 + "; " + b50;
        QTest::newRow("a long first sense is cut at its items, the other part keeps room")
            << QStringList{"1:" + a50 + "; " + b50 + "; " + c50, "2:бежать"} << a50 + "; " + b50 + "; бежать";
        QTest::newRow("a part whose next sense does not fit gives no more")
            << QStringList{"1:бег", "2:бежать", "1:" + QString(190, QLatin1Char('x')), "1:поездка", "2:бегать"}
            << QStringLiteral("бег; бежать; бегать");
    }
    void sharedLine()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, line);
        std::vector<LinePiece> input;
        for (const QString& p : pieces)
            input.push_back(LinePiece{p.section(QLatin1Char(':'), 1), p.section(QLatin1Char(':'), 0, 0).toInt()});
        QCOMPARE(ArticleCleaner().joinSenses(input), line);
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
