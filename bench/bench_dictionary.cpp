// Dictionary figures: a keystroke's prefix listing and a captured word's exact lookup on the
// Mueller dictionary and on generated 1,000,000- and 5,000,000-entry ones, each beside the floor (a binary
// search over the same folded headwords held sorted in memory); and the Mueller import.
#include "DictionaryImporter.h"
#include "BddWriter.h"
#include "TsvSource.h"
#include "dictionary/DictionaryReader.h"
#include "dictionary/FoldedKey.h"
#include "dictionary/LikePattern.h"
#include "popup/DictionaryLookupSource.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <cstdio>
#include <string>
#include <string_view>

using namespace zarvik;

namespace {

const QString kMuellerIndex = QStringLiteral("/usr/share/dictd/mueller7.index");
const QString kBenchDir = QStringLiteral(ZARVIK_BENCH_DIR);

// One row of the floor: "key word translation" in one string with the lengths of the first
// two (the word empty when it is the key), so that five million rows fit in a few hundred
// megabytes and a comparison touches only the key.
struct FloorRow {
    std::string text;
    quint32 keyLength = 0, wordLength = 0;
    std::string_view key() const { return std::string_view(text.data(), keyLength); }
    QString word() const
    {
        return wordLength ? QString::fromUtf8(text.data() + keyLength, wordLength)
                          : QString::fromUtf8(text.data(), keyLength);
    }
    QString trans() const
    {
        const size_t at = keyLength + wordLength;
        return QString::fromUtf8(text.data() + at, qsizetype(text.size() - at));
    }
    bool operator<(const FloorRow& other) const { return key() < other.key(); }
};

// One dictionary under test: the file, a reader on it, the same rows sorted in memory, and
// the queries (existing headwords and prefixes of them, in random order).
struct Corpus {
    DictionaryReader reader;
    std::vector<FloorRow> sorted;
    QStringList words, prefixes;
    bool ok = false;

    void add(const QString& word, const QString& trans)
    {
        const QByteArray key = foldedKeyUtf8(word), w = word.toUtf8(), t = trans.toUtf8();
        std::string text(key.constData(), size_t(key.size()));
        const bool sameWord = w == key;
        if (!sameWord)
            text.append(w.constData(), size_t(w.size()));
        text.append(t.constData(), size_t(t.size()));
        sorted.push_back(FloorRow{std::move(text), quint32(key.size()), sameWord ? 0u : quint32(w.size())});
    }

    void load(const QString& path)
    {
        reader.setDatabaseName(path);
        std::stable_sort(sorted.begin(), sorted.end());
        QRandomGenerator gen(7);
        for (int i = 0; i < 1000; ++i) {
            const QString w = sorted[gen.bounded(quint32(sorted.size()))].word();
            words << w;
            prefixes << w.left(2 + gen.bounded(3));
        }
        ok = reader.wordCount() == qint64(sorted.size());
    }
};

Corpus& mueller()
{
    static Corpus corpus;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        const QString path = kBenchDir + QStringLiteral("/mueller.bdd");
        if (QFileInfo::exists(kMuellerIndex)) {
            importDictionary(kMuellerIndex, path, {});
            // Read through the view, as any program may: the reader bounds a statement's time.
            sqlite3* db = nullptr;
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                sqlite3_prepare_v2(db, "SELECT Word, Trans FROM EngRus", -1, &stmt, nullptr) == SQLITE_OK) {
                auto text = [stmt](int column) {
                    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                             sqlite3_column_bytes(stmt, column));
                };
                while (sqlite3_step(stmt) == SQLITE_ROW)
                    corpus.add(text(0), text(1));
            }
            sqlite3_finalize(stmt);
            sqlite3_close(db);
            corpus.load(path);
        }
    }
    return corpus;
}

// Made once into the build folder; the words are random strings of letters with the
// length spread of real headwords, so that prefixes of two to four letters match about as
// many rows as in a real dictionary of that size.
Corpus& million()
{
    static Corpus corpus;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        const QString path = kBenchDir + QStringLiteral("/million.bdd");
        std::vector<Entry> rows;
        rows.reserve(1000000);
        QRandomGenerator gen(2024);
        static const char letters[] = "eeeeeaaaaiiiioooonnnrrrsssttllcdumphgbfywkvxzjq";
        for (int i = 0; i < 1000000; ++i) {
            QString w;
            const int len = 3 + int(gen.bounded(10));
            for (int k = 0; k < len; ++k)
                w += QLatin1Char(letters[gen.bounded(int(sizeof letters - 1))]);
            rows.push_back({w, QStringLiteral("перевод %1").arg(i)});
        }
        if (!QFileInfo::exists(path)) {
            BddWriter writer(path);
            writer.write(rows);
        }
        for (const Entry& e : rows)
            corpus.add(e.word, e.trans);
        corpus.load(path);
    }
    return corpus;
}

