#pragma once

#include "ArticleCleaner.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace zarvik {

// One row of the reverse index: a Russian word or short phrase, the English headwords whose
// translations give it (joined by "; ", best first), and its search key (russianKey).
struct ReverseRow {
    QString word;
    QString trans;
    QByteArray key;
    // The weight of its first headword: how common a word it is, for choosing between the
    // forms a copied word may come from.
    int weight = 0;
};

// Builds the Russian-to-English index out of the English-to-Russian articles. It is fed entry
// by entry with a headword and its senses as the article cleaner gives them (each sense's
// Russian items joined by "; ", with its place in the article; no labels, notes, examples or
// references), and needs nothing else, so any writer can feed it as it goes.
//
// Every item of the first kMaxSensesPerPart senses of each part of speech that is a Russian
// word or a phrase of at most kMaxPhraseWords words (comma-separated alternatives count one
// by one; Russian notes in parentheses are left out: "кошка (плеть)" is "кошка") becomes an
// entry pointing back to the headword. The headwords of an entry are ordered by where it
// stands in their articles: those whose first sense (of a part of speech) gives it come first,
// then by the position of the sense; among equals the headword of more weight (the commoner
// word: "bird" before "flyer" for "птица"), then the earlier item within the sense,
// a plain lower-case headword before a capitalised or compound one, the shorter, and the order
// of the source. Only the best kMaxHeadwords are kept.
class ReverseIndexBuilder final {
public:
    // Enough for the strip to offer the usual English words for a Russian one without
    // turning into a list of rarities; the file stays small.
    static constexpr int kMaxHeadwords = 5;
    // Words and two-word phrases ("железная дорога"): what a double-click or a typed word
    // can reach. Longer phrases are descriptions rather than words.
    static constexpr int kMaxPhraseWords = 2;
    static constexpr int kMaxPhraseLength = 40;
    // The main senses: later ones are rare uses that would crowd out the usual words.
    static constexpr int kMaxSensesPerPart = 4;
    // Bounds on what one entry may contribute, so that a hostile article costs no more than
    // a long real one.
    static constexpr int kMaxSensesPerEntry = 256;
    static constexpr int kMaxItemsPerEntry = 256;

    // `weight` stands for how common the headword is; the importer gives the length of its
    // whole article (common words have long articles, rich in senses and idioms).
    void add(const QString& headword, const std::vector<ArticleSense>& senses, int weight = 0);

    // The rows in ascending key order (UTF-8 byte order, as SQLite compares).
    std::vector<ReverseRow> rows() const;
    qsizetype size() const { return m_entries.size(); }

    // The Russian words and short phrases of one sense text, in their order, as written.
    static QStringList wordsOf(const QString& sense);

private:
    struct Candidate {
        int sense;  // position within its part of speech
        int weight; // minus the headword's weight
        int item;
        int plain; // 0 for a lower-case single word, 1 otherwise
        int length;
        qint64 order;
        int headword;
        bool operator<(const Candidate& other) const;
    };
    struct Slot {
        QString word; // as written where it ranks best
        std::vector<Candidate> best;
    };

    std::vector<QString> m_headwords;
    QHash<QString, Slot> m_entries;
    qint64 m_added = 0;
};

} // namespace zarvik
