#pragma once

#include "ArticleCleaner.h"
#include "BddWriter.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct sqlite3;

namespace zarvik {

class RunSorter;

// Builds the reverse index (table RusEng, see DictionarySchema.h) out of the English-Russian
// entries as the writer streams them: every Russian word or short phrase of an entry's main
// senses points back to the English headword.
//
// An entry of a dictionary with articles is given with its senses as the article cleaner sees
// them (each sense's Russian items joined by "; ", with its place in the article; no labels,
// notes, examples or references) through addSenses(), just before the writer stores it. An
// entry given by the writer alone (a tab-separated file) is read from its translation line,
// each "; "-separated part a sense.
//
// The items of the first kMaxSensesPerPart senses of each part of speech that are a Russian
// word (comma-separated alternatives count one by one; notes in parentheses and stress marks
// are left out: "кошка (плеть)" is "кошка") become entries, and so does a phrase of at most
// kMaxPhraseWords words that opens the first sense of a part of speech. The headwords of an entry are ordered by where it stands in their articles: those
// whose first sense (of a part of speech) gives it come first, then by the position of the
// sense; among equals the headword of more weight (the length of its article: "bird" before
// "flyer" for "птица"), then the earlier item within the sense, a plain lower-case headword
// before a capitalised or compound one, the shorter, and the order of the source. The best
// kMaxHeadwords are kept.
//
// Memory does not grow with the dictionary: each entry's words are staged at once, sorted in
// bounded memory and in runs on disk beyond it (RunSorter), and the index is made from them
// in order at the end.
class ReverseIndexBuilder final : public TableBuilder {
public:
    // Enough for the strip to offer the usual English words for a Russian one without
    // turning into a list of rarities.
    static constexpr int kMaxHeadwords = 5;
    // Words and two-word phrases ("железная дорога"): what a double-click or a typed word can
    // reach. Longer phrases are descriptions rather than words.
    static constexpr int kMaxPhraseWords = 2;
    static constexpr int kMaxPhraseLength = 40;
    // The main senses: later ones are rare uses that would crowd out the usual words.
    static constexpr int kMaxSensesPerPart = 3;
    // What one entry may contribute, so that a hostile article costs no more than a long real
    // one.
    static constexpr int kMaxSensesPerEntry = 256;
    static constexpr int kMaxItemsPerEntry = 256;

    ReverseIndexBuilder();
    ~ReverseIndexBuilder() override;

    // The senses of the entry that the writer stores next; `weight` stands for how common
    // the headword is (the length of its whole article).
    void addSenses(const QString& headword, const std::vector<ArticleSense>& senses, int weight);

    void start(sqlite3* db) override;
    void add(sqlite3* db, const QString& word, const QString& trans) override;
    void finish(sqlite3* db) override;

    // Russian words and phrases written by finish().
    qint64 size() const { return m_written; }

    // The Russian words and short phrases of one sense text, in their order, as written.
    static QStringList wordsOf(const QString& sense);

private:
    void stage(const QString& headword, const std::vector<ArticleSense>& senses, int weight);
    // wordsOf() of the entry's sense at `index`, taken from the previous entry when that
    // entry's sense there was the very same text (a hostile index may point thousands of
    // lines at one long article).
    const QStringList& wordsOfSense(size_t index, const QString& text);

    std::unique_ptr<RunSorter> m_staged; // every word of every entry, until it is sorted
    QByteArray m_sortKey, m_payload;      // one staged word's, reused
    bool m_fed = false; // the next entry's senses came through addSenses()
    qint64 m_written = 0;
    struct SenseWords {
        QString text;
        QStringList words;
    };
    std::vector<SenseWords> m_senseWords;
};

} // namespace zarvik
