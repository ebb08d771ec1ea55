#include "ReverseIndexBuilder.h"

#include "ImportError.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"

#include <QSet>
#include <sqlite3.h>

namespace zarvik {

namespace {

bool isCyrillicLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0400 && u <= 0x0481) || (u >= 0x048A && u <= 0x052F);
}

// Splits at top-level commas and semicolons; parentheses keep theirs.
QStringList splitItems(const QString& sense)
{
    QStringList items;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i < sense.size(); ++i) {
        const QChar c = sense[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        else if (depth == 0 && (c == QLatin1Char(',') || c == QLatin1Char(';'))) {
            items << sense.mid(start, i - start);
            start = i + 1;
        }
    }
    items << sense.mid(start);
    return items;
}

// The item without its notes in parentheses and stress marks; empty when a parenthesis is left
// open or closes what was never opened (a cut or broken item says nothing reliable).
QString withoutNotes(const QString& item)
{
    QString out;
    out.reserve(item.size());
    int depth = 0;
    for (QChar c : item) {
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0)
                return {};
            --depth;
        } else if (depth == 0 && c.unicode() != 0x0300 && c.unicode() != 0x0301) {
            out += c; // stress marks go: the entry is the word as it is usually printed
        }
    }
    return depth == 0 ? out.simplified() : QString();
}

// A Russian word or phrase: Cyrillic words joined by single blanks, each word letters with
// inner hyphens ("из-за", "северо-восток").
bool isRussianPhrase(const QString& text)
{
    if (text.isEmpty() || text.size() > ReverseIndexBuilder::kMaxPhraseLength)
        return false;
    int words = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isCyrillicLetter(c))
            continue;
        const bool inner = i > 0 && i + 1 < text.size() && isCyrillicLetter(text[i - 1]) && isCyrillicLetter(text[i + 1]);
        if (!inner)
            return false;
        if (c == QLatin1Char(' '))
            ++words;
        else if (c != QLatin1Char('-'))
            return false;
    }
    return words <= ReverseIndexBuilder::kMaxPhraseWords;
}

bool isPlainHeadword(const QString& headword)
{
    for (QChar c : headword)
        if (!c.isLetter() || c.isUpper())
            return false;
    return !headword.isEmpty();
}

[[noreturn]] void fail(sqlite3* db, const char* what)
{
    throw ImportError(QStringLiteral("reverse index: %1 failed: %2")
                          .arg(QString::fromUtf8(what), QString::fromUtf8(db ? sqlite3_errmsg(db) : "no database")));
}

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, sql);
}

struct Statement {
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            fail(db, sql);
    }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* stmt = nullptr;
};

void bindText(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void stepDone(sqlite3* db, sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE)
        fail(db, "insert");
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

QByteArray columnBytes(sqlite3_stmt* stmt, int column)
{
    return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)), sqlite3_column_bytes(stmt, column));
}

} // namespace

ReverseIndexBuilder::~ReverseIndexBuilder()
{
    sqlite3_finalize(m_insert);
}

QStringList ReverseIndexBuilder::wordsOf(const QString& sense)
{
    QStringList words;
    for (const QString& item : splitItems(sense)) {
        const QString text = withoutNotes(item);
        if (isRussianPhrase(text))
            words << text;
    }
    return words;
}

void ReverseIndexBuilder::start(sqlite3* db)
{
    m_db = db;
    m_written = 0;
    m_fed = false;
    exec(db, schema::kCreateReverseTable);
    exec(db, "CREATE TABLE stage.Reverse (Key TEXT NOT NULL, Word TEXT NOT NULL, Headword TEXT NOT NULL, "
             "Position INTEGER, Weight INTEGER, Item INTEGER, Plain INTEGER, Length INTEGER)");
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    const char* insert = "INSERT INTO stage.Reverse (Key, Word, Headword, Position, Weight, Item, Plain, Length) "
                         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
    if (sqlite3_prepare_v2(db, insert, -1, &m_insert, nullptr) != SQLITE_OK)
        fail(db, insert);
}

void ReverseIndexBuilder::addSenses(const QString& headword, const std::vector<ArticleSense>& senses, int weight)
{
    stage(headword, senses, weight);
    m_fed = true;
}

