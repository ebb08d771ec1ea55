#pragma once

#include "ArticleCleaner.h"
#include "ArticleStructure.h"
#include "SourceEntry.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zarvik {

// An entry whose line holds no Cyrillic letter, and why.
struct UntranslatedEntry {
    QString word;
    QString line;
    QString reason;
};

// What following the references of a whole dictionary came to.
struct ReferenceOutcome {
    qint64 resolved = 0;   // references whose target gave a Russian translation
    qint64 unresolved = 0; // references left as notes (target missing, untranslated, looping)
    std::vector<UntranslatedEntry> untranslated;
};

// Makes the short lines of a whole dictionary, putting in place of each reference the
// translation it refers to: "went" (_p. от go 1) becomes "прош. вр. от go: идти, ходить; …",
// "hello" (= hallo(a)) the line of "hallo".
//
// The target is found by its headword (letter case, hyphens and blanks aside; "hallo(a)" is
// hallo or halloa), then narrowed to the homonym, part of speech and sense the reference
// names, as far as the target has them. A chain is followed at most kMaxSteps references
// deep and never through an entry already on it, so loops end. A reference that leads nowhere
// stays a note ("прош. вр. от go") and is counted as unresolved.
class ReferenceResolver final {
public:
    static constexpr int kMaxSteps = 4;
    // Bounds that keep a hostile dictionary (every sense a reference to an entry whose senses
    // are all references...) from multiplying the work: references followed for one entry,
    // rows of one headword, senses of a target looked through. Real entries stay far below.
    static constexpr int kMaxFollowsPerEntry = 64;
    static constexpr size_t kMaxRowsPerHeadword = 32;
    static constexpr size_t kMaxSensesLookedAt = 1024;

    // Parsed articles kept for references to come back to, in bytes of their text: the
    // lines are made in source order, and most references point near or to a few common words.
    static constexpr qint64 kCacheBytes = 4 << 20;

    // Reads the headwords of the source (its articles are read as lines need them).
    ReferenceResolver(const ArticleCleaner& cleaner, ArticleSource& source);
    ~ReferenceResolver();
    ReferenceResolver(const ReferenceResolver&) = delete;
    ReferenceResolver& operator=(const ReferenceResolver&) = delete;

    // The lines of a dictionary are made in runs of batches, and taking the articles apart
    // is most of the work: the articles of entries [from, to) are read now and parsed on a
    // second thread, while the lines of the batch before are made.
    void prepareAhead(qsizetype from, qsizetype to);
    // Waits for that batch and keeps its articles for the lines to come.
    void takePrepared();
    // Both at once.
    void prepare(qsizetype from, qsizetype to)
    {
        prepareAhead(from, to);
        takePrepared();
    }
    // The line of entry i; `outcome` gets the counts and, when the line has no Russian text,
    // the entry with its reason.
    QString line(qsizetype i, ReferenceOutcome& outcome);
    // The article of entry i taken apart (from the cache when it was prepared).
    std::shared_ptr<const ParsedArticle> article(qsizetype i) const { return parsed(int(i)); }

    // What is made of each article besides its parse (the importer keeps the whole article),
    // given the article's lines joined (ArticleCleaner::joinLines): run on the parser thread
    // for the articles of a batch, so it must only read what it is given.
    using Keeper = std::function<KeptArticle(const QString& word, const QString& joined)>;
    void setKeeper(Keeper keeper) { m_keeper = std::move(keeper); }
    // What the keeper made of entry i's article: from its batch, or made now for an article
    // that was parsed before its batch (a reference's target).
    KeptArticle kept(qsizetype i);

    // The lines of entries held in memory, in their order (tests, benchmarks).
    static std::vector<QString> lines(const ArticleCleaner& cleaner, const std::vector<SourceEntry>& entries,
                                      ReferenceOutcome& outcome);

private:
    using Parsed = std::shared_ptr<const ParsedArticle>;
    struct Place {
        int row;
        const ArticleSense* sense;
        Parsed article; // keeps `sense` alive while the cache moves on
    };
    struct Followed {
        std::vector<LinePiece> pieces; // the target's senses, first first; empty when not resolved
        QString headword;   // the target as the dictionary writes it
        QString failure;    // why not, when not
    };

    std::vector<LinePiece> render(const std::vector<Place>& senses, std::vector<int>& chain, int depth,
                       ReferenceOutcome* outcome, QString* failure) const;
    Followed follow(const ArticleReference& reference, std::vector<int>& chain, int depth) const;
    std::vector<int> rowsOf(const QString& target) const;
    std::vector<Place> select(const std::vector<int>& rows, const ArticleReference& reference) const;

    // The parsed article of a row, from the cache or read and parsed now.
    Parsed parsed(int row) const;
    void remember(const ArticleSource::ArticleId& id, Parsed article) const;

    const ArticleCleaner& m_cleaner;
    ArticleSource& m_source;
    struct IdHash {
        size_t operator()(const ArticleSource::ArticleId& id) const { return qHashMulti(0, id.first, id.second); }
    };
    mutable std::unordered_map<ArticleSource::ArticleId, Parsed, IdHash> m_cache;
    mutable qint64 m_cacheBytes = 0;
    // The batch being parsed ahead. Its articles are claimed one at a time, by the parser
    // thread and, once its own lines are made, by this thread too: whichever side is quicker
    // (the parse or the rest of the import) does not wait for the other.
    struct Batch {
        std::vector<qsizetype> rows;
        std::vector<QString> words;
        std::vector<QString> articles;
        std::vector<ParsedArticle> parsed;
        std::vector<KeptArticle> kept;
        std::atomic<size_t> claimed{0};
    };
    Keeper m_keeper;
    std::unordered_map<ArticleSource::ArticleId, KeptArticle, IdHash> m_kept; // of the batch taken last
    ArticleSource::ArticleId m_lastKeptId{~quint64(0), ~quint64(0)};
    KeptArticle m_lastKept;
    // Parses the batch's articles not yet claimed.
    void parseClaimed(Batch& batch) const;
    std::unique_ptr<Batch> m_ahead;
    std::thread m_parser;
    mutable int m_followsLeft = 0; // for the entry whose line is being made
    // The headword table, kept compact: the hash of each name a row is known by (its
    // case-folded headword, and each spelling a headword lists), with the row, sorted. A hash
    // only narrows the choice; the rows it names are checked against the headword itself.
    struct NameRow {
        size_t hash;
        int row;
        bool operator<(const NameRow& other) const
        {
            return hash != other.hash ? hash < other.hash : row < other.row;
        }
    };
    // The names of a row: its headword case-folded, and for "peritoneum, peritonaeum" each
    // spelling.
    QStringList namesOf(int row) const;
    template <typename Matches>
    std::vector<int> lookUp(const std::vector<NameRow>& table, size_t hash, Matches matches) const;
    std::vector<NameRow> m_byKey;               // case-folded names
    mutable std::vector<NameRow> m_byLetters;   // only their letters and digits
};

} // namespace zarvik