// Five million rows of the same kind, from the tab-separated file that bench/tools/make-tsv.py
// writes into the build folder (the scripts make it); imported once with the importer.
Corpus& fiveMillion()
{
    static Corpus corpus;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        const QString tsv = kBenchDir + QStringLiteral("/five-million.tsv");
        const QString path = kBenchDir + QStringLiteral("/five-million.bdd");
        if (!QFileInfo::exists(tsv))
            return corpus;
        if (!QFileInfo::exists(path))
            importDictionary(tsv, path, {});
        corpus.sorted.reserve(5000000);
        TsvReader reader(tsv);
        SourceEntry e;
        while (reader.next(e))
            corpus.add(e.word, e.article);
        corpus.load(path);
    }
    return corpus;
}

// The reverse index of the Mueller file: Russian words and prefixes of them, and the same
// rows sorted in memory for the floor.
struct RussianCorpus {
    DictionaryReader reader;
    std::vector<std::pair<QByteArray, Entry>> sorted;
    QStringList words, prefixes;
    bool ok = false;
};

RussianCorpus& russian()
{
    static RussianCorpus corpus;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        if (!mueller().ok)
            return corpus;
        corpus.reader.setDatabaseName(kBenchDir + QStringLiteral("/mueller.bdd"));
        corpus.reader.prefixSearch(QStringLiteral("*"), 0, DictionaryReader::Table::RusEng);
        for (int i = 0; i < corpus.reader.recordCount(); ++i) {
            corpus.reader.setAbsolutePosition(i);
            const Entry e{corpus.reader.field(0), corpus.reader.field(1)};
            corpus.sorted.emplace_back(russianKeyUtf8(e.word), e);
        }
        QRandomGenerator gen(11);
        for (int i = 0; i < 1000 && !corpus.sorted.empty(); ++i) {
            const QString w = corpus.sorted[size_t(gen.bounded(int(corpus.sorted.size())))].second.word;
            corpus.words << w;
            corpus.prefixes << w.left(2 + gen.bounded(3));
        }
        corpus.ok = corpus.sorted.size() > 10000;
    }
    return corpus;
}

RussianCorpus* readyRussian(benchmark::State& state)
{
    RussianCorpus& c = russian();
    if (!c.ok) {
        state.SkipWithError("reverse index not available");
        return nullptr;
    }
    return &c;
}

// A Russian word typed into the panel (no headword begins with it, so the listing falls
// to the reverse index) and a Russian word looked up exactly.
void russianListPrefix(benchmark::State& state)
{
    RussianCorpus* c = readyRussian(state);
    if (!c)
        return;
    qsizetype i = 0;
    for (auto _ : state) {
        QStringList lines = c->reader.listPrefix(c->prefixes[i++ % c->prefixes.size()]);
        benchmark::DoNotOptimize(lines);
    }
}

void russianExactLookup(benchmark::State& state)
{
    RussianCorpus* c = readyRussian(state);
    if (!c)
        return;
    qsizetype i = 0;
    for (auto _ : state) {
        DictionaryLookupSource(c->reader).reverseLookup(c->words[i++ % c->words.size()]);
        c->reader.moveFirst();
        QString trans = c->reader.field(1);
        benchmark::DoNotOptimize(trans);
    }
}

void floorRussianListPrefix(benchmark::State& state)
{
    RussianCorpus* c = readyRussian(state);
    if (!c)
        return;
    qsizetype i = 0;
    for (auto _ : state) {
        const QString& text = c->prefixes[i++ % c->prefixes.size()];
        const QByteArray key = russianKeyUtf8(text);
        auto it = std::lower_bound(c->sorted.begin(), c->sorted.end(), key,
                                   [](const auto& row, const QByteArray& k) { return row.first < k; });
        QStringList lines;
        for (; it != c->sorted.end() && lines.size() < 10 && it->first.startsWith(key); ++it)
            lines << displayLine(it->second.word, it->second.trans);
        if (lines.isEmpty())
            lines << noMatchLine(text);
        benchmark::DoNotOptimize(lines);
    }
}

void floorRussianExactLookup(benchmark::State& state)
{
    RussianCorpus* c = readyRussian(state);
    if (!c)
        return;
    qsizetype i = 0;
    for (auto _ : state) {
        const QByteArray key = russianKeyUtf8(c->words[i++ % c->words.size()]);
        auto it = std::lower_bound(c->sorted.begin(), c->sorted.end(), key,
                                   [](const auto& row, const QByteArray& k) { return row.first < k; });
        QString trans = it != c->sorted.end() && it->first == key ? it->second.trans : QString();
        benchmark::DoNotOptimize(trans);
    }
}

// The corpus when it could be made; otherwise the benchmark is marked skipped.
Corpus* ready(benchmark::State& state, Corpus& (*corpus)())
{
    Corpus& c = corpus();
    if (!c.ok) {
        state.SkipWithError("dictionary not available");
        return nullptr;
    }
    return &c;
}

void listPrefix(benchmark::State& state, Corpus& (*corpus)())
{
    Corpus* corpusReady = ready(state, corpus);
    if (!corpusReady)
        return;
    Corpus& c = *corpusReady;
    qsizetype i = 0;
    for (auto _ : state) {
        QStringList lines = c.reader.listPrefix(c.prefixes[i++ % c.prefixes.size()]);
        benchmark::DoNotOptimize(lines);
    }
}

