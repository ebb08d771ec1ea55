#include "ReverseIndexBuilder.h"

#include "ImportError.h"
#include "RunSorter.h"
#include "dictionary/Cyrillic.h"
#include "dictionary/DictionarySchema.h"
#include "dictionary/FoldedKey.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace zarvik {

namespace {

// Calls `item` with each top-level item of the sense (split at commas and semicolons outside
// parentheses), without its notes in parentheses and stress marks, blanks made single and
// trimmed; an item that cannot be a Russian phrase (a letter of another script, a digit, a
// sign other than the hyphen) or whose parentheses do not pair up (cut or broken) comes as
// empty text, and is not copied once that is known. One pass over the sense: it runs for every
// sense of every article, and for every line of a tab-separated dictionary.
template <typename Item>
void forEachItem(QStringView sense, Item item)
{
    QString out;
    out.reserve(ReverseIndexBuilder::kMaxPhraseLength + 2);
    int depth = 0;
    bool broken = false;
    bool blank = false;
    auto end = [&] {
        if (depth != 0)
            broken = true;
        item(broken ? QString() : out);
        out.truncate(0); // keeps its room for the next item
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
            if (broken || out.size() > ReverseIndexBuilder::kMaxPhraseLength)
                continue;
            if (!isCyrillicLetter(c) && c != QLatin1Char('-')) {
                broken = true;
                continue;
            }
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

// The sort key of a staged word: its key, then its rank (big-endian, so that bytes compare
// as numbers do). A key never holds a zero byte (Russian phrases are letters, blanks and
// hyphens), so a key that begins another still sorts first.
void appendSortKey(QByteArray& out, const QByteArray& key, qint64 rank)
{
    out = key;
    out.append('\0');
    for (int shift = 56; shift >= 0; shift -= 8)
        out.append(char((quint64(rank) >> shift) & 0xFF));
}
constexpr qsizetype kRankBytes = 9; // the zero and the rank

// The memory the staged words may take before they are sorted in runs on disk (small, for the
// reason the writer's rows are).
constexpr qsizetype kStagedMemory = 2 * 1024 * 1024;

} // namespace

ReverseIndexBuilder::ReverseIndexBuilder() = default;
ReverseIndexBuilder::~ReverseIndexBuilder() = default;

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
    m_written = 0;
    m_fed = false;
    exec(db, schema::kCreateReverseTable);
    // Sorted beside the file being built, for the reason the writer sorts its rows there.
    const char* file = sqlite3_db_filename(db, "main");
    const QString folder = file && *file ? QFileInfo(QFile::decodeName(file)).absolutePath() : QDir::tempPath();
    m_staged = std::make_unique<RunSorter>(folder, kStagedMemory);
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
    if (name.isEmpty() || !m_staged)
        return;
    // What each of its words carries: how it is written (added per word), the entry's weight
    // and headword.
    QByteArray entry;
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
            if (entry.isEmpty()) {
                const qint32 w = weight;
                entry.append(reinterpret_cast<const char*>(&w), sizeof w);
                entry.append(name.toUtf8());
            }
            // Ascending rank is the order of the headwords of a word: sense position, weight
            // (heaviest first), item, plainness, length; then the order of the source, which
            // the sort keeps among equals.
            const qint64 rank = (qint64(position) << 48) | (qint64(0xFFFFFF - qBound(0, weight, 0xFFFFFF)) << 24) |
                                (qint64(qMin(i, 255)) << 16) | (qint64(plain) << 15) |
                                qint64(qMin(int(name.size()), 0x7FFF));
            const QByteArray keyUtf8 = key.toUtf8(), wordUtf8 = words[i].toUtf8();
            appendSortKey(m_sortKey, keyUtf8, rank);
            m_payload.clear();
            // Missing where the key stands for the word (NULL in the file).
            record::appendField(m_payload, wordUtf8 == keyUtf8 ? std::nullopt : std::optional<QByteArrayView>(wordUtf8));
            m_payload.append(entry);
            m_staged->add(m_sortKey, m_payload);
        }
    }
}

void ReverseIndexBuilder::finish(sqlite3* db)
{
    if (!m_staged)
        return;
    Statement insert(db, schema::kInsertReverseRow);
    QByteArray key, word;
    QList<QByteArray> headwords;
    qint32 weight = 0;
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
    // Best first within each key.
    QByteArrayView sortKey, payload;
    while (m_staged->next(sortKey, payload)) {
        const QByteArrayView rowKey = sortKey.first(sortKey.size() - kRankBytes);
        const bool first = rowKey != key;
        const std::optional<QByteArrayView> written = record::takeField(payload);
        if (first) {
            flush();
            key = rowKey.toByteArray();
            // Written as where it ranks best.
            word = written ? written->toByteArray() : QByteArray();
            headwords.clear();
        }
        if (headwords.size() >= kMaxHeadwords)
            continue;
        qint32 rowWeight;
        std::memcpy(&rowWeight, payload.data(), sizeof rowWeight);
        const QByteArrayView headword = payload.sliced(sizeof rowWeight);
        if (first)
            weight = rowWeight;
        // Homonyms kept as separate entries name the same headword twice.
        if (!headwords.contains(headword))
            headwords << headword.toByteArray();
    }
    flush();
    m_staged.reset();
}

} // namespace zarvik
