#include "ReferenceResolver.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

namespace zarvik {

namespace {

QString lettersKey(const QString& word)
{
    QString key;
    key.reserve(word.size());
    for (QChar c : word)
        if (c.isLetterOrNumber())
            key += c;
    return key.toCaseFolded();
}

// "hallo(a)" stands for hallo and halloa, "euphonic (-al)" for euphonic and euphonical.
QStringList spellings(const QString& target)
{
    const qsizetype open = target.indexOf(QLatin1Char('('));
    if (open < 0)
        return {target};
    qsizetype close = target.indexOf(QLatin1Char(')'), open);
    if (close < 0)
        close = target.size();
    const QString base = target.left(open).trimmed();
    QString optional = target.mid(open + 1, close - open - 1).trimmed();
    if (optional.startsWith(QLatin1Char('-')))
        optional.remove(0, 1);
    const QString rest = target.mid(close + 1);
    return {base + rest, base + optional + rest};
}

bool anyCyrillic(const std::vector<LinePiece>& pieces)
{
    return std::any_of(pieces.begin(), pieces.end(), [](const LinePiece& p) { return hasCyrillicLetter(p.text); });
}

} // namespace

QStringList ReferenceResolver::namesOf(int row) const
{
    const QString& word = m_source.word(row);
    QStringList names{word.trimmed().toCaseFolded()};
    if (word.contains(QLatin1String(", ")))
        for (const QString& name : word.split(QLatin1String(", "), Qt::SkipEmptyParts))
            names << name.trimmed().toCaseFolded();
    return names;
}

template <typename Matches>
std::vector<int> ReferenceResolver::lookUp(const std::vector<NameRow>& table, size_t hash, Matches matches) const
{
    std::vector<int> rows;
    auto it = std::lower_bound(table.begin(), table.end(), NameRow{hash, -1});
    for (; it != table.end() && it->hash == hash && rows.size() < kMaxRowsPerHeadword; ++it)
        if ((rows.empty() || rows.back() != it->row) && matches(it->row)) // a row once, however many names
            rows.push_back(it->row);
    return rows;
}

std::vector<int> ReferenceResolver::rowsOf(const QString& target) const
{
    for (const QString& spelling : spellings(target)) {
        const QString key = spelling.trimmed().toCaseFolded();
        std::vector<int> rows =
            lookUp(m_byKey, qHash(key), [this, &key](int row) { return namesOf(row).contains(key); });
        if (!rows.empty())
            return rows;
    }
    if (m_byLetters.empty()) {
        // Built at the first miss: most references name their target exactly.
        m_byLetters.reserve(m_byKey.size());
        for (qsizetype row = 0; row < m_source.size(); ++row)
            for (const QString& name : namesOf(int(row))) {
                const QString letters = lettersKey(name);
                if (!letters.isEmpty())
                    m_byLetters.push_back(NameRow{qHash(letters), int(row)});
            }
        // Sorted by row within a hash: the entries that share their letters ("ha-ha", "haha")
        // come in the dictionary's order, so that a reference picks the same one on every
        // import.
        std::sort(m_byLetters.begin(), m_byLetters.end());
    }
    for (const QString& spelling : spellings(target)) {
        const QString key = lettersKey(spelling);
        if (key.isEmpty())
            continue;
        std::vector<int> rows = lookUp(m_byLetters, qHash(key), [this, &key](int row) {
            const QStringList names = namesOf(row);
            return std::any_of(names.begin(), names.end(), [&key](const QString& n) { return lettersKey(n) == key; });
        });
        if (!rows.empty())
            return rows;
    }
    // "= annex i:", "= waterproof l": a stray letter of a transcription or a mistyped number
    // after the headword.
    const QString trimmed = target.trimmed();
    if (trimmed.size() > 2 && trimmed[trimmed.size() - 2] == QLatin1Char(' ') && trimmed.back().isLower())
        return rowsOf(trimmed.chopped(2));
    return {};
}

std::vector<ReferenceResolver::Place> ReferenceResolver::select(const std::vector<int>& rows,
                                                                const ArticleReference& reference) const
{
    std::vector<Place> all;
    for (int row : rows) {
        const Parsed article = parsed(row);
        for (const ArticleSense& s : article->senses)
            if (all.size() < kMaxSensesLookedAt)
                all.push_back(Place{row, &s, article});
    }

    // Each number narrows the choice only when the target has such a place; a number it does
    // not have is ignored rather than losing the translation.
    auto narrow = [&all](auto keep) {
        std::vector<Place> kept;
        std::copy_if(all.begin(), all.end(), std::back_inserter(kept), keep);
        if (!kept.empty())
            all.swap(kept);
        return !kept.empty() || all.empty();
    };
    if (reference.homonym > 0) {
        const int h = reference.homonym;
        const bool found = std::any_of(all.begin(), all.end(), [h](const Place& p) { return p.sense->homonym == h; });
        if (found) {
            narrow([h](const Place& p) { return p.sense->homonym == h; });
        } else if (rows.size() >= size_t(h)) {
            // Homonyms kept as separate entries of the same headword.
            const int row = rows[size_t(h - 1)];
            narrow([row](const Place& p) { return p.row == row; });
        }
    }
    if (reference.part > 0) {
        const int n = reference.part;
        const bool parts = std::any_of(all.begin(), all.end(), [](const Place& p) { return p.sense->part > 0; });
        if (parts) {
            // Among several entries of the same letters, one without numbered parts is all
            // its first part ("= ha ha 1": "haha" when "ha-ha" keeps no part 1).
            const bool numbered = std::any_of(all.begin(), all.end(), [n](const Place& p) { return p.sense->part == n; });
            if (numbered || n != 1)
                narrow([n](const Place& p) { return p.sense->part == n; });
            else
                narrow([this](const Place& p) {
                    const std::vector<ArticleSense>& own = p.article->senses;
                    return std::none_of(own.begin(), own.end(), [](const ArticleSense& s) { return s.part > 0; });
                });
        } else {
            narrow([n](const Place& p) { return p.sense->sense == n; });
        }
    }
    if (reference.sense > 0) {
        const int n = reference.sense;
        narrow([n](const Place& p) { return p.sense->sense == n; });
    }
    return all;
}

ReferenceResolver::Followed ReferenceResolver::follow(const ArticleReference& reference, std::vector<int>& chain,
                                                      int depth) const
{
    Followed out;
    const QString shown = reference.targets.value(0);
    if (depth >= kMaxSteps) {
        out.failure = QStringLiteral("leads on through more than %1 references").arg(kMaxSteps);
        return out;
    }
    if (m_followsLeft <= 0) {
        out.failure = QStringLiteral("leads to more than %1 references").arg(kMaxFollowsPerEntry);
        return out;
    }
    --m_followsLeft;
    std::vector<int> rows;
    for (const QString& target : reference.targets) {
        rows = rowsOf(target);
        if (!rows.empty())
            break;
    }
    if (rows.empty()) {
        out.failure = QStringLiteral("refers to \"%1\", which is not in the dictionary").arg(shown);
        return out;
    }
    std::erase_if(rows, [&chain](int row) { return std::find(chain.begin(), chain.end(), row) != chain.end(); });
    if (rows.empty()) {
        out.failure = QStringLiteral("refers to \"%1\", which refers back (a loop)").arg(shown);
        return out;
    }
    out.headword = m_source.word(rows.front());

    const std::vector<Place> places = select(rows, reference);
    const size_t mark = chain.size();
    chain.insert(chain.end(), rows.begin(), rows.end());
    QString inner;
    std::vector<LinePiece> pieces = render(places, chain, depth + 1, nullptr, &inner);
    chain.resize(mark);
    if (places.empty()) {
        // An article with no sense to show ("to play hooky бездельничать"): its plain line.
        const QString plain = m_cleaner.lineOf(*parsed(rows.front()));
        if (hasCyrillicLetter(plain))
            pieces.push_back(LinePiece{plain, 0});
    }

    if (!anyCyrillic(pieces)) {
        out.failure = inner.isEmpty()
                          ? QStringLiteral("refers to \"%1\", which has no Russian translation").arg(out.headword)
                          : QStringLiteral("refers to \"%1\", which %2").arg(out.headword, inner);
        return out;
    }
    // The translation proper: pieces that are themselves only untranslated notes go.
    std::erase_if(pieces, [](const LinePiece& p) { return !hasCyrillicLetter(p.text); });
    out.pieces = std::move(pieces);
    return out;
}

std::vector<LinePiece> ReferenceResolver::render(const std::vector<Place>& senses, std::vector<int>& chain, int depth,
                                                 ReferenceOutcome* outcome, QString* failure) const
{
    bool onlyReferences = true;
    int references = 0;
    for (const Place& p : senses) {
        onlyReferences = onlyReferences && p.sense->text.isEmpty();
        references += p.sense->reference ? 1 : 0;
    }
    // Below the entry itself only the start of each part of speech of the target is shown:
    // enough to fill the line (the rest of a part is skipped without following its
    // references).
    const qsizetype enough = depth > 0 ? qsizetype(m_cleaner.maxLength()) : -1;
    std::vector<std::pair<int, qsizetype>> groupLengths; // characters so far of each group
    auto lengthOf = [&groupLengths](int group) -> qsizetype& {
        for (auto& [g, n] : groupLengths)
            if (g == group)
                return n;
        groupLengths.push_back({group, 0});
        return groupLengths.back().second;
    };
    qsizetype total = 0;

    // "by-road = by-way, 1) дорога ...": a synonym named beside the homonym's own senses
    // adds nothing to them.
    auto translatedBeside = [&senses](const Place& ref) {
        return std::any_of(senses.begin(), senses.end(), [&ref](const Place& p) {
            return p.row == ref.row && p.sense->homonym == ref.sense->homonym && !p.sense->text.isEmpty();
        });
    };

    std::vector<LinePiece> pieces;
    // Plain "= word" references that lead nowhere: the line's words only when nothing else is.
    std::vector<LinePiece> unresolvedSynonyms;
    for (const Place& p : senses) {
        const ArticleSense& s = *p.sense;
        const int group = lineGroup(s.homonym, s.part);
        if (enough >= 0 && lengthOf(group) > enough)
            continue;
        const size_t before = pieces.size();
        if (s.reference) {
            const ArticleReference& ref = *s.reference;
            const Followed target = follow(ref, chain, depth);
            if (outcome)
                ++(target.pieces.empty() ? outcome->unresolved : outcome->resolved);
            if ((ref.note.isEmpty() && translatedBeside(p)) || (ref.pointer && !onlyReferences)) {
                // counted above; the entry's own senses speak for it
            } else if (!target.pieces.empty()) {
                const QString prefix =
                    ref.note.isEmpty() ? QString() : ref.note + QStringLiteral(" от ") + target.headword + QStringLiteral(": ");
                // The whole of the target where the entry is nothing but this reference, with
                // the target's parts of speech; beside senses of the entry's own, the target's
                // first item, so that they keep room.
                if (onlyReferences && references == 1) {
                    pieces.insert(pieces.end(), target.pieces.begin(), target.pieces.end());
                    pieces[before].text.prepend(prefix);
                } else {
                    const QString first = target.pieces.front().text.section(QStringLiteral("; "), 0, 0);
                    pieces.push_back(LinePiece{prefix + first, group});
                }
            } else {
                if (failure && failure->isEmpty())
                    *failure = target.failure;
                if (!ref.note.isEmpty() && !ref.pointer)
                    pieces.push_back(LinePiece{unresolvedReferenceText(ref), group});
                else if (onlyReferences)
                    unresolvedSynonyms.push_back(LinePiece{unresolvedReferenceText(ref), group});
            }
        }
        if (!s.text.isEmpty())
            pieces.push_back(LinePiece{s.text, group});
        for (size_t k = before; k < pieces.size(); ++k) {
            lengthOf(pieces[k].group) += pieces[k].text.size() + 2;
            total += pieces[k].text.size() + 2;
        }
        // Every part full, or more than a shared line could hold: enough either way.
        if (enough >= 0 && total > 2 * qsizetype(m_cleaner.sharedLength()))
            break;
    }
    if (pieces.empty())
        pieces = std::move(unresolvedSynonyms);
    // A target may say what the entry says itself ("banyan" = banian, then the same senses).
    std::vector<LinePiece> unique;
    for (LinePiece& p : pieces)
        if (std::none_of(unique.begin(), unique.end(), [&p](const LinePiece& u) { return u.text == p.text; }))
            unique.push_back(std::move(p));
    return unique;
}

ReferenceResolver::ReferenceResolver(const ArticleCleaner& cleaner, ArticleSource& source)
    : m_cleaner(cleaner), m_source(source)
{
    m_byKey.reserve(size_t(source.size()));
    for (qsizetype i = 0; i < source.size(); ++i)
        for (const QString& name : namesOf(int(i)))
            m_byKey.push_back(NameRow{qHash(name), int(i)});
    std::sort(m_byKey.begin(), m_byKey.end());
}

void ReferenceResolver::remember(const ArticleSource::ArticleId& id, Parsed article) const
{
    // Roughly what the parsed article holds on the heap: its senses, their texts and
    // references, and its plain text.
    qint64 bytes = qint64(sizeof(ParsedArticle)) + 64 + article->plain.size() * 2;
    for (const ArticleSense& s : article->senses) {
        bytes += qint64(sizeof(ArticleSense)) + 32 + s.text.size() * 2;
        if (s.reference)
            bytes += 96 + s.reference->written.size() * 4 + s.reference->note.size() * 2;
    }
    if (m_cacheBytes + bytes > kCacheBytes) {
        // Dropped whole: what a line in the making still uses stays alive through its places.
        m_cache.clear();
        m_cacheBytes = 0;
    }
    m_cache.emplace(id, std::move(article));
    m_cacheBytes += bytes;
}

ReferenceResolver::Parsed ReferenceResolver::parsed(int row) const
{
    const ArticleSource::ArticleId id = m_source.articleId(row);
    if (const auto it = m_cache.find(id); it != m_cache.end())
        return it->second;
    Parsed article = std::make_shared<const ParsedArticle>(m_cleaner.parse(m_source.word(row), m_source.article(row)));
    remember(id, article);
    return article;
}

ReferenceResolver::~ReferenceResolver()
{
    if (m_parser.joinable())
        m_parser.join();
}

void ReferenceResolver::parseClaimed(Batch& batch) const
{
    for (size_t k = batch.claimed++; k < batch.rows.size(); k = batch.claimed++) {
        // Joined once for both.
        const QString joined = ArticleCleaner::joinLines(batch.words[k], batch.articles[k]);
        if (m_keeper)
            batch.kept[k] = m_keeper(batch.words[k], joined);
        batch.parsed[k] = m_cleaner.parseJoined(joined, batch.articles[k].size());
    }
}

void ReferenceResolver::prepareAhead(qsizetype from, qsizetype to)
{
    takePrepared();
    // The source is read here, on this thread; the parser only reads the texts it is given
    // (the cleaner is const and shared).
    auto batch = std::make_unique<Batch>();
    for (qsizetype i = from; i < to; ++i) {
        const ArticleSource::ArticleId id = m_source.articleId(i);
        if (m_cache.count(id) || (!batch->rows.empty() && m_source.articleId(batch->rows.back()) == id))
            continue;
        batch->rows.push_back(i);
        batch->words.push_back(m_source.word(int(i)));
        batch->articles.push_back(m_source.article(i));
    }
    batch->parsed.resize(batch->rows.size());
    batch->kept.resize(batch->rows.size());
    m_ahead = std::move(batch);
    try {
        m_parser = std::thread([this, batch = m_ahead.get()] { parseClaimed(*batch); });
    } catch (const std::system_error&) {
        // No thread to be had: takePrepared() parses it all on this one.
    }
}

void ReferenceResolver::takePrepared()
{
    if (!m_ahead)
        return;
    parseClaimed(*m_ahead);
    if (m_parser.joinable())
        m_parser.join();
    const std::unique_ptr<Batch> batch = std::move(m_ahead);
    m_kept.clear();
    for (size_t k = 0; k < batch->rows.size(); ++k) {
        const ArticleSource::ArticleId id = m_source.articleId(batch->rows[k]);
        remember(id, std::make_shared<const ParsedArticle>(std::move(batch->parsed[k])));
        if (m_keeper)
            m_kept.emplace(id, std::move(batch->kept[k]));
    }
}

KeptArticle ReferenceResolver::kept(qsizetype i)
{
    if (!m_keeper)
        return {};
    const ArticleSource::ArticleId id = m_source.articleId(i);
    if (const auto it = m_kept.find(id); it != m_kept.end())
        return it->second;
    // Entries in a row that share one article share what was made of it.
    if (id != m_lastKeptId) {
        m_lastKeptId = id;
        m_lastKept = m_keeper(m_source.word(i), ArticleCleaner::joinLines(m_source.word(i), m_source.article(i)));
    }
    return m_lastKept;
}

QString ReferenceResolver::line(qsizetype i, ReferenceOutcome& outcome)
{
    const Parsed own = parsed(int(i));
    std::vector<Place> senses;
    for (const ArticleSense& s : own->senses)
        senses.push_back(Place{int(i), &s, own});
    std::vector<int> chain{int(i)};
    m_followsLeft = kMaxFollowsPerEntry;
    QString failure;
    const std::vector<LinePiece> pieces = render(senses, chain, 0, &outcome, &failure);
    QString line = pieces.empty() ? m_cleaner.lineOf(*own) : m_cleaner.joinSenses(pieces);
    if (!hasCyrillicLetter(line)) {
        QString reason = failure;
        if (reason.isEmpty()) {
            // Whether the article has Russian text elsewhere: read again only for these few.
            reason = hasCyrillicLetter(m_source.article(i)) ? QStringLiteral("Russian text only in labels, notes or examples")
                                                           : QStringLiteral("no Russian text in the article");
        }
        outcome.untranslated.push_back(UntranslatedEntry{m_source.word(i), line, reason});
    }
    return line;
}

std::vector<QString> ReferenceResolver::lines(const ArticleCleaner& cleaner, const std::vector<SourceEntry>& entries,
                                              ReferenceOutcome& outcome)
{
    MemorySource source(entries);
    ReferenceResolver resolver(cleaner, source);
    resolver.prepare(0, source.size());
    std::vector<QString> out;
    out.reserve(entries.size());
    for (qsizetype i = 0; i < source.size(); ++i)
        out.push_back(resolver.line(i, outcome));
    return out;
}

} // namespace zarvik
