#include "ReverseIndexBuilder.h"

#include "ImportError.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"

#include <algorithm>
#include <sqlite3.h>

namespace zarvik {

namespace {

bool isCyrillicLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0400 && u <= 0x0481) || (u >= 0x048A && u <= 0x052F);
}

// Calls `item` with each top-level item of the sense (split at commas and semicolons outside
// parentheses), without its notes in parentheses and stress marks, blanks made single and
// trimmed; an item whose parentheses do not pair up (cut or broken) comes as empty text. One
// pass over the sense: it runs for every sense of every article.
template <typename Item>
void forEachItem(QStringView sense, Item item)
{
    QString out;
    int depth = 0;
    bool broken = false;
    bool blank = false;
    auto end = [&] {
        if (depth != 0)
            broken = true;
        item(broken ? QString() : out);
        out.clear();
        depth = 0;
        broken = blank = false;
    };
    for (QChar c : sense) {
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0)
                broken = true;
            else
                --depth;
        } else if (depth > 0) {
            continue;
        } else if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
            end();
        } else if (c.isSpace()) {
            blank = !out.isEmpty();
        } else if (c.unicode() != 0x0300 && c.unicode() != 0x0301) { // stress marks go
            // An item longer than any phrase the index keeps is refused for its length alone,
            // so it is not copied further: a hostile sense may be one 60,000-letter word, met
            // again for every index line that points at its article.
            if (out.size() > ReverseIndexBuilder::kMaxPhraseLength)
                continue;
            if (blank)
                out += QLatin1Char(' ');
            blank = false;
            out += c;
        }
    }
    end();
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

// The text must outlive the step that uses it.
void bindText(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_STATIC);
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
    sqlite3_finalize(m_insertHead);
}

QStringList ReverseIndexBuilder::wordsOf(const QString& sense)
{
    QStringList words;
    forEachItem(sense, [&words](const QString& text) {
        if (isRussianPhrase(text))
            words << text;
    });
    return words;
}

const QStringList& ReverseIndexBuilder::wordsOfSense(size_t index, const QString& text)
{
    if (m_senseWords.size() <= index)
        m_senseWords.resize(index + 1);
    SenseWords& remembered = m_senseWords[index];
    // The same characters in memory (the copy held here keeps them from being reused) are
    // the same sense: index lines that share an article come in a row with its parse.
    if (text.constData() != remembered.text.constData() || text.size() != remembered.text.size()) {
        remembered.text = text;
        remembered.words = wordsOf(text);
    }
    return remembered.words;
}

