#include "BddWriter.h"
#include "../StderrCapture.h"
#include "ReverseIndexBuilder.h"
#include "dictionary/ArticleCodec.h"
#include "dictionary/DictionaryReader.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/SideIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

using namespace zarvik;

namespace {

// The test dictionary. Rows are given out of order on purpose: the reader must return them
// in headword order, rows of one headword in the order in which they were written.
std::vector<Entry> testRows()
{
    std::vector<Entry> rows = {
        {"cut", "резать"},        {"cot", "койка"},          {"cat", "кошка"},
        {"coat", "пальто"},       {"bat", "летучая мышь"},   {"hat", "шляпа"},
        {"bat", "бита"},          {"set", "набор"},          {"set", "ставить"},
        {"set", "заходить"},      {"Book", "книга"},         {"booking", "заказ"},
        {"bookish", "книжный"},   {"КОТ", "cat"},            {"котёл", "boiler"},
        {"café", "кафе"},         {"CAFÉ NOIR", "чёрный кофе"}, {"room1", "комната один"},
        {"room2", "комната два"}, {"roomx", "не комната"},   {"uncharted", ""},
        {"\"quoted\"", "в кавычках"}, {"a|b", "а или б"},    {"[x]", "в скобках"},
    };
    // 25 headwords that share the prefix "pa", written in reverse order.
    for (int i = 24; i >= 0; --i)
        rows.push_back({QStringLiteral("pa%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("п%1").arg(i)});
    return rows;
}

void writeDictionary(const QString& path, const std::vector<Entry>& rows)
{
    BddWriter writer(path);
    writer.write(rows);
}

// Runs SQL on a fresh SQLite file (for files that the importer would never write).
void makeSqlite(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// Everything written to standard error while it lives.

// Overwrites the file's bytes in place, keeping its inode, as `cp NEW PATH` does.
void rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray dictionaryBytes(const QString& path, const std::vector<Entry>& rows)
{
    writeDictionary(path, rows);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Many rows, so that the file spans many pages: "w00000" - "слово 0" and on.
std::vector<Entry> manyRows(int n)
{
    std::vector<Entry> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("w%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("слово %1").arg(i)});
    return rows;
}

QStringList pa(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QStringLiteral("pa%1 - п%2").arg(i, 2, 10, QLatin1Char('0')).arg(i);
    return lines;
}

} // namespace

class TestDictionaryReader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("test.bdd"));
        writeDictionary(m_path, testRows());
        m_reader.setDatabaseName(m_path);
    }

    void exactLookup_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("trans");
        QTest::newRow("no row") << "dog" << QStringList{};
        QTest::newRow("one row") << "cat" << QStringList{"кошка"};
        QTest::newRow("two rows in written order") << "bat" << QStringList{"летучая мышь", "бита"};
        QTest::newRow("three rows") << "set" << QStringList{"набор", "ставить", "заходить"};
        QTest::newRow("capitals find small letters") << "CAT" << QStringList{"кошка"};
        QTest::newRow("small letters find a capital") << "book" << QStringList{"книга"};
        QTest::newRow("Cyrillic case") << "кот" << QStringList{"cat"};
        QTest::newRow("accented case") << "CAFÉ" << QStringList{"кафе"};
        QTest::newRow("accent is not ignored") << "cafe" << QStringList{};
        QTest::newRow("double quotes are characters") << "\"QUOTED\"" << QStringList{"в кавычках"};
        QTest::newRow("lone double quote") << "\"" << QStringList{};
        QTest::newRow("no pattern in an exact lookup") << "c?t" << QStringList{};
        QTest::newRow("SQL text stays text") << "x' OR '1'='1" << QStringList{};
        QTest::newRow("leading space is kept") << " cat" << QStringList{};
        QTest::newRow("empty word") << "" << QStringList{};
    }
    void exactLookup()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, trans);
        m_reader.exactLookup(word);
        QCOMPARE(m_reader.recordCount(), trans.size());
        QStringList got;
        for (int i = 0; i < m_reader.recordCount(); ++i) {
            m_reader.setAbsolutePosition(i);
            got << m_reader.field(1);
        }
        QCOMPARE(got, trans);
    }

    // The lookup of a captured word moves last, first, and last again when there are two.
    void movesOnTwoRows()
    {
        m_reader.exactLookup(QStringLiteral("bat"));
        QCOMPARE(m_reader.field(1), QStringLiteral("летучая мышь")); // a refresh is at the first row
        m_reader.moveLast();
        m_reader.moveFirst();
        QCOMPARE(m_reader.recordCount(), 2);
        m_reader.moveLast();
        QCOMPARE(m_reader.field(0), QStringLiteral("bat"));
        QCOMPARE(m_reader.field(1), QStringLiteral("бита"));
    }

    void currentRowOutsideTheResult()
    {
        m_reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(m_reader.field(2), QString());
        m_reader.setAbsolutePosition(5);
        QCOMPARE(m_reader.field(0), QString());
        m_reader.exactLookup(QStringLiteral("dog"));
        m_reader.moveLast();
        m_reader.moveFirst();
        QCOMPARE(m_reader.field(0), QString());
        QCOMPARE(m_reader.field(1), QString());
    }

