// The reverse index as the importer builds it: which Russian words of a sense become entries,
// how the English headwords of an entry are ordered and bounded, and the search key; read
// back from the file through the reader.
#include "ReverseIndexBuilder.h"

#include "BddWriter.h"
#include "dictionary/DictionaryReader.h"

#include <QTemporaryDir>
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

// A dictionary file whose entries come with their senses, and its reverse index read back.
class ReverseFile {
public:
    ReverseFile() : m_writer(m_dir.filePath(QStringLiteral("r.bdd")))
    {
        m_writer.addTable(&m_reverse);
        m_writer.begin();
    }
    void add(const QString& headword, const std::vector<ArticleSense>& senses, int weight = 0)
    {
        m_reverse.addSenses(headword, senses, weight);
        m_writer.add(headword, QStringLiteral("-"));
    }
    // An entry with a ready translation line only, as from a tab-separated file.
    void addLine(const QString& headword, const QString& line) { m_writer.add(headword, line); }
    qint64 finish()
    {
        m_writer.finish();
        m_reader.setDatabaseName(m_dir.filePath(QStringLiteral("r.bdd")));
        return m_reverse.size();
    }
    // Word, " - " and the headwords of the entry, or "(none)".
    QString line(const QString& word)
    {
        m_reader.exactLookup(word, DictionaryReader::Table::RusEng);
        return m_reader.recordCount() ? displayLine(m_reader.field(0), m_reader.field(1)) : QStringLiteral("(none)");
    }
    QStringList all()
    {
        m_reader.prefixSearch(QStringLiteral("*"), 0, DictionaryReader::Table::RusEng);
        QStringList lines;
        for (int i = 0; i < m_reader.recordCount(); ++i) {
            m_reader.setAbsolutePosition(i);
            lines << displayLine(m_reader.field(0), m_reader.field(1));
        }
        return lines;
    }

private:
    QTemporaryDir m_dir;
    BddWriter m_writer;
    ReverseIndexBuilder m_reverse;
    DictionaryReader m_reader;
};

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
        QTest::addColumn<QString>("line");
        QTest::newRow("heavier headword first among first senses") << "кошка" << "кошка - cat; pussycat; tabby";
        QTest::newRow("sense position before weight") << "кот" << "кот - cat; tomcat";
        QTest::newRow("plain and short before compound and capital") << "киска" << "киска - pussycat; puss; Kitty; kitty-cat";
        QTest::newRow("first sense of a later part of speech") << "работать" << "работать - work; operate";
        QTest::newRow("senses after the main ones left out") << "пять" << "(none)";
        QTest::newRow("a ready translation line") << "тетрадь" << "тетрадь - notebook";
        QTest::newRow("phrase that opens a first sense") << "железная дорога" << "железная дорога - railway";
        QTest::newRow("phrase further on left out") << "злая сплетница" << "(none)";
        QTest::newRow("phrase after the first item left out") << "узкая колея" << "(none)";
    }
    void headwordOrder()
    {
        QFETCH(QString, word);
        QFETCH(QString, line);
        ReverseFile file;
        file.add("tabby", senses({"полосатая кошка", "злая сплетница", "кошка"}), 50);
        file.add("cat", senses({"кот; кошка", "кошка (плеть)"}), 900);
        file.add("kitty-cat", senses({"киска"}));
        file.add("Kitty", senses({"киска"}));
        file.add("pussycat", senses({"кошка, кошечка, киска"}), 36);
        file.add("tomcat", senses({"самец", "кот"}));
        file.add("puss", senses({"киска"}));
        file.add("operate", senses({"действовать", "работать"}), 400);
        std::vector<ArticleSense> work = senses({"работа", "труд", "дело"}, 1);
        const std::vector<ArticleSense> verb = senses({"работать"}, 2);
        work.insert(work.end(), verb.begin(), verb.end());
        file.add("work", work, 2000);
        file.add("count", senses({"один", "два", "три", "четыре", "пять"}));
        file.addLine("notebook", "тетрадь; блокнот");
        file.add("railway", senses({"железная дорога, узкая колея"}));
        file.finish();
        QCOMPARE(file.line(word), line);
    }

    void headwordsAreBounded_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QStringList>("heads");
        // At most five headwords: those that give the word as their first item (the odd
        // ones here) first, then the others, each group in source order.
        QTest::newRow("five entries, all kept") << 5 << 1 << QStringList{"w1", "w3", "w0", "w2", "w4"};
        QTest::newRow("six entries, five kept") << 6 << 1 << QStringList{"w1", "w3", "w5", "w0", "w2"};
        QTest::newRow("a few entries") << 15 << 2 << QStringList{"w01", "w03", "w05", "w07", "w09"};
        // Their staged words take several megabytes: sorted in runs, the earliest still win.
        QTest::newRow("more words than are sorted in memory")
            << 60000 << 5 << QStringList{"w00001", "w00003", "w00005", "w00007", "w00009"};
    }
    void headwordsAreBounded()
    {
        QFETCH(int, entries);
        QFETCH(int, digits);
        QFETCH(QStringList, heads);
        ReverseFile file;
        const auto name = [digits](int i) { return QStringLiteral("w%1").arg(i, digits, 10, QLatin1Char('0')); };
        for (int i = 0; i < entries; ++i)
            file.add(name(i), senses({i % 2 ? "вода" : "море; вода"}));
        file.finish();
        QCOMPARE(file.line("вода").section(" - ", 1).split("; "), heads);
    }

    // One entry for пёс and Пес, written as where it ranks best; found whatever the stress
    // marks, letter case and "ё"; in key order; each headword once.
    void keysFoldStressAndYo()
    {
        ReverseFile file;
        file.add("dog", senses({"пёс, собака"}));
        file.add("hound", senses({"Пес"}));
        file.add("cat", senses({"ко\u0301шка"}));
        file.add("water", senses({"вода", "воды; вода"}), 300);
        file.add("aqua", senses({"вода"}), 20);
        QCOMPARE(file.finish(), qint64(5));
        QCOMPARE(file.all(), (QStringList{"вода - water; aqua", "воды - water", "кошка - cat", "пёс - dog; hound",
                                          "собака - dog"}));
        QCOMPARE(file.line("ПЕС"), QStringLiteral("пёс - dog; hound"));
        QCOMPARE(file.line("ко\u0301шка"), QStringLiteral("кошка - cat"));
    }
};

QTEST_APPLESS_MAIN(TestReverseIndexBuilder)
#include "tst_reverseindexbuilder.moc"
