// The default dictionary as the build makes it from Debian's mueller7-dict: common irregular
// forms and synonym references show a Russian translation of their main sense, few entries are
// left without Russian text, and every line opens with a word. Skipped where mueller7-dict is
// not installed (the build then ships the sample dictionary).
#include "dictionary/DictionaryReader.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>

using namespace zarvik;

namespace {

const QString kMuellerIndex = QStringLiteral("/usr/share/dictd/mueller7.index");
const QString kDictionary = QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik.bdd");

// Every row of the file, read through the view that other programs read (the reader gives
// up on a statement that runs long, and reading the whole dictionary may under load).
std::vector<std::pair<QString, QString>> allRows(const QString& path)
{
    std::vector<std::pair<QString, QString>> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT Word, Trans FROM EngRus", -1, &stmt, nullptr) == SQLITE_OK) {
        auto text = [stmt](int column) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                     sqlite3_column_bytes(stmt, column));
        };
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows.emplace_back(text(0), text(1));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

bool hasCyrillic(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.isLetter() && c.script() == QChar::Script_Cyrillic; });
}

} // namespace

class TestDefaultDictionary : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(kMuellerIndex))
            QSKIP("mueller7-dict is not installed; the build ships the sample dictionary");
        QVERIFY2(QFileInfo::exists(kDictionary), qPrintable(kDictionary + QStringLiteral(" was not built")));
        m_reader.setDatabaseName(kDictionary);
        if (m_reader.wordCount() < 40000)
            QSKIP("zarvik.bdd was built from the sample dictionary (configure again after installing mueller7-dict)");
    }

    // Each word's line, as the strip shows it, carries a word of its main sense's translation.
    void mainSenseTranslated_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("translation");
        QTest::newRow("went") << "went" << "идти";
        QTest::newRow("mice") << "mice" << "мышь";
        QTest::newRow("children") << "children" << "ребёнок";
        QTest::newRow("hello") << "hello" << "привет";
        QTest::newRow("has") << "has" << "иметь";
        QTest::newRow("feet") << "feet" << "нога";
        QTest::newRow("seen") << "seen" << "видеть";
        QTest::newRow("did") << "did" << "делать";
        QTest::newRow("taken") << "taken" << "брать";
        QTest::newRow("men") << "men" << "человек";
        QTest::newRow("ate") << "ate" << "есть";
        QTest::newRow("woodsman") << "woodsman" << "лес";
    }
    void mainSenseTranslated()
    {
        QFETCH(QString, word);
        QFETCH(QString, translation);
        m_reader.exactLookup(word);
        QVERIFY2(m_reader.recordCount() > 0, qPrintable(word));
        m_reader.moveFirst();
        const QString line = displayLine(m_reader.field(0), m_reader.field(1));
        QVERIFY2(line.contains(translation), qPrintable(line));
    }

    // The line gives the first senses of every part of speech ("run": the noun's "бег" and the
    // verb's "бежать"), within 200 characters, 120 for a word of one part; examples stay out.
    // Words are separated by "|"; "-" before a word: it must not be there.
    void everyPartOfSpeech_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("run, noun and verb") << "run" << "бег|бежать|-бегом|-at a run" << 200;
        QTest::newRow("light, three homonyms") << "light" << "свет|зажигать|лёгкий|-светолечение" << 200;
        QTest::newRow("book, second sense of the verb") << "book" << "книга|заказывать|-a book of stamps" << 200;
        QTest::newRow("play, a verb of one sense") << "play" << "игра|играть|-play around" << 200;
        QTest::newRow("work") << "work" << "работа|работать|-to work like a horse" << 200;
        QTest::newRow("watch, a homonym's verb") << "watch" << "часы|смотреть|-to watch TV" << 200;
        QTest::newRow("cat") << "cat" << "кот|бить плетью|гусеничный трактор|-tom cat" << 200;
        QTest::newRow("go, verb before noun") << "go" << "идти|движение|-the train goes" << 200;
        QTest::newRow("went, an irregular form") << "went" << "прош. вр. от go: идти" << 120;
        QTest::newRow("hello, a reference") << "hello" << "привет|здороваться|-hallo" << 120;
        QTest::newRow("aback, one part of speech") << "aback" << "назад|-to stand aback" << 120;
        QTest::newRow("abacus, one part of speech") << "abacus" << "счёты|-abaci" << 120;
    }
    void everyPartOfSpeech()
    {
        QFETCH(QString, word);
        QFETCH(QString, words);
        QFETCH(int, maxLength);
        m_reader.exactLookup(word);
        QVERIFY2(m_reader.recordCount() > 0, qPrintable(word));
        m_reader.moveFirst();
        const QString line = m_reader.field(1);
        QVERIFY2(line.size() <= maxLength, qPrintable(line));
        for (const QString& w : words.split(QLatin1Char('|'))) {
            if (w.startsWith(QLatin1Char('-')))
                QVERIFY2(!line.contains(w.mid(1)), qPrintable(w + QStringLiteral(" in ") + line));
            else
                QVERIFY2(line.contains(w), qPrintable(w + QStringLiteral(" not in ") + line));
        }
    }

    // Fewer than 0.3 % of the entries without a Cyrillic letter, and no line that opens with
    // punctuation (a comma left by a transcription, a bare "=").
    void wholeDictionary()
    {
        const auto all = allRows(kDictionary);
        const int rows = int(all.size());
        QVERIFY(rows > 40000);
        int untranslated = 0;
        QStringList badStarts;
        for (const auto& [word, trans] : all) {
            if (!hasCyrillic(trans))
                ++untranslated;
            const QChar first = trans.isEmpty() ? QChar(u'x') : trans.front();
            const bool suffix = first == u'-' && trans.size() > 1 && trans[1].isLetter(); // "-ся", "-либо"
            if (!first.isLetterOrNumber() && first != u'(' && first != u'"' && first != QChar(0x00AB) && !suffix)
                badStarts << displayLine(word, trans);
        }
        QVERIFY2(untranslated * 1000 < rows * 3, qPrintable(QStringLiteral("%1 of %2").arg(untranslated).arg(rows)));
        QVERIFY2(badStarts.isEmpty(), qPrintable(badStarts.mid(0, 10).join(QLatin1Char('\n'))));
    }

private:
    DictionaryReader m_reader;
};

QTEST_APPLESS_MAIN(TestDefaultDictionary)
#include "tst_defaultdictionary.moc"
