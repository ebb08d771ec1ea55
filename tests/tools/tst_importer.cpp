#include "BddWriter.h"
#include "DictdSource.h"
#include "DictionaryImporter.h"
#include "ImportError.h"
#include "StarDictSource.h"
#include "dictionary/ArticleCodec.h"
#include "dictionary/DictionaryReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <sqlite3.h>
#include <zlib.h>

using namespace zarvik;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A byte string literal with its embedded zero bytes.
template <size_t N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeGzip(const QString& path, const QByteArray& bytes)
{
    gzFile gz = gzopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(gz);
    QCOMPARE(gzwrite(gz, bytes.constData(), unsigned(bytes.size())), int(bytes.size()));
    gzclose(gz);
}

QString b64(quint64 n)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QString out;
    do {
        out.prepend(QLatin1Char(digits[n % 64]));
        n /= 64;
    } while (n);
    return out;
}

// A dictd pair: NAME.index and NAME.dict (or .dict.dz) for (headword, article) entries.
struct Dictd {
    QByteArray index, dict;
    void add(const QString& word, const QString& article)
    {
        const QByteArray a = article.toUtf8();
        index += (word + QLatin1Char('\t') + b64(quint64(dict.size())) + QLatin1Char('\t') + b64(quint64(a.size())) +
                  QLatin1Char('\n'))
                     .toUtf8();
        dict += a;
    }
};

// A StarDict triple for (headword, data block) entries.
struct StarDict {
    QByteArray idx, dict;
    int offsetBits = 32;
    void add(const QString& word, const QByteArray& block)
    {
        idx += word.toUtf8() + '\0';
        char buf[8];
        if (offsetBits == 64) {
            qToBigEndian<quint64>(quint64(dict.size()), buf);
            idx += QByteArray(buf, 8);
        } else {
            qToBigEndian<quint32>(quint32(dict.size()), buf);
            idx += QByteArray(buf, 4);
        }
        qToBigEndian<quint32>(quint32(block.size()), buf);
        idx += QByteArray(buf, 4);
        dict += block;
    }
    QByteArray ifo(const QByteArray& extra) const
    {
        return "StarDict's dict ifo file\nversion=3.0.0\nbookname=Test\n" + extra;
    }
};

// The rows of a statement run on a file, columns joined by "|".
QStringList query(const QString& path, const char* sql)
{
    QStringList rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
            rows << columns.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

QStringList rowsOf(const QString& bdd)
{
    DictionaryReader reader;
    reader.setDatabaseName(bdd);
    reader.prefixSearch(QStringLiteral("*"), 0);
    QStringList rows;
    for (int i = 0; i < reader.recordCount(); ++i) {
        reader.setAbsolutePosition(i);
        rows << displayLine(reader.field(0), reader.field(1));
    }
    return rows;
}

// The reverse index of a file: its Russian words with their English headwords.
QStringList reverseRowsOf(const QString& bdd)
{
    DictionaryReader reader;
    reader.setDatabaseName(bdd);
    reader.prefixSearch(QStringLiteral("*"), 0, DictionaryReader::Table::RusEng);
    QStringList rows;
    for (int i = 0; i < reader.recordCount(); ++i) {
        reader.setAbsolutePosition(i);
        rows << displayLine(reader.field(0), reader.field(1));
    }
    return rows;
}

} // namespace