void ReverseIndexBuilder::add(sqlite3*, const QString& word, const QString& trans)
{
    if (m_fed) {
        m_fed = false;
        return;
    }
    // A ready translation: its parts are its senses, in one part of speech.
    std::vector<ArticleSense> senses;
    int n = 0;
    for (const QString& part : trans.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        if (n >= kMaxSensesPerEntry)
            break;
        senses.push_back(ArticleSense{0, 0, ++n, part, std::nullopt});
    }
    stage(word, senses, 0);
}

void ReverseIndexBuilder::stage(const QString& headword, const std::vector<ArticleSense>& senses, int weight)
{
    const QString name = headword.simplified();
    if (name.isEmpty() || !m_insert)
        return;
    const QByteArray nameUtf8 = name.toUtf8();
    const int plain = isPlainHeadword(name) ? 0 : 1;
    QSet<QString> seen; // an entry counts once per headword, where it stands first
    int items = 0;
    int position = 0; // of the sense within its homonym and part of speech
    for (size_t s = 0; s < senses.size() && s < size_t(kMaxSensesPerEntry); ++s) {
        const ArticleSense& sense = senses[s];
        if (s > 0 && (sense.homonym != senses[s - 1].homonym || sense.part != senses[s - 1].part))
            position = 0;
        else if (s > 0)
            ++position;
        if (position >= kMaxSensesPerPart)
            continue;
        const QStringList words = wordsOf(sense.text);
        for (int i = 0; i < int(words.size()) && items < kMaxItemsPerEntry; ++i, ++items) {
            // A phrase counts where it is the headword's own translation ("railway": "железная
            // дорога"); elsewhere phrases are mostly descriptions ("злая сплетница"), and
            // would take up as much of the file as all the words together.
            if ((position > 0 || i > 0) && words[i].contains(QLatin1Char(' ')))
                continue;
            const QString key = russianKey(words[i]);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            bindText(m_insert, 1, key.toUtf8());
            bindText(m_insert, 2, words[i].toUtf8());
            bindText(m_insert, 3, nameUtf8);
            sqlite3_bind_int(m_insert, 4, position);
            sqlite3_bind_int(m_insert, 5, weight);
            sqlite3_bind_int(m_insert, 6, i);
            sqlite3_bind_int(m_insert, 7, plain);
            sqlite3_bind_int(m_insert, 8, int(name.size()));
            stepDone(m_db, m_insert);
        }
    }
}

void ReverseIndexBuilder::finish(sqlite3* db)
{
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    // Best first within each key; the staging rowid is the source order.
    Statement sorted(db, "SELECT Key, Word, Headword, Weight FROM stage.Reverse "
                         "ORDER BY Key, Position, Weight DESC, Item, Plain, Length, rowid");
    Statement insert(db, schema::kInsertReverseRow);
    QByteArray key, word;
    QList<QByteArray> headwords;
    int weight = 0;
    auto flush = [&] {
        if (key.isEmpty())
            return;
        bindText(insert.stmt, 1, key);
        if (word == key)
            sqlite3_bind_null(insert.stmt, 2); // the key stands for the word
        else
            bindText(insert.stmt, 2, word);
        bindText(insert.stmt, 3, headwords.join("; "));
        sqlite3_bind_int(insert.stmt, 4, weight);
        stepDone(db, insert.stmt);
        ++m_written;
    };
    int rc;
    while ((rc = sqlite3_step(sorted.stmt)) == SQLITE_ROW) {
        const QByteArray rowKey = columnBytes(sorted.stmt, 0);
        if (rowKey != key) {
            flush();
            key = rowKey;
            // Written as where it ranks best.
            word = columnBytes(sorted.stmt, 1);
            weight = sqlite3_column_int(sorted.stmt, 3);
            headwords.clear();
        }
        const QByteArray headword = columnBytes(sorted.stmt, 2);
        // Homonyms kept as separate entries name the same headword twice.
        if (headwords.size() < kMaxHeadwords && !headwords.contains(headword))
            headwords << headword;
    }
    if (rc != SQLITE_DONE)
        fail(db, "reading the staged words");
    flush();
}

} // namespace zarvik