    void listPrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("25 matches: the first ten") << "pa" << pa(0, 9);
        QTest::newRow("exactly 3 matches") << "boo" << QStringList{"Book - книга", "booking - заказ", "bookish - книжный"};
        QTest::newRow("12 matches narrowed to 10") << "pa1" << pa(10, 19);
        QTest::newRow("no match") << "xyz" << QStringList{"xyz - ???"};
        QTest::newRow("question mark") << "c?t" << QStringList{"cat - кошка", "cot - койка", "cut - резать"};
        QTest::newRow("star inside") << "c*t" << QStringList{"cat - кошка", "coat - пальто", "cot - койка", "cut - резать"};
        QTest::newRow("hash") << "room#" << QStringList{"room1 - комната один", "room2 - комната два"};
        QTest::newRow("list") << "[bc]at" << QStringList{"bat - летучая мышь", "bat - бита", "cat - кошка"};
        QTest::newRow("negated list") << "[!bc]at" << QStringList{"hat - шляпа"};
        QTest::newRow("range") << "[b-c]at" << QStringList{"bat - летучая мышь", "bat - бита", "cat - кошка"};
        QTest::newRow("capitals") << "CA" << QStringList{"café - кафе", "CAFÉ NOIR - чёрный кофе", "cat - кошка"};
        QTest::newRow("small letters") << "ca" << QStringList{"café - кафе", "CAFÉ NOIR - чёрный кофе", "cat - кошка"};
        QTest::newRow("Cyrillic capitals") << "КОТ" << QStringList{"КОТ - cat", "котёл - boiler"};
        QTest::newRow("Cyrillic small") << "кот" << QStringList{"КОТ - cat", "котёл - boiler"};
        QTest::newRow("accented capitals") << "CAFÉ" << QStringList{"café - кафе", "CAFÉ NOIR - чёрный кофе"};
        QTest::newRow("empty translation") << "unch" << QStringList{"uncharted - "};
        QTest::newRow("double quote") << "\"quo" << QStringList{"\"quoted\" - в кавычках"};
        QTest::newRow("lone double quote, no match") << "say \"" << QStringList{"say \" - ???"};
        QTest::newRow("vertical bar") << "a|" << QStringList{"a|b - а или б"};
        QTest::newRow("unclosed bracket") << "[x" << QStringList{"[x] - в скобках"};
        QTest::newRow("lone closing bracket") << "]" << QStringList{"] - ???"};
        QTest::newRow("brackets around nothing") << "c[]at" << QStringList{"cat - кошка"};
        QTest::newRow("leading star scans") << "*ish" << QStringList{"bookish - книжный"};
    }
    void listPrefix()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(m_reader.listPrefix(text), lines);
    }

    // A file with the reverse index answers Russian text from it, exactly and by prefix, with
    // stress marks and "ё" ignored; its English entries answer as before.
    void reverseIndex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("exact");  // Trans of the exact lookup on RusEng
        QTest::addColumn<QStringList>("listed"); // what the panel lists for the text
        QTest::newRow("word") << "кошка" << QStringList{"cat; puss"} << QStringList{"кошка - cat; puss"};
        QTest::newRow("capitals") << "КОШКА" << QStringList{"cat; puss"} << QStringList{"кошка - cat; puss"};
        QTest::newRow("stress mark") << "ко\u0301шка" << QStringList{"cat; puss"} << QStringList{"кошка - cat; puss"};
        QTest::newRow("е finds ё") << "пес" << QStringList{"dog"} << QStringList{"пёс - dog"};
        QTest::newRow("ё finds ё") << "ёлка" << QStringList{"fir"} << QStringList{"ёлка - fir"};
        QTest::newRow("prefix only") << "кош" << QStringList{} << QStringList{"кошка - cat; puss", "кошки-мышки - tag"};
        QTest::newRow("pattern") << "к?ш" << QStringList{} << QStringList{"кошка - cat; puss", "кошки-мышки - tag"};
        QTest::newRow("no match") << "собака" << QStringList{} << QStringList{"собака - ???"};
        QTest::newRow("Cyrillic headwords come first") << "кот" << QStringList{} << QStringList{"КОТ - cat", "котёл - boiler"};
        QTest::newRow("English text stays English") << "ca" << QStringList{} << QStringList{"café - кафе", "CAFÉ NOIR - чёрный кофе", "cat - кошка"};
        QTest::newRow("later Cyrillic block is no Russian text") << "ꙋ" << QStringList{} << QStringList{"ꙋкъ - uk"};
    }
    void reverseIndex()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, exact);
        QFETCH(QStringList, listed);
        const QString path = m_dir.filePath(QStringLiteral("reverse.bdd"));
        std::vector<Entry> rows = testRows();
        rows.insert(rows.end(), {{"puss", "кошка"}, {"tag", "кошки-мышки"}, {"dog", "пёс"}, {"fir", "ёлка"}, {"ꙋкъ", "uk"}});
        if (!QFileInfo::exists(path)) {
            BddWriter writer(path);
            ReverseIndexBuilder reverse;
            writer.addTable(&reverse);
            writer.write(rows);
        }
        DictionaryReader reader;
        reader.setDatabaseName(path);
        QVERIFY(reader.hasReverseIndex());
        reader.exactLookup(text, DictionaryReader::Table::RusEng);
        QStringList found;
        for (int i = 0; i < reader.recordCount(); ++i) {
            reader.setAbsolutePosition(i);
            found << reader.field(1);
        }
        QCOMPARE(found, exact);
        QCOMPARE(reader.listPrefix(text), listed);
        QCOMPARE(reader.wordCount(), qint64(rows.size()));
    }

    // Without the reverse index (a file made before it), Russian text is searched among the
    // headwords as it always was, and a reverse lookup finds nothing.
    void fileWithoutReverseIndex()
    {
        QVERIFY(!m_reader.hasReverseIndex());
        m_reader.exactLookup(QStringLiteral("кот"), DictionaryReader::Table::RusEng);
        QCOMPARE(m_reader.recordCount(), 0);
        QCOMPARE(m_reader.listPrefix(QStringLiteral("кот")), (QStringList{"КОТ - cat", "котёл - boiler"}));
        QCOMPARE(m_reader.listPrefix(QStringLiteral("кош")), QStringList{"кош - ???"});
    }

    void prefixSearchFetchesOnlyTheLimit()
    {
        m_reader.prefixSearch(QStringLiteral("pa"), 3);
        QCOMPARE(m_reader.recordCount(), 3);
        m_reader.prefixSearch(QStringLiteral("pa"), 0); // no limit
        QCOMPARE(m_reader.recordCount(), 25);
    }

    void wordCountIgnoresTheCurrentResult()
    {
        const qint64 all = qint64(testRows().size());
        m_reader.listPrefix(QStringLiteral("boo"));
        QCOMPARE(m_reader.wordCount(), all);
        m_reader.listPrefix(QStringLiteral("xyz"));
        QCOMPARE(m_reader.wordCount(), all);
        QCOMPARE(m_reader.recordCount(), 0);
        DictionaryReader other; // a reader that has run no statement yet
        other.setDatabaseName(m_path);
        QCOMPARE(other.wordCount(), all);
    }

    void readersAreIndependent()
    {
        DictionaryReader other;
        other.setDatabaseName(m_path);
        m_reader.exactLookup(QStringLiteral("set"));
        other.exactLookup(QStringLiteral("cat"));
        QCOMPARE(m_reader.recordCount(), 3);
        QCOMPARE(other.recordCount(), 1);
    }

    void unusableFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("random bytes") << "random";
        QTest::newRow("text file") << "text";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("SQLite without EngRus") << "no-table";
        QTest::newRow("EngRus with other columns") << "other-columns";
    }
    void unusableFiles()
    {
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(kind + QStringLiteral(".bdd"));
        if (kind == QLatin1String("empty") || kind == QLatin1String("random") || kind == QLatin1String("text")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("random")) {
                QByteArray bytes(64 * 1024, '\0');
                QRandomGenerator gen(42);
                for (char& b : bytes)
                    b = char(gen.bounded(256));
                f.write(bytes);
            } else if (kind == QLatin1String("text")) {
                f.write("cat\tкошка\n");
            }
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(m_dir.path()).mkpath(kind + QStringLiteral(".bdd")));
        } else if (kind == QLatin1String("no-table")) {
            makeSqlite(path, "CREATE TABLE Other (Word TEXT, Trans TEXT); INSERT INTO Other VALUES ('cat', 'x');");
        } else if (kind == QLatin1String("other-columns")) {
            makeSqlite(path, "CREATE TABLE EngRus (Headword TEXT, Translation TEXT);"
                             "INSERT INTO EngRus VALUES ('cat', 'кошка');");
        }
        DictionaryReader reader;
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 0);
        QCOMPARE(reader.field(1), QString());
        QCOMPARE(reader.listPrefix(QStringLiteral("ca")), QStringList{"ca - ???"});
        QCOMPARE(reader.wordCount(), 0);
    }

    void missingFileIsFoundOnceItAppears()
    {
        const QString path = m_dir.filePath(QStringLiteral("later.bdd"));
        qint64 now = 0;
        DictionaryReader reader;
        reader.setClock([&now] { return now; });
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 0);
        writeDictionary(path, {{"cat", "кошка"}});
        now += DictionaryReader::kRetryMs;
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 1);
    }

    // Another program holds the file locked at the first lookup (a writer in the middle of
    // its transaction). That lookup finds nothing; once the lock is gone a later lookup finds
    // the word, but not before a second has passed, so a lasting lock costs one try a second.
    void lockAtFirstLookupHeals()
    {
        const QString path = m_dir.filePath(QStringLiteral("locked.bdd"));
        writeDictionary(path, {{"cat", "кошка"}});
        sqlite3* locker = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &locker), SQLITE_OK);
        QCOMPARE(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

        qint64 now = 0;
        DictionaryReader reader;
        reader.setClock([&now] { return now; });
        reader.setDatabaseName(path);
        StderrCapture err;
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 0);
        QCOMPARE(reader.listPrefix(QStringLiteral("ca")), QStringList{"ca - ???"});

        QCOMPARE(sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(locker);
        now += 999;
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 0);
        now += 1; // a second after the failure
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));
        const QString said = err.text();
        QCOMPARE(said.count(QLatin1Char('\n')), 1);
        QVERIFY2(said.contains(path) && said.contains(QLatin1String("locked")), qPrintable(said));
    }

    // Each unusable file is named once on standard error with its reason, however many
    // readers and lookups meet it.
    void failureIsReportedOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing" << "No such file";
        QTest::newRow("empty") << "empty" << "empty";
        QTest::newRow("not a database") << "text" << "not a database";
        QTest::newRow("a folder") << "folder" << "not a regular file";
        QTest::newRow("no EngRus") << "no-table" << "EngRus";
    }
    void failureIsReportedOnce()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(QStringLiteral("reported-") + kind + QStringLiteral(".bdd"));
        if (kind == QLatin1String("empty") || kind == QLatin1String("text")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("text"))
                f.write(QByteArray(4096, 'x'));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(path).fileName()));
        } else if (kind == QLatin1String("no-table")) {
            makeSqlite(path, "CREATE TABLE Other (Word TEXT);");
        }
        qint64 now = 0;
        StderrCapture err;
        for (int i = 0; i < 2; ++i) {
            DictionaryReader reader;
            reader.setClock([&now] { return now; });
            reader.setDatabaseName(path);
            for (int k = 0; k < 3; ++k) {
                reader.exactLookup(QStringLiteral("cat"));
                QCOMPARE(reader.recordCount(), 0);
                now += DictionaryReader::kRetryMs;
            }
        }
        const QString said = err.text();
        QCOMPARE(said.count(QLatin1Char('\n')), 1);
        QVERIFY2(said.contains(path) && said.contains(reason, Qt::CaseInsensitive), qPrintable(said));
    }

    // Another program writes a new dictionary over the file in place (same inode), smaller or
    // larger, while a reader has it open: the reader serves the new file at its next lookup.
    // With the old memory-mapped reader the first case died of SIGBUS.
    void rewrittenInPlace()
    {
        const QString path = m_dir.filePath(QStringLiteral("inplace.bdd"));
        const QByteArray large = dictionaryBytes(m_dir.filePath(QStringLiteral("large.bdd")), manyRows(20000));
        const QByteArray small = dictionaryBytes(m_dir.filePath(QStringLiteral("small.bdd")), {{"cat", "кошка"}});
        QVERIFY(large.size() > 16 * small.size());
        rewriteInPlace(path, large);

        qint64 now = 0;
        DictionaryReader reader;
        reader.setClock([&now] { return now; });
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("w00001"));
        QCOMPARE(reader.field(1), QStringLiteral("слово 1"));

        // The file is looked at every 100 ms (or at once by a statement that fails on it).
        rewriteInPlace(path, small);
        now += 100;
        reader.exactLookup(QStringLiteral("w19999"));
        QCOMPARE(reader.recordCount(), 0);
        QCOMPARE(reader.listPrefix(QStringLiteral("w1999")), QStringList{"w1999 - ???"});
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));
        QCOMPARE(reader.wordCount(), 1);

        rewriteInPlace(path, large);
        now += 100;
        reader.exactLookup(QStringLiteral("w19999"));
        QCOMPARE(reader.field(1), QStringLiteral("слово 19999"));
        QCOMPARE(reader.wordCount(), 20000);

        // A lookup the user asked for (a budget opened) looks at once, 1 ms after the last look.
        rewriteInPlace(path, small);
        now += 1;
        {
            const DictionaryReader::LookupBudget budget(reader);
            reader.exactLookup(QStringLiteral("cat"));
        }
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));
    }

    // The file is cut short under an open reader (a copy caught half-way): lookups find
    // nothing and the program goes on; the finished copy is served.
    void cutShortUnderTheReader()
    {
        const QString path = m_dir.filePath(QStringLiteral("cut.bdd"));
        const QByteArray large = dictionaryBytes(m_dir.filePath(QStringLiteral("large2.bdd")), manyRows(20000));
        rewriteInPlace(path, large);
        qint64 now = 0;
        DictionaryReader reader;
        reader.setClock([&now] { return now; });
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("w00001"));
        QCOMPARE(reader.recordCount(), 1);

        StderrCapture err;
        rewriteInPlace(path, large.left(large.size() / 3));
        now += 100;
        for (const char* word : {"w19999", "w15000", "w10000"}) {
            reader.exactLookup(QString::fromLatin1(word));
            QCOMPARE(reader.recordCount(), 0);
        }
        QVERIFY(err.text().contains(path));
        rewriteInPlace(path, large);
        now += DictionaryReader::kRetryMs;
        reader.exactLookup(QStringLiteral("w19999"));
        QCOMPARE(reader.field(1), QStringLiteral("слово 19999"));
    }

    // Another version put at the path while a reader has the file open is what the lookups
    // read once the reader looks again: at the open file every 100 ms, at what only the path
    // tells apart every 1000 ms. Until then the version it has open is served whole.
    void replacedUnderTheReader_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<qint64>("noticedAfter");
        QTest::newRow("renamed over it") << "rename" << qint64(100);
        QTest::newRow("removed and written anew") << "remove" << qint64(100);
        QTest::newRow("symbolic link pointed elsewhere") << "symlink" << qint64(1000);
    }
    void replacedUnderTheReader()
    {
        QFETCH(QString, how);
        QFETCH(qint64, noticedAfter);
        const QString dir = m_dir.filePath(QStringLiteral("replaced-") + how);
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/zarvik.bdd");
        const QString older = dir + QStringLiteral("/older.bdd"), newer = dir + QStringLiteral("/newer.bdd");
        writeDictionary(older, {{"cat", "кошка"}});
        writeDictionary(newer, {{"cat", "кот"}});
        if (how == QLatin1String("symlink"))
            QVERIFY(QFile::link(older, path));
        else
            QVERIFY(QFile::copy(older, path));
        qint64 now = 0;
        DictionaryReader reader;
        reader.setClock([&now] { return now; });
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));

        const QByteArray from = QFile::encodeName(newer), to = QFile::encodeName(path);
        if (how == QLatin1String("rename")) {
            QCOMPARE(::rename(from.constData(), to.constData()), 0);
        } else if (how == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::copy(newer, path));
        } else {
            const QByteArray link = to + ".new";
            QCOMPARE(::symlink(from.constData(), link.constData()), 0);
            QCOMPARE(::rename(link.constData(), to.constData()), 0);
        }
        now += noticedAfter - 1;
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));
        now += 1;
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.field(1), QStringLiteral("кот"));
    }

    // A file with EngRus(Word, Trans) that the importer did not write is still served, with
    // the same case rules and order. A column named Key in such a file means nothing to us.
    void foreignTableIsServedFromWord()
    {
        const QString path = m_dir.filePath(QStringLiteral("foreign.bdd"));
        makeSqlite(path, "CREATE TABLE EngRus (Word TEXT, Trans TEXT, Key TEXT, Extra INTEGER);"
                         "INSERT INTO EngRus VALUES ('Cot', 'койка', 'zzz', 1);"
                         "INSERT INTO EngRus VALUES ('cat', NULL, 'zzz', 2);"
                         "INSERT INTO EngRus VALUES ('КОТ', 'cat', 'zzz', 3);"
                         "INSERT INTO EngRus VALUES ('cat', 'кошка', 'zzz', 4);");
        DictionaryReader reader;
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("CAT"));
        QCOMPARE(reader.recordCount(), 2);
        QCOMPARE(reader.listPrefix(QStringLiteral("C")), (QStringList{"cat - ", "cat - кошка", "Cot - койка"}));
        QCOMPARE(reader.listPrefix(QStringLiteral("кО")), QStringList{"КОТ - cat"});
        QCOMPARE(reader.listPrefix(QStringLiteral("c?t")).size(), 3);
        QCOMPARE(reader.wordCount(), 4);
    }

    // A file in the layout of the previous importer (a rowid table with a key column and its
    // index) is read through its index, with the same results.
    void previousLayoutStillServed()
    {
        const QString path = m_dir.filePath(QStringLiteral("rowid.bdd"));
        makeSqlite(path, "CREATE TABLE EngRus (Word TEXT NOT NULL, Trans TEXT NOT NULL DEFAULT '', Key TEXT NOT NULL);"
                         "INSERT INTO EngRus VALUES ('Cat', 'кошка', 'cat'), ('cat', 'кот', 'cat'),"
                         " ('cot', 'койка', 'cot'), ('КОТ', 'cat', 'кот');"
                         "CREATE INDEX EngRus_Key ON EngRus (Key);"
                         "CREATE TABLE ZarvikMeta (Name TEXT PRIMARY KEY, Value TEXT);"
                         "INSERT INTO ZarvikMeta VALUES ('format', '1');");
        DictionaryReader reader;
        reader.setDatabaseName(path);
        reader.exactLookup(QStringLiteral("CAT"));
        QCOMPARE(reader.recordCount(), 2);
        QCOMPARE(reader.listPrefix(QStringLiteral("c")), (QStringList{"Cat - кошка", "cat - кот", "cot - койка"}));
        QCOMPARE(reader.listPrefix(QStringLiteral("к")), QStringList{"КОТ - cat"});
        QCOMPARE(reader.wordCount(), 4);
    }

    // Files made to hurt a reader. Each must give a bounded result quickly, be named on
    // standard error where it fails, and leave the reader answering.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("transLength");
        QTest::addColumn<QString>("message");
        // What a whole lookup (fifty passes that find nothing, then the word) finds within its
        // bound; -1 where that depends on the machine's speed: a 20 MB row inside our keyed
        // table is read whole at every seek that passes it (a few tens of milliseconds each).
        QTest::addColumn<int>("wholeRows");
        // Never yields a row and never ends.
        const QByteArray endless = "CREATE VIEW EngRus AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) "
                                   "SELECT 'w' || x AS Word, 'т' AS Trans FROM n WHERE x < 0;";
        QTest::newRow("view over an endless recursive query")
            << endless << "cat" << 0 << 0 << "a lookup ran longer than 250 ms and was abandoned" << 0;
        QTest::newRow("20 MB translation, our layout")
            << QByteArray(schema::kCreateTable) + ";" + schema::kCreateView + ";" + schema::kCreateMeta +
                   ";INSERT INTO ZarvikMeta VALUES ('format', '2');"
                   "INSERT INTO EngRusKeyed VALUES ('cat', 0, NULL, printf('%.*c', 20000000, 'я'));"
            << "cat" << 1 << 4096 << "" << -1;
        QTest::newRow("20 MB translation, foreign table")
            << QByteArray("CREATE TABLE EngRus (Word TEXT, Trans TEXT);"
                          "INSERT INTO EngRus VALUES ('cat', printf('%.*c', 20000000, 'я'));")
            << "cat" << 1 << 4096 << "" << 1;
        // Characters, not UTF-16 units or bytes, are what is counted; no pair is cut in two.
        QTest::newRow("20 MB translation of letters outside the BMP")
            << QByteArray(schema::kCreateTable) + ";" + schema::kCreateView + ";" + schema::kCreateMeta +
                   ";INSERT INTO ZarvikMeta VALUES ('format', '2');"
                   "INSERT INTO EngRusKeyed VALUES ('cat', 0, NULL, printf('%.*c', 5000000, '\U0001D49C'));"
            << "cat" << 1 << 8192 << "" << -1;
        // A lone continuation byte and a sequence cut short: each reads as one U+FFFD.
        QTest::newRow("malformed UTF-8 in a translation")
            << QByteArray(schema::kCreateTable) + ";" + schema::kCreateView + ";" + schema::kCreateMeta +
                   ";INSERT INTO ZarvikMeta VALUES ('format', '2');"
                   "INSERT INTO EngRusKeyed VALUES ('cat', 0, NULL, CAST(X'D0BA80D0' AS TEXT));"
            << "cat" << 1 << 3 << "" << 1;
        // A translation is read up to its first 4096 characters.
        const auto translationOf = [](int chars) {
            return QByteArray(schema::kCreateTable) + ";" + schema::kCreateView + ";" + schema::kCreateMeta +
                   ";INSERT INTO ZarvikMeta VALUES ('format', '2');"
                   "INSERT INTO EngRusKeyed VALUES ('cat', 0, NULL, printf('%.*c', " +
                   QByteArray::number(chars) + ", 'я'));";
        };
        QTest::newRow("translation of 4096 characters is whole") << translationOf(4096) << "cat" << 1 << 4096 << "" << 1;
        QTest::newRow("translation of 4097 characters is cut") << translationOf(4097) << "cat" << 1 << 4096 << "" << 1;
        // A statement gives at most 1000 rows.
        const auto repeated = [](int times) {
            return QByteArray(schema::kCreateTable) + ";" + schema::kCreateView + ";" + schema::kCreateMeta +
                   ";INSERT INTO ZarvikMeta VALUES ('format', '2');"
                   "INSERT INTO EngRusKeyed WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                   "WHERE x < " +
                   QByteArray::number(times) + ") SELECT 'cat', x, NULL, 'кошка' FROM n;";
        };
        QTest::newRow("one headword repeated without end") << repeated(5000) << "cat" << 1000 << 5 << "" << 1000;
        QTest::newRow("one headword 1000 times") << repeated(1000) << "cat" << 1000 << 5 << "" << 1000;
        QTest::newRow("one headword 1001 times") << repeated(1001) << "cat" << 1000 << 5 << "" << 1000;
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QString, word);
        QFETCH(int, rows);
        QFETCH(int, transLength);
        QFETCH(QString, message);
        QFETCH(int, wholeRows);
        const QString path = m_dir.filePath(QStringLiteral("hostile-%1.bdd").arg(QTest::currentDataTag()).replace(' ', '-'));
        makeSqlite(path, sql.constData());
        DictionaryReader reader;
        reader.setDatabaseName(path);
        StderrCapture err;
        QElapsedTimer statement;
        statement.start();
        reader.exactLookup(word); // without a bound on its work the endless view never returns
        const qint64 statementMs = statement.elapsed();

        // One statement is abandoned after 250 ms: not before, and well within eight times that.
        if (!message.isEmpty()) {
            QVERIFY2(statementMs >= 240, qPrintable(QString::number(statementMs)));
            QVERIFY2(statementMs < 2000, qPrintable(QString::number(statementMs)));
        }
        QCOMPARE(reader.recordCount(), rows);
        QCOMPARE(reader.field(1).size(), transLength);
        const QString firstLine = rows > 0 ? displayLine(reader.field(0), reader.field(1)) : noMatchLine(word);
        const QStringList lines = reader.listPrefix(word);
        QCOMPARE(lines.size(), rows > 0 ? qMin(rows, 10) : 1);
        QCOMPARE(lines.front(), firstLine); // the listing cuts and decodes as the lookup does
        const QString said = err.text();
        if (message.isEmpty())
            QVERIFY2(said.isEmpty(), qPrintable(said));
        else
            QCOMPARE(said.count(message), 1); // the second statement's overrun is not repeated

        // A whole lookup, its fifty shortening passes and a listing together, holds the thread
        // no longer than one bound of 250 ms, well within eight times that on a busy machine:
        // the passes that do not fit find nothing.
        QElapsedTimer clock;
        clock.start();
        int found = 0;
        {
            const DictionaryReader::LookupBudget budget(reader);
            for (int pass = 0; pass < 50; ++pass) {
                reader.exactLookup(word + QString(50 - pass, QLatin1Char('x')));
                found += reader.recordCount();
            }
            reader.exactLookup(word);
            found += reader.recordCount();
            reader.listPrefix(word);
        }
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        if (wholeRows >= 0)
            QCOMPARE(found, wholeRows);
        if (found < rows) // cut short, but not before the bound
            QVERIFY2(clock.elapsed() >= 240, qPrintable(QString::number(clock.elapsed())));

        // The reader still answers: the good dictionary right after.
        reader.setDatabaseName(m_path);
        reader.exactLookup(QStringLiteral("cat"));
        QCOMPARE(reader.field(1), QStringLiteral("кошка"));
    }

    // The bounds on a stored article: what it may inflate to (2 MiB), how long its stored form
    // may be (2 MiB) and how many blocks it may give (20000), each on both sides; and what
    // decodes to nothing.
    void articleCodecBounds_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("usable");
        QTest::newRow("inflates to 2 MiB") << "inflated" << qsizetype(2097152) << true;
        QTest::newRow("inflates to 2 MiB and a byte") << "inflated" << qsizetype(2097153) << false;
        QTest::newRow("stored in 2 MiB") << "stored" << qsizetype(2097152) << true;
        QTest::newRow("stored in 2 MiB and a byte") << "stored" << qsizetype(2097153) << false;
        QTest::newRow("20000 blocks") << "blocks" << qsizetype(20000) << true;
        QTest::newRow("20001 blocks") << "blocks" << qsizetype(20001) << false;
        // Texts with "|" for the unit separator and "#" for the record separator.
        QTest::newRow("unknown version") << "text:2T|rʌn#" << qsizetype(0) << false;
        QTest::newRow("unknown kind") << "text:1Z|x#" << qsizetype(0) << false;
        QTest::newRow("a field too many") << "text:1S1)|x|y|z#" << qsizetype(0) << false;
        QTest::newRow("block cut short") << "text:1S1)|бег" << qsizetype(0) << false;
        QTest::newRow("well formed") << "text:1S1)|бег#E|at a run|бегом#" << qsizetype(0) << true;
    }
    void articleCodecBounds()
    {
        QFETCH(QString, what);
        QFETCH(qsizetype, size);
        QFETCH(bool, usable);
        if (what == QLatin1String("inflated")) {
            const QByteArray text(size, 'a');
            const std::optional<QByteArray> back = articles::inflate(articles::compress(text, "aaaa"), "aaaa");
            QCOMPARE(back.has_value(), usable);
            if (usable)
                QCOMPARE(*back, text);
        } else if (what == QLatin1String("stored")) {
            // Random bytes do not deflate: their stored form is the bytes and a few bytes of
            // framing, which a few trials measure.
            QRandomGenerator random(29);
            QByteArray pool((size + 3) / 4 * 4, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32*>(pool.data()), pool.size() / 4);
            qsizetype n = size - 1000;
            QByteArray stored;
            for (int trial = 0; trial < 4 && stored.size() != size; ++trial) {
                stored = articles::compress(QByteArrayView(pool).first(n), {});
                n += size - stored.size();
            }
            QCOMPARE(stored.size(), size);
            QCOMPARE(articles::inflate(stored, {}).has_value(), usable);
        } else if (what == QLatin1String("blocks")) {
            Article article;
            article.blocks.assign(size_t(size), ArticleBlock{ArticleBlock::Kind::Sense, QStringLiteral("1)"), QStringLiteral("бег"), {}});
            const std::optional<Article> back = articles::decode(articles::encode(article));
            QCOMPARE(back.has_value(), usable);
            if (usable)
                QCOMPARE(back->blocks, article.blocks);
        } else {
            QByteArray text = what.mid(5).toUtf8();
            text.replace('|', '\x1F').replace('#', '\x1E');
            QCOMPARE(articles::decode(text).has_value(), usable);
        }
    }

    // A large file without a key index of ours: every lookup would fold every headword. Once
    // its side index is built it answers a whole lookup of a long copy (fifty passes that
    // find nothing, then the word) within the bound, as a file of ours does.
    void largeFileWithoutOurIndex_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("indexed");
        const QByteArray fill = "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) ";
        QTest::newRow("EngRus (Word, Trans) of another program, 300,000 rows")
            << QByteArray("CREATE TABLE EngRus (Word TEXT, Trans TEXT);"
                          "INSERT INTO EngRus " + fill + "SELECT 'w' || x, 'слово ' || x FROM n;"
                          "INSERT INTO EngRus VALUES ('Cat', 'кошка'), ('cot', 'койка');")
                   .replace("%1", "300000")
            << 300002 << true;
        QTest::newRow("our previous layout with its key index dropped, 300,000 rows")
            << QByteArray("CREATE TABLE EngRus (Word TEXT NOT NULL, Trans TEXT NOT NULL DEFAULT '', Key TEXT NOT NULL);"
                          "INSERT INTO EngRus " + fill + "SELECT 'w' || x, 'слово ' || x, 'w' || x FROM n;"
                          "INSERT INTO EngRus VALUES ('Cat', 'кошка', 'cat'), ('cot', 'койка', 'cot');"
                          "CREATE TABLE ZarvikMeta (Name TEXT PRIMARY KEY, Value TEXT);"
                          "INSERT INTO ZarvikMeta VALUES ('format', '1');")
                   .replace("%1", "300000")
            << 300002 << true;
        // Too small to need one: read as before, and no index is built.
        QTest::newRow("EngRus (Word, Trans), 19,999 rows")
            << QByteArray("CREATE TABLE EngRus (Word TEXT, Trans TEXT);"
                          "INSERT INTO EngRus " + fill + "SELECT 'w' || x, 'слово ' || x FROM n;"
                          "INSERT INTO EngRus VALUES ('Cat', 'кошка'), ('cot', 'койка');")
                   .replace("%1", "19997")
            << 19999 << false;
    }
    void largeFileWithoutOurIndex()
    {
        QFETCH(QByteArray, sql);
        QFETCH(int, rows);
        QFETCH(bool, indexed);
        const QString path = m_dir.filePath(QStringLiteral("large-%1.bdd").arg(QTest::currentDataTag()).replace(' ', '-'));
        makeSqlite(path, sql.constData());
        const auto indexFiles = [] { return QDir::temp().entryList({QStringLiteral("zarvik-index-*")}, QDir::Files).size(); };
        const qsizetype before = indexFiles();
        DictionaryReader reader;
        reader.setDatabaseName(path);
        QCOMPARE(reader.wordCount(), rows);
        QVERIFY(SideIndex::waitForBuilds(120000));
        QCOMPARE(indexFiles(), before + (indexed ? 1 : 0));
        reader.exactLookup(QStringLiteral("CAT")); // the index is taken up at a statement
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.listPrefix(QStringLiteral("c?t")), (QStringList{"Cat - кошка", "cot - койка"}));
        if (!indexed)
            return;

        int found = 0;
        {
            const DictionaryReader::LookupBudget budget(reader);
            for (int pass = 0; pass < 50; ++pass) {
                reader.exactLookup(QStringLiteral("cat") + QString(50 - pass, QLatin1Char('x')));
                found += reader.recordCount();
            }
            reader.exactLookup(QStringLiteral("cat"));
            found += reader.recordCount();
            QCOMPARE(reader.field(1), QStringLiteral("кошка"));
        }
        QCOMPARE(found, 1);
        QCOMPARE(reader.listPrefix(QStringLiteral("w12345")),
                 (QStringList{"w12345 - слово 12345", "w123450 - слово 123450", "w123451 - слово 123451",
                              "w123452 - слово 123452", "w123453 - слово 123453", "w123454 - слово 123454",
                              "w123455 - слово 123455", "w123456 - слово 123456", "w123457 - слово 123457",
                              "w123458 - слово 123458"}));
    }

    // The dictionary that the build makes from the bundled sample.
    void bundledSample()
    {
        DictionaryReader reader;
        reader.setDatabaseName(QStringLiteral(ZARVIK_BINARY_DIR "/sample.bdd"));
        QVERIFY(reader.wordCount() > 300);
        for (const char* word : {"book", "run", "stop", "cat", "cot", "cut", "walk", "café"}) {
            reader.exactLookup(QString::fromUtf8(word));
            QVERIFY2(reader.recordCount() >= 1, word);
        }
        reader.exactLookup(QStringLiteral("bat"));
        QCOMPARE(reader.recordCount(), 2);
        QCOMPARE(reader.listPrefix(QStringLiteral("uncharted")), QStringList{"uncharted - "});
        const QStringList lines = reader.listPrefix(QStringLiteral("c?t"));
        QVERIFY(lines.contains(QStringLiteral("cat - кошка; кот")));
        QVERIFY(lines.contains(QStringLiteral("cot - детская кроватка; койка")));
        QVERIFY(lines.contains(QStringLiteral("cut - резать; порез")));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    DictionaryReader m_reader;
};

QTEST_APPLESS_MAIN(TestDictionaryReader)
#include "tst_dictionaryreader.moc"