void exactLookup(benchmark::State& state, Corpus& (*corpus)())
{
    Corpus* corpusReady = ready(state, corpus);
    if (!corpusReady)
        return;
    Corpus& c = *corpusReady;
    qsizetype i = 0;
    // Through the source the captured-word lookup reads, with its moves.
    DictionaryLookupSource source(c.reader);
    for (auto _ : state) {
        source.exactLookup(c.words[i++ % c.words.size()]);
        source.moveLast();
        source.moveFirst();
        QString trans = source.field(1);
        benchmark::DoNotOptimize(trans);
    }
}

// The floor: the same work on sorted memory, with no database in between.
void floorListPrefix(benchmark::State& state, Corpus& (*corpus)())
{
    Corpus* corpusReady = ready(state, corpus);
    if (!corpusReady)
        return;
    Corpus& c = *corpusReady;
    qsizetype i = 0;
    for (auto _ : state) {
        const QString& text = c.prefixes[i++ % c.prefixes.size()];
        const QByteArray key = foldedKeyUtf8(text);
        const std::string_view k(key.constData(), size_t(key.size()));
        auto it = std::lower_bound(c.sorted.begin(), c.sorted.end(), k,
                                   [](const FloorRow& row, std::string_view k) { return row.key() < k; });
        QStringList lines;
        for (; it != c.sorted.end() && lines.size() < 10 && it->key().starts_with(k); ++it)
            lines << displayLine(it->word(), it->trans());
        if (lines.isEmpty())
            lines << noMatchLine(text);
        benchmark::DoNotOptimize(lines);
    }
}

void floorExactLookup(benchmark::State& state, Corpus& (*corpus)())
{
    Corpus* corpusReady = ready(state, corpus);
    if (!corpusReady)
        return;
    Corpus& c = *corpusReady;
    qsizetype i = 0;
    for (auto _ : state) {
        const QByteArray key = foldedKeyUtf8(c.words[i++ % c.words.size()]);
        const std::string_view k(key.constData(), size_t(key.size()));
        auto it = std::lower_bound(c.sorted.begin(), c.sorted.end(), k,
                                   [](const FloorRow& row, std::string_view k) { return row.key() < k; });
        QString trans = it != c.sorted.end() && it->key() == k ? it->trans() : QString();
        benchmark::DoNotOptimize(trans);
    }
}

void importMueller(benchmark::State& state)
{
    if (!QFileInfo::exists(kMuellerIndex)) {
        state.SkipWithError("mueller7-dict not installed");
        return;
    }
    for (auto _ : state)
        importDictionary(kMuellerIndex, kBenchDir + QStringLiteral("/mueller-import.bdd"), {});
}

// A long pasted text of pattern characters (32,000 "[", or "[a" pairs), listed on Mueller:
// the panel's keystroke cost on hostile input. The input line takes far less; this is the
// reader's own bound.
void hostileListing(benchmark::State& state, const char* unit)
{
    Corpus* corpusReady = ready(state, mueller);
    if (!corpusReady)
        return;
    QString text;
    while (text.size() < 32000)
        text += QString::fromLatin1(unit);
    for (auto _ : state) {
        QStringList lines = corpusReady->reader.listPrefix(text);
        benchmark::DoNotOptimize(lines);
    }
}

// The matcher alone on a text that makes the classic wildcard walk backtrack the most.
void hostileMatch(benchmark::State& state)
{
    const LikePattern pattern(QStringLiteral("*") + QString(int(state.range(0)), QLatin1Char('a')) +
                              QStringLiteral("b*"));
    const QString text(int(state.range(0)) * 4, QLatin1Char('a'));
    for (auto _ : state)
        benchmark::DoNotOptimize(pattern.matches(text));
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK_CAPTURE(hostileListing, brackets, "[")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(hostileListing, bracket_letter, "[a")->Unit(benchmark::kMicrosecond);
BENCHMARK(hostileMatch)->RangeMultiplier(4)->Range(16, 1024)->Complexity()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(listPrefix, mueller, mueller);
BENCHMARK_CAPTURE(floorListPrefix, mueller, mueller);
BENCHMARK_CAPTURE(exactLookup, mueller, mueller);
BENCHMARK_CAPTURE(floorExactLookup, mueller, mueller);
BENCHMARK(russianListPrefix);
BENCHMARK(floorRussianListPrefix);
BENCHMARK(russianExactLookup);
BENCHMARK(floorRussianExactLookup);
BENCHMARK_CAPTURE(listPrefix, million, million);
BENCHMARK_CAPTURE(floorListPrefix, million, million);
BENCHMARK_CAPTURE(exactLookup, million, million);
BENCHMARK_CAPTURE(floorExactLookup, million, million);
BENCHMARK_CAPTURE(listPrefix, five_million, fiveMillion);
BENCHMARK_CAPTURE(floorListPrefix, five_million, fiveMillion);
BENCHMARK_CAPTURE(exactLookup, five_million, fiveMillion);
BENCHMARK_CAPTURE(floorExactLookup, five_million, fiveMillion);
BENCHMARK(importMueller)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