void ReverseIndexBuilder::start(sqlite3* db)
{
    m_db = db;
    m_written = 0;
    m_entries = 0;
    m_fed = false;
    exec(db, schema::kCreateReverseTable);
    // One row per Russian word of an entry, with its rank in one number (see rankOf), and
    // one row per entry for its headword and weight: the sort at the end moves little.
    exec(db, "CREATE TABLE stage.Reverse (Key TEXT NOT NULL, Rank INTEGER NOT NULL, Head INTEGER NOT NULL, Word TEXT)");
    exec(db, "CREATE TABLE stage.ReverseHeads (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL, Weight INTEGER NOT NULL)");
    sqlite3_finalize(m_insert);
    sqlite3_finalize(m_insertHead);
    m_insert = m_insertHead = nullptr;
    const char* insert = "INSERT INTO stage.Reverse (Key, Rank, Head, Word) VALUES (?1, ?2, ?3, ?4)";
    const char* insertHead = "INSERT INTO stage.ReverseHeads (Id, Name, Weight) VALUES (?1, ?2, ?3)";
    if (sqlite3_prepare_v2(db, insert, -1, &m_insert, nullptr) != SQLITE_OK)
        fail(db, insert);
    if (sqlite3_prepare_v2(db, insertHead, -1, &m_insertHead, nullptr) != SQLITE_OK)
        fail(db, insertHead);
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
    const qint64 head = ++m_entries;
    bool headStaged = false;
    const int plain = isPlainHeadword(name) ? 0 : 1;
    std::vector<QString> seen; // an entry counts once per headword, where it stands first
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
        const QStringList& words = wordsOfSense(s, sense.text);
        for (int i = 0; i < int(words.size()) && items < kMaxItemsPerEntry; ++i, ++items) {
            // A phrase counts where it is the headword's own translation ("railway": "железная
            // дорога"); elsewhere phrases are mostly descriptions ("злая сплетница"), and
            // would take up as much of the file as all the words together.
            if ((position > 0 || i > 0) && words[i].contains(QLatin1Char(' ')))
                continue;
            const QString key = russianKey(words[i]);
            if (std::find(seen.begin(), seen.end(), key) != seen.end())
                continue;
            seen.push_back(key);
            if (!headStaged) {
                const QByteArray nameUtf8 = name.toUtf8();
                sqlite3_bind_int64(m_insertHead, 1, head);
                bindText(m_insertHead, 2, nameUtf8);
                sqlite3_bind_int(m_insertHead, 3, weight);
                stepDone(m_db, m_insertHead);
                headStaged = true;
            }
            // Ascending rank is the order of the headwords of a word: sense position, weight
            // (heaviest first), item, plainness, length.
            const qint64 rank = (qint64(position) << 48) | (qint64(0xFFFFFF - qBound(0, weight, 0xFFFFFF)) << 24) |
                                (qint64(qMin(i, 255)) << 16) | (qint64(plain) << 15) |
                                qint64(qMin(int(name.size()), 0x7FFF));
            const QByteArray keyUtf8 = key.toUtf8(), wordUtf8 = words[i].toUtf8();
            bindText(m_insert, 1, keyUtf8);
            sqlite3_bind_int64(m_insert, 2, rank);
            sqlite3_bind_int64(m_insert, 3, head);
            if (wordUtf8 != keyUtf8)
                bindText(m_insert, 4, wordUtf8); // NULL: the key stands for the word
            stepDone(m_db, m_insert);
        }
    }
}

void ReverseIndexBuilder::finish(sqlite3* db)
{
    sqlite3_finalize(m_insert);
    sqlite3_finalize(m_insertHead);
    m_insert = m_insertHead = nullptr;
    // Best first within each key; the staging rowid is the source order. The headword joined
    // in the engine: a statement of its own per row costs more than the join itself.
    Statement sorted(db, "SELECT r.Key, r.Word, h.Name, h.Weight FROM stage.Reverse AS r "
                         "JOIN stage.ReverseHeads AS h ON h.Id = r.Head ORDER BY r.Key, r.Rank, r.rowid");
    Statement insert(db, schema::kInsertReverseRow);
    QByteArray key, word;
    QList<QByteArray> headwords;
    int weight = 0;
    auto flush = [&] {
        if (key.isEmpty())
            return;
        bindText(insert.stmt, 1, key);
        if (word.isNull())
            sqlite3_bind_null(insert.stmt, 2); // the key stands for the word
        else
            bindText(insert.stmt, 2, word);
        const QByteArray trans = headwords.join("; ");
        bindText(insert.stmt, 3, trans);
        sqlite3_bind_int(insert.stmt, 4, weight);
        stepDone(db, insert.stmt);
        ++m_written;
    };
    int rc;
    while ((rc = sqlite3_step(sorted.stmt)) == SQLITE_ROW) {
        const QByteArray rowKey = columnBytes(sorted.stmt, 0);
        const bool first = rowKey != key;
        if (first) {
            flush();
            key = rowKey;
            // Written as where it ranks best.
            word = sqlite3_column_type(sorted.stmt, 1) == SQLITE_NULL ? QByteArray() : columnBytes(sorted.stmt, 1);
            headwords.clear();
        }
        if (headwords.size() >= kMaxHeadwords)
            continue;
        const QByteArray headword = columnBytes(sorted.stmt, 2);
        if (first)
            weight = sqlite3_column_int(sorted.stmt, 3);
        // Homonyms kept as separate entries name the same headword twice.
        if (!headwords.contains(headword))
            headwords << headword;
    }
    if (rc != SQLITE_DONE)
        fail(db, "reading the staged words");
    flush();
}

} // namespace zarvik