class TestImporter : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_out = path(QStringLiteral("out.bdd"));
    }

    void dictdNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<quint64>("value");
        QTest::newRow("A is 0") << "A" << true << quint64(0);
        QTest::newRow("BA is 64") << "BA" << true << quint64(64);
        QTest::newRow("slash is 63") << "/" << true << quint64(63);
        QTest::newRow("Mueller cat offset") << "EgRS" << true << quint64(4 * 262144 + 32 * 4096 + 17 * 64 + 18);
        QTest::newRow("empty") << "" << false << quint64(0);
        QTest::newRow("bad digit") << "A-B" << false << quint64(0);
        QTest::newRow("too long") << "AAAAAAAAAAA" << false << quint64(0);
    }
    void dictdNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(quint64, value);
        quint64 got = 99;
        QCOMPARE(decodeDictdNumber(text, got), ok);
        if (ok)
            QCOMPARE(got, value);
    }

    // The whole article as the importer keeps it and the reader gives it back, from Mueller's
    // articles (shortened): the blocks' kinds and numbers in order ("T" a transcription, "P1."
    // a numbered part, "HII" the second homonym), and some blocks' texts ("kind=text>extra"). A stored article that
    // is damaged or hostile, or a file without articles, gives the entry's line.
    void wholeArticles_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("blocks");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("transcription");
        QTest::newRow("run: parts, numbered senses, examples, a phrasal verb")
            << "run" << "" << "T P1. S1) E E S2) P2. S1) S2) I sа) sб)"
            << QStringList{"T=rʌn", "P=n.", "P=v. (ran - run)", "S=бег, пробег", "E=at a run>бегом",
                           "S=разг. двигаться", "I=run about", "s=играть, резвиться (о детях)"}
            << "rʌn";
        QTest::newRow("went: a form refers to its verb")
            << "went" << "" << "T R" << QStringList{"T=wɛnt", "R=прош. вр. от>go"} << "wɛnt";
        QTest::newRow("hello: a synonym refers to its headword")
            << "hello" << "" << "T R" << QStringList{"T=ˈhɛˈlɜʊ", "R=>hallo"} << "ˈhɛˈlɜʊ";
        QTest::newRow("cat: homonyms, a part without a number")
            << "cat" << "" << "HI T P1. S1) HII T P S"
            << QStringList{"S=кот; кошка", "P=n.", "S=ам. разг. гусеничный трактор"} << "kæt";
        QTest::newRow("an unknown word") << "dog" << "" << "-" << QStringList{} << "";
        QTest::newRow("garbage for the articles") << "go" << "garbage" << "X" << QStringList{"X=идти, ходить; движение"} << "";
        QTest::newRow("articles cut short") << "go" << "cut" << "X" << QStringList{"X=идти, ходить; движение"} << "";
        QTest::newRow("articles that inflate to 3 MiB") << "go" << "bomb" << "X" << QStringList{"X=идти, ходить; движение"} << "";
        QTest::newRow("a file without articles") << "go" << "drop" << "X" << QStringList{"X=идти, ходить; движение"} << "";
        QTest::newRow("go, undamaged") << "go" << "" << "T P1. S1) P2. S"
            << QStringList{"P=v. (went - gone)", "S=идти, ходить", "S=движение"} << "gɜʊ";
    }
    void wholeArticles()
    {
        QFETCH(QString, word);
        QFETCH(QString, damage);
        QFETCH(QString, blocks);
        QFETCH(QStringList, texts);
        QFETCH(QString, transcription);
        Dictd d;
        d.add(QStringLiteral("run"), QStringLiteral(
            "run\n   [rʌn]\n   1. _n.\n      1) бег, пробег; at a run бегом {см. тж.}; on the run на ходу\n"
            "      2) короткая поездка\n   2. _v. (ran - run)\n      1) бежать; бегать\n"
            "      2) _разг. двигаться; run about\n         а) суетиться;\n         б) играть, резвиться (о детях)\n"));
        d.add(QStringLiteral("went"), QStringLiteral("went\n   [wɛnt] _p. от go 1\n"));
        d.add(QStringLiteral("go"), QStringLiteral("go\n   [gɜʊ]\n   1. _v. (went - gone)\n      1) идти, ходить\n   2. _n. движение\n"));
        d.add(QStringLiteral("hello"), QStringLiteral("hello\n   [↗hɛ↗lɜʊ] = hallo(a)\n"));
        d.add(QStringLiteral("hallo"), QStringLiteral("hallo\n   [hɜ↗lɜʊ]\n   1. _interj. алло!, привет!\n   2. _v. здороваться\n"));
        d.add(QStringLiteral("cat"), QStringLiteral("cat\n   _I  [kæt]\n      1. _n.\n         1) кот; кошка\n"
                                                    "   _II [kæt] _n. _ам. _разг. гусеничный трактор\n"));
        writeFile(path("t.index"), d.index);
        writeFile(path("t.dict"), d.dict);
        importDictionary(path("t.index"), m_out, {});
        if (!damage.isEmpty()) {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(m_out).constData(), &db), SQLITE_OK);
            QByteArray sql = "UPDATE EngRusArticle SET Articles = ?1";
            QByteArray blob;
            if (damage == QLatin1String("garbage"))
                blob = QByteArray(600, '\x9C');
            else if (damage == QLatin1String("bomb"))
                blob = articles::compress(QByteArray(3 * 1024 * 1024, '1'), {});
            else if (damage == QLatin1String("cut"))
                sql = "UPDATE EngRusArticle SET Articles = substr(Articles, 1, length(Articles) / 2)";
            else
                sql = "DROP TABLE EngRusArticle";
            sqlite3_stmt* stmt = nullptr;
            QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
            if (!blob.isEmpty())
                sqlite3_bind_blob(stmt, 1, blob.constData(), int(blob.size()), SQLITE_STATIC);
            QCOMPARE(sqlite3_step(stmt), SQLITE_DONE);
            sqlite3_finalize(stmt);
            sqlite3_close(db);
        }
        DictionaryReader reader;
        reader.setDatabaseName(m_out);
        reader.exactLookup(QStringLiteral("hallo"));
        const std::optional<Article> article = reader.article(word);
        QCOMPARE(reader.transcription(word), transcription);
        // The current result is the lookup's still.
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.field(0), QStringLiteral("hallo"));
        if (blocks == QLatin1String("-")) {
            QVERIFY(!article);
            return;
        }
        QVERIFY(article);
        QCOMPARE(article->headword, word);
        QStringList kinds, all;
        for (const ArticleBlock& b : article->blocks) {
            kinds << QString(QLatin1Char(char(b.kind))) + b.number;
            all << QString(QLatin1Char(char(b.kind))) + QLatin1Char('=') + b.text +
                       (b.extra.isEmpty() ? QString() : QLatin1Char('>') + b.extra);
        }
        QCOMPARE(kinds.join(QLatin1Char(' ')), blocks);
        for (const QString& t : texts)
            QVERIFY2(all.contains(t), qPrintable(t + QStringLiteral(" not in ") + all.join(QStringLiteral(" / "))));
    }

    void dictdPlainAndCompressed_data()
    {
        QTest::addColumn<bool>("compressed");
        QTest::newRow(".dict") << false;
        QTest::newRow(".dict.dz") << true;
    }
    void dictdPlainAndCompressed()
    {
        QFETCH(bool, compressed);
        Dictd d;
        d.add(QStringLiteral("00-database-short"), QStringLiteral("Test dictionary"));
        d.add(QStringLiteral("cat"), QStringLiteral("cat\n   [kæt] _n.\n   1) кошка; tom cat кот\n   2) кот\n"));
        d.add(QStringLiteral("a"), QStringLiteral("a\n   1) буква\n"));
        d.add(QStringLiteral("a"), QStringLiteral("a\n   _pref. приставка\n"));
        writeFile(path("t.index"), d.index);
        if (compressed)
            writeGzip(path("t.dict.dz"), d.dict);
        else
            writeFile(path("t.dict"), d.dict);
        const ImportReport report = importDictionary(path("t.index"), m_out, {});
        QCOMPARE(report.format, QStringLiteral("dictd"));
        QCOMPARE(report.read, 3);
        QCOMPARE(report.skipped.at(QStringLiteral("dictd meta entries")), 1);
        QCOMPARE(rowsOf(m_out), (QStringList{"a - буква", "a - приставка", "cat - кошка; кот"}));
    }

    // The reverse index takes the Russian words of the main senses only, whatever the lines
    // hold: no example ("tom cat кот"), no label, no note, no reference ("went"), no phrase
    // beyond the first sense; the report counts them.
    void reverseIndexTakesMainSenses_data()
    {
        QTest::addColumn<bool>("full");
        QTest::newRow("short lines") << false;
        QTest::newRow("whole articles") << true;
    }
    void reverseIndexTakesMainSenses()
    {
        QFETCH(bool, full);
        Dictd d;
        d.add(QStringLiteral("cat"), QStringLiteral("cat\n   [kæt] _n.\n   1) кошка; tom cat кот\n   2) _разг. сварливая женщина\n"));
        d.add(QStringLiteral("go"), QStringLiteral("go\n   _v. идти\n"));
        d.add(QStringLiteral("went"), QStringLiteral("went\n   _p. от go\n"));
        d.add(QStringLiteral("kitty"), QStringLiteral("kitty\n   _n. {детск.} киска (кошка)\n"));
        writeFile(path("t.index"), d.index);
        writeFile(path("t.dict"), d.dict);
        ImportOptions options;
        options.full = full;
        const ImportReport report = importDictionary(path("t.index"), m_out, options);
        QCOMPARE(reverseRowsOf(m_out), (QStringList{"идти - go", "киска - kitty", "кошка - cat"}));
        QCOMPARE(report.reverseEntries, 3);
    }

    void dictdFullArticles()
    {
        Dictd d;
        d.add(QStringLiteral("cat"), QStringLiteral("cat\n   [kæt] _n.\n   1) кошка; tom cat кот\n   2) кот\n"));
        writeFile(path("t.index"), d.index);
        writeFile(path("t.dict"), d.dict);
        ImportOptions options;
        options.full = true;
        importDictionary(path("t.index"), m_out, options);
        QCOMPARE(rowsOf(m_out), QStringList{"cat - [kæt] _n. 1) кошка; tom cat кот 2) кот"});
    }

    void dictdMalformed_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<bool>("withDict");
        QTest::addColumn<QString>("message");
        QTest::newRow("entry past the end of .dict") << QByteArray("cat\tA\tZZ\n") << true << "points past the end";
        QTest::newRow("offset past the end of .dict") << QByteArray("cat\tZZ\tB\n") << true << "points past the end";
        QTest::newRow("bad base64") << QByteArray("cat\tA!\tB\n") << true << "bad base64";
        QTest::newRow("missing length") << QByteArray("cat\tA\n") << true << "expected headword, offset and length";
        QTest::newRow("only meta entries") << QByteArray("00-database-url\tA\tB\n") << true << "no entries";
        QTest::newRow("no .dict beside it") << QByteArray("cat\tA\tB\n") << false << "no data file";
    }
    void dictdMalformed()
    {
        QFETCH(QByteArray, index);
        QFETCH(bool, withDict);
        QFETCH(QString, message);
        writeFile(path("t.index"), index);
        if (withDict)
            writeFile(path("t.dict"), "abcdefghij");
        expectRefusal(path("t.index"), message);
    }

    void dictdCorruptDz()
    {
        writeFile(path("t.index"), "cat\tA\tB\n");
        writeFile(path("t.dict.dz"), "this is not gzip at all");
        expectRefusal(path("t.index"), QStringLiteral("gzip"));
        QByteArray gz;
        writeGzip(path("full.gz"), QByteArray(5000, 'x'));
        gz = readFile(path("full.gz"));
        writeFile(path("t.dict.dz"), gz.left(gz.size() / 2));
        expectRefusal(path("t.index"), QStringLiteral("cut short"));
    }

    void starDict_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("sameType");
        QTest::addColumn<QString>("second"); // the second headword as the file writes it
        QTest::addColumn<QString>("shown");  // and as the dictionary keeps it
        QTest::newRow("32-bit offsets, sametypesequence=m") << 32 << true << "dog" << "dog";
        QTest::newRow("64-bit offsets, typed fields") << 64 << false << "dog" << "dog";
        QTest::newRow("tab and line break inside a headword") << 32 << true << "hot\tdog\n" << "hot dog";
    }
    void starDict()
    {
        QFETCH(int, bits);
        QFETCH(bool, sameType);
        QFETCH(QString, second);
        QFETCH(QString, shown);
        StarDict s;
        s.offsetBits = bits;
        if (sameType) {
            s.add(QStringLiteral("cat"), QByteArray("кошка; кот"));
            s.add(second, QByteArray("собака"));
        } else {
            s.add(QStringLiteral("cat"), bytes("tkæt\0mкошка; кот"));
            s.add(second, bytes("g<b>собака</b> &amp; пёс\0"));
        }
        QByteArray extra = "wordcount=2\nidxfilesize=" + QByteArray::number(s.idx.size()) + "\n";
        if (bits == 64)
            extra += "idxoffsetbits=64\n";
        if (sameType)
            extra += "sametypesequence=m\n";
        writeFile(path("s.ifo"), s.ifo(extra));
        writeFile(path("s.idx"), s.idx);
        writeFile(path("s.dict"), s.dict);
        const ImportReport report = importDictionary(path("s.ifo"), m_out, {});
        QCOMPARE(report.format, QStringLiteral("StarDict"));
        QCOMPARE(rowsOf(m_out), (QStringList{"cat - кошка; кот", shown + (sameType ? " - собака" : " - собака & пёс")}));
    }

    void starDictArticleFields()
    {
        QCOMPARE(starDictArticle(bytes("tkæt\0mкошка\0"), QByteArray()),
                 QStringLiteral("[kæt]\nкошка"));
        QCOMPARE(starDictArticle(bytes("kæt\0кошка"), QByteArray("tm")), QStringLiteral("[kæt]\nкошка"));
        QByteArray binary("W");
        binary += bytes("\0\0\0\2xy");
        binary += QByteArray("mтекст");
        QCOMPARE(starDictArticle(binary, QByteArray()), QStringLiteral("текст"));
        QCOMPARE(starDictArticle(bytes("W\0\0\0\x09xy"), QByteArray()), QString()); // size past the end
    }

    void starDictMalformed_data()
    {
        QTest::addColumn<QByteArray>("ifoExtra");
        QTest::addColumn<int>("chopIdx");
        QTest::addColumn<QString>("message");
        QTest::newRow("no wordcount") << QByteArray("") << 0 << "no valid wordcount";
        QTest::newRow("wordcount differs") << QByteArray("wordcount=3\n") << 0 << "wordcount=3";
        QTest::newRow("idx truncated") << QByteArray("wordcount=2\n") << 3 << "truncated";
        QTest::newRow("idxfilesize differs") << QByteArray("wordcount=2\nidxfilesize=5\n") << 0 << "idxfilesize";
        QTest::newRow("odd idxoffsetbits") << QByteArray("wordcount=2\nidxoffsetbits=16\n") << 0 << "idxoffsetbits";
    }
    void starDictMalformed()
    {
        QFETCH(QByteArray, ifoExtra);
        QFETCH(int, chopIdx);
        QFETCH(QString, message);
        StarDict s;
        s.add(QStringLiteral("cat"), "кошка");
        s.add(QStringLiteral("dog"), "собака");
        writeFile(path("s.ifo"), s.ifo(ifoExtra));
        writeFile(path("s.idx"), s.idx.chopped(chopIdx));
        writeFile(path("s.dict"), s.dict);
        expectRefusal(path("s.ifo"), message);
    }

    void starDictEntryOutsideDict()
    {
        StarDict s;
        s.add(QStringLiteral("cat"), "кошка");
        writeFile(path("s.ifo"), s.ifo("wordcount=1\n"));
        writeFile(path("s.idx"), s.idx);
        writeFile(path("s.dict"), s.dict.left(3));
        expectRefusal(path("s.ifo"), QStringLiteral("points past the end"));
        writeFile(path("s.ifo"), "Not a StarDict file\nwordcount=1\n");
        expectRefusal(path("s.ifo"), QStringLiteral("not a StarDict"));
    }

    void tsvSkipsAndCounts()
    {
        writeFile(path("t.tsv"), "\xEF\xBB\xBF# comment line\n"
                                 "cat\tкошка; кот\r\n"
                                 "\n"
                                 "no tab on this line\n"
                                 "\tno headword\n"
                                 "uncharted\t\n"
                                 "dog\tсобака\tпёс\n");
        const ImportReport report = importDictionary(path("t.tsv"), m_out, {});
        QCOMPARE(report.read, 3);
        QCOMPARE(report.skipped.at(QStringLiteral("lines without a tab")), 1);
        QCOMPARE(report.skipped.at(QStringLiteral("empty headwords")), 1);
        QCOMPARE(rowsOf(m_out), (QStringList{"cat - кошка; кот", "dog - собака пёс", "uncharted - "}));
    }

    // Lines are read ahead in batches on another thread, and rows beyond a few megabytes are
    // sorted in several runs: a headword repeated across all of them keeps the order of the
    // file.
    void tsvKeepsTheOrderOfTheFile()
    {
        const QString tail(100, QChar(0x044F)); // "я": 200 bytes a line, 2.4 MB in all
        QByteArray text;
        QStringList expected;
        for (int i = 0; i < 12000; ++i) {
            const QString trans = QStringLiteral("перевод %1 ").arg(i) + tail;
            text += "same\t" + trans.toUtf8() + "\n";
            expected << QStringLiteral("same - ") + trans;
        }
        writeFile(path("t.tsv"), text);
        QCOMPARE(importDictionary(path("t.tsv"), m_out, {}).read, 12000);
        QCOMPARE(rowsOf(m_out), expected);
    }

    void tsvRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("no line has a tab") << QByteArray("cat кошка\ndog собака\n") << "no entries";
        QTest::newRow("empty file") << QByteArray() << "no entries";
        QTest::newRow("not UTF-8") << QByteArray("cat\t\xEA\xEE\xF8\xEA\xE0\n") << "not UTF-8";
        QTest::newRow("not UTF-8 after many good lines")
            << QByteArray("cat\tкошка\n").repeated(20000) + "dog\t\xF1\xEE\xE1\xE0\xEA\xE0\n" << "not UTF-8";
    }
    void tsvRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        writeFile(path("t.txt"), content);
        expectRefusal(path("t.txt"), message);
    }

    void unknownFormatAndMissingInput()
    {
        writeFile(path("t.csv"), "cat,кошка\n");
        expectRefusal(path("t.csv"), QStringLiteral("unknown format"));
        expectRefusal(path("absent.tsv"), QStringLiteral("no such file"));
    }

    void successReplacesAnExistingOutput()
    {
        writeFile(m_out, "old content");
        writeFile(path("t.tsv"), "cat\tкошка\n");
        importDictionary(path("t.tsv"), m_out, {});
        QCOMPARE(rowsOf(m_out), QStringList{"cat - кошка"});
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary left
    }

    void outputInMissingFolderIsRefused()
    {
        writeFile(path("t.tsv"), "cat\tкошка\n");
        QVERIFY_THROWS_EXCEPTION(ImportError, importDictionary(path("t.tsv"), path("no/such/dir/x.bdd"), {}));
    }

    void toolExitCodesAndMessages()
    {
        writeFile(path("t.tsv"), "cat\tкошка\nline without tab\n");
        QProcess tool;
        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL), {path("t.tsv"), m_out});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QString report = QString::fromLocal8Bit(tool.readAllStandardError());
        QVERIFY2(report.contains(QStringLiteral("read 1 entries")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("skipped 1 lines without a tab")), qPrintable(report));

        const QByteArray before = readFile(m_out);
        writeFile(path("bad.index"), "cat\tA!\tB\n");
        writeFile(path("bad.dict"), "x");
        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL), {path("bad.index"), m_out});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(tool.readAllStandardError()).contains(QStringLiteral("bad base64")));
        QCOMPARE(readFile(m_out), before);

        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL), {path("t.tsv")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 2);
    }

    // Inputs made to hurt the importer. Each is refused with a clear message (the input and
    // any existing output left as they were), or imported within its bounds with the cut
    // counted. The bounds are made small here so that the files stay small.
    void hostileInputs_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("refusal"); // empty: imported
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("skipped");
        QTest::newRow("output is the tab-separated input") << "same-tsv" << "is the input file" << 0 << "";
        QTest::newRow("output is the dictd data") << "same-dict" << "is the input file" << 0 << "";
        QTest::newRow("output is a link to the index") << "link-index" << "is the input file" << 0 << "";
        QTest::newRow("output is the StarDict data") << "stardict-dict" << "is the input file" << 0 << "";
        QTest::newRow("output is the compressed StarDict data") << "stardict-dz" << "is the input file" << 0 << "";
        QTest::newRow("output is the StarDict index") << "stardict-idx" << "is the input file" << 0 << "";
        QTest::newRow("gzip bomb as dictd data") << "bomb" << "inflates to more than 1048576 bytes" << 0 << "";
        QTest::newRow("20,000 index lines, one big article") << "fan-in" << "" << 20000 << "";
        QTest::newRow("same, whole articles") << "fan-in-full" << "" << 20000 << "";
        QTest::newRow("article over the bound") << "long-article" << "" << 2 << "articles cut to their first 65536 bytes";
        QTest::newRow("20 MB tab-separated line") << "long-line" << "" << 2 << "articles cut to their first 65536 bytes";
    }
    void hostileInputs()
    {
        QFETCH(QString, shape);
        QFETCH(QString, refusal);
        QFETCH(int, rows);
        QFETCH(QString, skipped);
        ImportOptions options;
        options.limits.maxInflatedBytes = 1 << 20;
        options.limits.maxArticleBytes = 1 << 16;
        options.full = shape.endsWith(QLatin1String("-full"));
        QString input = path("h.index");
        QString output = m_out;
        Dictd d;
        d.add(QStringLiteral("cat"), QStringLiteral("cat\n кошка\n"));
        if (shape == QLatin1String("same-tsv")) {
            input = output = path("h.tsv");
            writeFile(input, "cat\tкошка\n");
        } else if (shape == QLatin1String("same-dict") || shape == QLatin1String("link-index")) {
            writeFile(path("h.dict"), d.dict);
            writeFile(input, d.index);
            output = path("h.dict");
            if (shape == QLatin1String("link-index")) {
                output = path("link.bdd");
                QVERIFY(QFile::link(input, output));
            }
        } else if (shape.startsWith(QLatin1String("stardict-"))) {
            StarDict s;
            s.add(QStringLiteral("cat"), "кошка");
            input = path("h.ifo");
            writeFile(input, s.ifo("wordcount=1\n"));
            writeFile(path("h.idx"), s.idx);
            if (shape == QLatin1String("stardict-dz")) {
                writeGzip(path("h.dict.dz"), s.dict);
                output = path("h.dict.dz");
            } else {
                writeFile(path("h.dict"), s.dict);
                output = path(shape == QLatin1String("stardict-idx") ? "h.idx" : "h.dict");
            }
        } else if (shape == QLatin1String("bomb")) {
            d.add(QStringLiteral("bomb"), QString(2 << 20, QLatin1Char('0')));
            writeGzip(path("h.dict.dz"), d.dict);
            writeFile(input, d.index);
        } else if (shape.startsWith(QLatin1String("fan-in"))) {
            const QByteArray article = "big\n 1) большой\n" + QByteArray(60000, 'x') + '\n';
            QByteArray index;
            for (int i = 0; i < rows; ++i)
                index += "w" + QByteArray::number(i) + "\tA\t" + b64(quint64(article.size())).toLatin1() + '\n';
            writeFile(path("h.dict"), article);
            writeFile(input, index);
        } else if (shape == QLatin1String("long-article")) {
            d.add(QStringLiteral("long"), QStringLiteral("long\n 1) длинный\n") + QString(1 << 17, QLatin1Char('x')));
            writeFile(path("h.dict"), d.dict);
            writeFile(input, d.index);
        } else if (shape == QLatin1String("long-line")) {
            input = path("h.tsv");
            writeFile(input, "long\tдлинный " + QByteArray(20 << 20, 'x') + "\ncat\tкошка\n");
        }
        const QByteArray inputBefore = readFile(input);
        const QByteArray outputBefore = readFile(output);
        if (!refusal.isEmpty()) {
            writeFile(path("other.bdd"), "the previous dictionary");
            try {
                importDictionary(input, output, options);
                QFAIL("the import did not refuse the input");
            } catch (const ImportError& e) {
                QVERIFY2(e.message().contains(refusal), qPrintable(e.message()));
            }
            QCOMPARE(readFile(input), inputBefore);
            QCOMPARE(readFile(output), outputBefore);
            QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.tmp"), QStringLiteral("*.stage")}, QDir::Files),
                     QStringList());
            return;
        }
        const ImportReport report = importDictionary(input, output, options);
        QCOMPARE(report.written, rows);
        QCOMPARE(report.skipped.count(skipped), skipped.isEmpty() ? 0u : 1u);
        DictionaryReader reader;
        reader.setDatabaseName(output);
        reader.exactLookup(shape.startsWith(QLatin1String("fan-in")) ? QStringLiteral("w7") : QStringLiteral("long"));
        QCOMPARE(reader.recordCount(), 1);
        QVERIFY2(reader.field(1).contains(shape.startsWith(QLatin1String("fan-in")) ? QStringLiteral("большой")
                                                                                      : QStringLiteral("длинный")),
                 qPrintable(reader.field(1).left(200)));
    }

    // Other programs read EngRus (Word, Trans): the headwords as written, in key order, the
    // rows of one key in source order. The headword is stored beside its key only where its
    // letter case differs.
    void fileAsOtherProgramsReadIt()
    {
        BddWriter writer(m_out);
        writer.write({{"set", "набор"}, {"Cat", "кошка"}, {"set", "ставить"}, {"cat", "кот"}, {"Ёж", "hedgehog"}});
        QCOMPARE(query(m_out, "SELECT Word, Trans FROM EngRus"),
                 (QStringList{"Cat|кошка", "cat|кот", "set|набор", "set|ставить", "Ёж|hedgehog"}));
        QCOMPARE(query(m_out, "SELECT Word FROM EngRusKeyed WHERE Word IS NOT NULL"), (QStringList{"Cat", "Ёж"}));
    }

    // A translation is stored up to its first 4096 characters (UTF-16 units, as the reader
    // counts none fewer), a character pair never cut in two.
    void storedTranslationsAreBounded_data()
    {
        QTest::addColumn<QString>("trans");
        QTest::addColumn<int>("stored"); // characters as the database counts them
        QTest::newRow("4096 characters, whole") << QString(4096, QChar(0x044F)) << 4096;
        QTest::newRow("4097 characters, cut") << QString(4097, QChar(0x044F)) << 4096;
        QTest::newRow("a pair across the cut is left out")
            << QString(4095, QLatin1Char('x')) + QStringLiteral("\U0001D49Cy") << 4095;
    }
    void storedTranslationsAreBounded()
    {
        QFETCH(QString, trans);
        QFETCH(int, stored);
        BddWriter writer(m_out);
        writer.write({{QStringLiteral("cat"), trans}});
        QCOMPARE(query(m_out, "SELECT length(Trans) FROM EngRus"), QStringList{QString::number(stored)});
    }

    // A further table is fed every row as the rows stream by, and built at the end.
    void furtherTableGetsEveryRow()
    {
        struct Lengths final : TableBuilder {
            void start(sqlite3* db) override
            {
                QCOMPARE(sqlite3_exec(db, "CREATE TABLE stage.L (Word TEXT); CREATE TABLE Lengths (Word TEXT, N INTEGER)",
                                      nullptr, nullptr, nullptr),
                         SQLITE_OK);
            }
            void add(sqlite3* db, const QString& word, const QString& trans) override
            {
                const QByteArray sql = "INSERT INTO stage.L VALUES ('" + (word + QLatin1Char(' ') + trans).toUtf8() + "')";
                QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            }
            void finish(sqlite3* db) override
            {
                QCOMPARE(sqlite3_exec(db, "INSERT INTO Lengths SELECT Word, length(Word) FROM stage.L ORDER BY Word",
                                      nullptr, nullptr, nullptr),
                         SQLITE_OK);
            }
        } lengths;
        writeFile(path("t.tsv"), "dog\tсобака\ncat\tкошка\n");
        ImportOptions options;
        options.tables = {&lengths};
        importDictionary(path("t.tsv"), m_out, options);
        QCOMPARE(query(m_out, "SELECT Word, N FROM Lengths"), (QStringList{"cat кошка|9", "dog собака|10"}));
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.stage")}, QDir::Files), QStringList());
    }

    // The tool refuses an output that is its input with a message and exit status 1.
    void toolRefusesItsInputAsOutput()
    {
        writeFile(path("same.tsv"), "cat\tкошка\n");
        QProcess tool;
        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL), {path("same.tsv"), path("same.tsv")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(tool.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("is the input file")), qPrintable(said));
        QCOMPARE(readFile(path("same.tsv")), QByteArray("cat\tкошка\n"));
    }

    // The hand-written reference dictionary of the test data: each entry's line, references
    // followed.
    void references_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("line");
        QTest::newRow("past tense, part of speech named") << "went" << "прош. вр. от go: идти; ходить; ехать";
        QTest::newRow("plural") << "mice" << "мн. ч. от mouse: мышь";
        QTest::newRow("participle, homonym named") << "seen" << "прич. прош. вр. от see: видеть; смотреть";
        QTest::newRow("synonym with optional letters") << "hello" << "привет!; окликать";
        QTest::newRow("chain of synonyms") << "hullo" << "привет!; окликать";
        QTest::newRow("verb named in the Russian note")
            << "has" << "3-е л. ед. ч. настоящего времени от have: иметь; обладать";
        QTest::newRow("part and sense named") << "spirt" << "рывок";
        QTest::newRow("reference beside own senses, idiom left out")
            << "running" << "прич. наст. вр. от run: бежать; бег; ход (машины)";
        QTest::newRow("chain of four") << "c2" << "делать";
        QTest::newRow("chain of five stops") << "c1" << "c2";
        QTest::newRow("loop ends") << "ping" << "pong";
        QTest::newRow("missing form target keeps its note") << "spake" << "прош. вр. от speak";
        QTest::newRow("missing synonym target") << "colour" << "color";
        QTest::newRow("stray letter after the target") << "annexe" << "пристройка";
        QTest::newRow("homonym entry chosen by its number") << "bowed" << "прош. вр. от bow: кланяться";
        QTest::newRow("part 1 of same-letter entries, one unnumbered")
            << "haw-haw" << "низкий заборчик (вокруг сада, поля); смех, хохот";
    }
    void references()
    {
        QFETCH(QString, word);
        QFETCH(QString, line);
        const QString source = QStringLiteral(ZARVIK_SOURCE_DIR "/tests/tools/data/references.index");
        const ImportReport report = importDictionary(source, m_out, {});
        QVERIFY(rowsOf(m_out).contains(word + QStringLiteral(" - ") + line));

        QCOMPARE(report.referencesResolved, 16);
        QCOMPARE(report.referencesUnresolved, 5);
        QStringList listed;
        for (const UntranslatedEntry& e : report.untranslated)
            listed << e.word + QStringLiteral(": ") + e.reason;
        QCOMPARE(listed.size(), 4);
        QVERIFY2(listed.filter(QStringLiteral("ping: ")).value(0).contains(QStringLiteral("loop")), qPrintable(listed.join('\n')));
        QVERIFY2(listed.filter(QStringLiteral("colour: ")).value(0).contains(QStringLiteral("\"color\", which is not in the dictionary")),
                 qPrintable(listed.join('\n')));
        QVERIFY2(listed.filter(QStringLiteral("c1: ")).value(0).contains(QStringLiteral("more than 4 references")),
                 qPrintable(listed.join('\n')));
    }

    // Dictionaries made to multiply the work of following references: every sense of every
    // entry refers to the next entry (200^4 paths), many entries of one headword refer to it,
    // many entries refer to one huge article. Without bounds these take hours; the lines must
    // still come out, translated where the target has a translation.
    void hostileReferences_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::newRow("every sense a reference") << "fan-out";
        QTest::newRow("one headword, many rows") << "same-name";
        QTest::newRow("many references to one huge article") << "fan-in";
    }
    void hostileReferences()
    {
        QFETCH(QString, shape);
        Dictd d;
        QString expected;
        if (shape == QLatin1String("fan-out")) {
            for (int e = 0; e < 6; ++e) {
                QString article = QStringLiteral("e%1\n").arg(e);
                for (int s = 1; s <= 200; ++s)
                    article += QStringLiteral("  %1) = e%2\n").arg(s).arg(e + 1);
                d.add(QStringLiteral("e%1").arg(e), article);
            }
            d.add(QStringLiteral("e6"), QStringLiteral("e6\n  1) слово\n"));
            expected = QStringLiteral("e5 - слово");
        } else if (shape == QLatin1String("same-name")) {
            for (int e = 0; e < 20000; ++e)
                d.add(QStringLiteral("a"), QStringLiteral("a\n  = a\n"));
            d.add(QStringLiteral("b"), QStringLiteral("b\n  = a\n"));
            expected = QStringLiteral("b - a");
        } else {
            QString big = QStringLiteral("big\n");
            for (int s = 1; s <= 20000; ++s)
                big += QStringLiteral("  %1) значение\n").arg(s);
            d.add(QStringLiteral("big"), big);
            for (int e = 0; e < 20000; ++e)
                d.add(QStringLiteral("r%1").arg(e), QStringLiteral("= big 1"));
            expected = QStringLiteral("r7 - значение");
        }
        writeFile(path("h.index"), d.index);
        writeFile(path("h.dict"), d.dict);
        importDictionary(path("h.index"), m_out, {});
        DictionaryReader reader;
        reader.setDatabaseName(m_out);
        const QString word = expected.section(QLatin1Char(' '), 0, 0);
        reader.exactLookup(word);
        QVERIFY(reader.recordCount() > 0);
        reader.moveFirst();
        QCOMPARE(displayLine(reader.field(0), reader.field(1)), expected);
    }

    // The tool's summary counts the references and the report file lists each untranslated
    // entry with its reason.
    void toolReportsReferences()
    {
        QProcess tool;
        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL),
                   {QStringLiteral("--report"), path("report.txt"),
                    QStringLiteral(ZARVIK_SOURCE_DIR "/tests/tools/data/references.index"), m_out});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QString summary = QString::fromLocal8Bit(tool.readAllStandardError());
        QVERIFY2(summary.contains(QStringLiteral("references: 16 resolved, 5 left as notes")), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("4 entries (12.12 %) without Cyrillic")), qPrintable(summary));
        const QStringList lines = QString::fromUtf8(readFile(path("report.txt"))).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.contains(QStringLiteral("colour\trefers to \"color\", which is not in the dictionary\tcolor")));
    }

    // File names and entries go into messages as they are: "%1" in them is no placeholder.
    void messagesKeepPercentSigns()
    {
        writeFile(path("dict%1.tsv"), "cat\tкошка\n");
        QProcess tool;
        tool.start(QStringLiteral(ZARVIK_IMPORT_TOOL), {path("dict%1.tsv"), path("out%2.bdd")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QString summary = QString::fromLocal8Bit(tool.readAllStandardError());
        QVERIFY2(summary.contains(path("dict%1.tsv") + QStringLiteral(": read 1 entries (tab-separated text)")),
                 qPrintable(summary));
        QVERIFY2(summary.contains(path("out%2.bdd") + QStringLiteral(": wrote 1 rows (short lines)")), qPrintable(summary));

        writeFile(path("d%2%3.index"), "c%1t\tA!\tB\n");
        writeFile(path("d%2%3.dict"), "x");
        expectRefusal(path("d%2%3.index"), path("d%2%3.index") + QStringLiteral(" line 1: bad base64 number in \"c%1t\tA!\tB\""));
        writeFile(path("e%1.index"), "big%2\tA\tBA\n");
        writeFile(path("e%1.dict"), "x");
        expectRefusal(path("e%1.index"), QStringLiteral(" line 1: entry \"big%2\" points past the end of ") + path("e%1.dict") +
                                             QStringLiteral(" (1 bytes)"));
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString path(const char* name) const { return path(QString::fromUtf8(name)); }

    // The import must throw with the message and leave an existing output byte for byte.
    void expectRefusal(const QString& input, const QString& message)
    {
        writeFile(m_out, "the previous dictionary");
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
        try {
            importDictionary(input, m_out, {});
            QFAIL("the import did not refuse the input");
        } catch (const ImportError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(readFile(m_out), QByteArray("the previous dictionary"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_out;
};

QTEST_APPLESS_MAIN(TestImporter)
#include "tst_importer.moc"
