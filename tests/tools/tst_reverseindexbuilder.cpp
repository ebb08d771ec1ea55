// The reverse index as the importer builds it: which Russian words of a sense become entries,
// how the English headwords of an entry are ordered and bounded, and the search key.
#include "ReverseIndexBuilder.h"

#include <QTest>

using namespace zarvik;

namespace {

// Senses as the cleaner gives them, in one part of speech, numbered from 1.
std::vector<ArticleSense> senses(std::initializer_list<const char*> texts, int part = 0)
{
    std::vector<ArticleSense> out;
    int n = 0;
    for (const char* t : texts)
        out.push_back(ArticleSense{0, part, ++n, QString::fromUtf8(t), std::nullopt});
    return out;
}

// The entry of a Russian word: its headwords as the strip lists them, or "(none)".
QString transOf(const std::vector<ReverseRow>& rows, const QString& word)
{
    for (const ReverseRow& row : rows)
        if (row.word == word)
            return row.trans;
    return QStringLiteral("(none)");
}

} // namespace

class TestReverseIndexBuilder : public QObject {
    Q_OBJECT
private slots:
    void wordsOfSense_data()
    {
        QTest::addColumn<QString>("sense");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("items and alternatives") << "кот; кошка, киска" << QStringList{"кот", "кошка", "киска"};
        QTest::newRow("note in parentheses left out") << "кошка (плеть)" << QStringList{"кошка"};
        QTest::newRow("note before the word") << "(кокетливая) девушка" << QStringList{"девушка"};
        QTest::newRow("comma inside a note") << "вода (морская, речная)" << QStringList{"вода"};
        QTest::newRow("two-word phrase kept") << "железная дорога" << QStringList{"железная дорога"};
        QTest::newRow("longer phrase left out") << "животное семейства кошачьих" << QStringList{};
        QTest::newRow("hyphenated word") << "северо-восток" << QStringList{"северо-восток"};
        QTest::newRow("abbreviation left out") << "делать что-л., делать" << QStringList{"делать"};
        QTest::newRow("English left out") << "tom cat кот; кот" << QStringList{"кот"};
        QTest::newRow("suffix left out") << "-ся; быть" << QStringList{"быть"};
        QTest::newRow("cut item left out") << "большой, крупный…" << QStringList{"большой"};
        QTest::newRow("unbalanced note left out") << "вода (морская, река" << QStringList{};
        QTest::newRow("capital kept as written") << "Библия" << QStringList{"Библия"};
    }
    void wordsOfSense()
    {
        QFETCH(QString, sense);
        QFETCH(QStringList, words);
        QCOMPARE(ReverseIndexBuilder::wordsOf(sense), words);
    }

    // First senses (of any part of speech) first, then the sense's position; among equals
    // the heavier headword, the earlier item, plain lower-case headwords, the shorter, then the
    // source order.
    void headwordOrder_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("trans");
        QTest::newRow("heavier headword first among first senses") << "кошка" << "cat; pussycat; tabby";
        QTest::newRow("sense position before article length") << "кот" << "cat; tomcat";
        QTest::newRow("plain and short before compound and capital") << "киска" << "pussycat; puss; Kitty; kitty-cat";
        QTest::newRow("first sense of a later part of speech") << "работать" << "work; operate";
        QTest::newRow("senses after the main ones left out") << "пять" << "(none)";
    }
    void headwordOrder()
    {
        QFETCH(QString, word);
        QFETCH(QString, trans);
        ReverseIndexBuilder builder;
        builder.add("tabby", senses({"злая сплетница", "кошка"}), 50);
        builder.add("cat", senses({"кот; кошка", "кошка (плеть)"}), 900);
        builder.add("kitty-cat", senses({"киска"}));
        builder.add("Kitty", senses({"киска"}));
        builder.add("pussycat", senses({"кошка, кошечка, киска"}), 36);
        builder.add("tomcat", senses({"самец", "кот"}));
        builder.add("puss", senses({"киска"}));
        builder.add("operate", senses({"действовать", "работать"}), 400);
        std::vector<ArticleSense> work = senses({"работа", "труд", "дело"}, 1);
        const std::vector<ArticleSense> verb = senses({"работать"}, 2);
        work.insert(work.end(), verb.begin(), verb.end());
        builder.add("work", work, 2000);
        builder.add("count", senses({"один", "два", "три", "четыре", "пять"}));
        QCOMPARE(transOf(builder.rows(), word), trans);
    }

    void headwordsAreBounded()
    {
        ReverseIndexBuilder builder;
        for (int i = 0; i < 3 * ReverseIndexBuilder::kMaxHeadwords; ++i)
            builder.add(QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0')), senses({i % 2 ? "вода" : "море; вода"}));
        const QStringList heads = transOf(builder.rows(), "вода").split("; ");
        QCOMPARE(heads.size(), ReverseIndexBuilder::kMaxHeadwords);
        // The headwords that give it as their first item win, in source order.
        QCOMPARE(heads.first(), QStringLiteral("w01"));
        QCOMPARE(heads.last(), QStringLiteral("w09"));
    }

    void keysFoldStressAndYo()
    {
        ReverseIndexBuilder builder;
        builder.add("dog", senses({"пёс, собака"}));
        builder.add("hound", senses({"Пес"}));
        builder.add("cat", senses({"ко\u0301шка"}));
        const std::vector<ReverseRow> rows = builder.rows();
        QCOMPARE(builder.size(), 3);
        QCOMPARE(int(rows.size()), 3);
        // One entry for пёс and Пес, written as where it ranks best; keys in byte order.
        QCOMPARE(rows[0].key, QByteArrayLiteral("кошка"));
        QCOMPARE(rows[1].key, QByteArrayLiteral("пес"));
        QCOMPARE(rows[1].word, QStringLiteral("пёс"));
        QCOMPARE(rows[1].trans, QStringLiteral("dog; hound"));
        QCOMPARE(rows[2].key, QByteArrayLiteral("собака"));
    }

    void wordCountsOncePerHeadword()
    {
        ReverseIndexBuilder builder;
        builder.add("water", senses({"вода", "воды; вода"}), 300);
        builder.add("aqua", senses({"вода"}), 20);
        QCOMPARE(transOf(builder.rows(), "вода"), QStringLiteral("water; aqua"));
    }
};

QTEST_APPLESS_MAIN(TestReverseIndexBuilder)
#include "tst_reverseindexbuilder.moc"
