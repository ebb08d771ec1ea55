#include "popup/RussianEndings.h"
#include "popup/Shortening.h"

#include <QTest>

using namespace zarvik;

class TestShortening : public QObject {
    Q_OBJECT
private slots:
    void onePass_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("shortened");
        QTest::newRow("s") << "books" << 1 << "book";
        QTest::newRow("S") << "BOOKS" << 1 << "BOOK";
        QTest::newRow("s before ing: s wins") << "sings" << 1 << "sing";
        QTest::newRow("ing") << "running" << 2 << "runn";
        QTest::newRow("ING") << "RUNNING" << 2 << "RUNN";
        QTest::newRow("mixed Ing falls to the last character") << "WalkIng" << 6 << "WalkIn";
        QTest::newRow("iNG mixed") << "walkiNG" << 6 << "walkiN";
        QTest::newRow("er") << "worker" << 3 << "work";
        QTest::newRow("ER") << "WORKER" << 3 << "WORK";
        QTest::newRow("Er mixed") << "workEr" << 6 << "workE";
        QTest::newRow("ed") << "stopped" << 4 << "stopp";
        QTest::newRow("ED") << "STOPPED" << 4 << "STOPP";
        QTest::newRow("d") << "used" << 4 << "us";
        QTest::newRow("d alone") << "bid" << 5 << "bi";
        QTest::newRow("D alone") << "BID" << 5 << "BI";
        QTest::newRow("any last character") << "runn" << 6 << "run";
        QTest::newRow("trailing space") << "run " << 6 << "run";
        QTest::newRow("trailing punctuation") << "book," << 6 << "book";
        QTest::newRow("double quote is a character") << "book\"" << 6 << "book";
        QTest::newRow("Cyrillic last character") << "книга" << 6 << "книг";
        QTest::newRow("single character") << "x" << 6 << "";
        QTest::newRow("single s") << "s" << 1 << "";
        QTest::newRow("ing alone") << "ing" << 2 << "";
        QTest::newRow("leading space kept") << " b" << 6 << " ";
        QTest::newRow("empty stays empty") << "" << 0 << "";
    }
    void onePass()
    {
        QFETCH(QString, word);
        QFETCH(int, rule);
        QFETCH(QString, shortened);
        QCOMPARE(Shortening::rule(word), rule);
        QCOMPARE(Shortening::shorten(word), shortened);
    }

    // Where the passes stop: never at a form of fewer than two characters.
    void floor_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QString>("next");
        QTest::newRow("three characters, last one cut") << "xyz" << true << "xy";
        QTest::newRow("two characters") << "xy" << false << "";
        QTest::newRow("one character") << "x" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("goe to go") << "goe" << true << "go";
        QTest::newRow("s leaving two") << "gos" << true << "go";
        QTest::newRow("s leaving one") << "as" << false << "";
        QTest::newRow("ed leaving one: no fall back to a shorter cut") << "bed" << false << "";
        QTest::newRow("ed leaving two") << "used" << true << "us";
        QTest::newRow("ing leaving one") << "sing" << false << "";
        QTest::newRow("ing leaving two") << "going" << true << "go";
        QTest::newRow("leading space and a letter") << " b" << false << "";
        QTest::newRow("leading space and two letters") << " bo" << true << " b";
    }
    void floor()
    {
        QFETCH(QString, word);
        QFETCH(bool, goesOn);
        QFETCH(QString, next);
        const std::optional<QString> got = Shortening::next(word);
        QCOMPARE(got.has_value(), goesOn);
        if (goesOn)
            QCOMPARE(*got, next);
    }

    void everyPassShortens_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("fifty characters") << QString(50, QLatin1Char('a'));
        QTest::newRow("mixed endings") << "SINGINGs edD er ING";
        QTest::newRow("spaces only") << "    ";
    }
    void everyPassShortens()
    {
        // The lookup runs at most one query per character plus one.
        QFETCH(QString, word);
        int passes = 0;
        while (!word.isEmpty()) {
            const QString next = Shortening::shorten(word);
            QVERIFY(next.size() < word.size());
            QVERIFY(word.startsWith(next));
            word = next;
            ++passes;
        }
        QVERIFY(passes <= 50);
    }

    // A Russian form leads to its dictionary form among the forms tried, after the word
    // itself and before a form of a shorter ending.
    void russianForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lemma");
        QTest::newRow("noun, accusative") << "кошку" << "кошка";
        QTest::newRow("noun, genitive") << "кошки" << "кошка";
        QTest::newRow("noun, instrumental") << "домом" << "дом";
        QTest::newRow("noun, prepositional") << "столе" << "стол";
        QTest::newRow("neuter plural") << "окна" << "окно";
        QTest::newRow("soft noun") << "землю" << "земля";
        QTest::newRow("plural instrumental") << "книгами" << "книга";
        QTest::newRow("verb, third person") << "читает" << "читать";
        QTest::newRow("verb, second conjugation") << "говорит" << "говорить";
        QTest::newRow("verb, past") << "сказала" << "сказать";
        QTest::newRow("verb, reflexive") << "учится" << "учиться";
        QTest::newRow("adjective, feminine") << "красивая" << "красивый";
        QTest::newRow("adjective, genitive") << "нового" << "новый";
        QTest::newRow("capitals and yo") << "ИДЁТ" << "идти";
        QTest::newRow("stress mark") << "ко́шки" << "кошка";
        QTest::newRow("quotes and punctuation") << "«кошки»," << "кошка";
    }
    void russianForms()
    {
        QFETCH(QString, text);
        QFETCH(QString, lemma);
        const QStringList forms = RussianEndings::forms(text);
        QVERIFY2(forms.contains(lemma), qPrintable(forms.join(QLatin1Char(' '))));
        QVERIFY(forms.size() <= 32);
    }

    void russianFormsStartWithTheWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("forms");
        QTest::newRow("a dictionary form is tried first") << "кошка" << QStringList{"кошка", "кошк", "кошко", "кошке", "кошкь"};
        QTest::newRow("short word keeps its stem") << "оба" << QStringList{"оба", "об", "обо", "обе", "обь"};
        QTest::newRow("too short for any ending") << "да" << QStringList{"да"};
        // The most forms any word has (two endings match, 3 and 6 forms): far below the
        // bound of 32, so every one is tried.
        QTest::newRow("the most forms of a word")
            << "говорите"
            << QStringList{"говорите", "говорить", "говореть", "говорать", "говорит", "говорита", "говоритя",
                           "говорито", "говоритй"};
        QTest::newRow("English word: itself only") << "cats" << QStringList{"cats"};
        QTest::newRow("no letters") << " ,. " << QStringList{};
    }
    void russianFormsStartWithTheWord()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, forms);
        QCOMPARE(RussianEndings::forms(text), forms);
    }
};

QTEST_GUILESS_MAIN(TestShortening)
#include "tst_shortening.moc"
