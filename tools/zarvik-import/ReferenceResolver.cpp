#include "ReferenceResolver.h"

#include <algorithm>
#include <system_error>
#include <thread>

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

qsizetype lengthOf(const QStringList& pieces)
{
    qsizetype n = 0;
    for (const QString& p : pieces)
        n += p.size() + 2;
    return n;
}

} // namespace

std::vector<int> ReferenceResolver::rowsOf(const QString& target) const
{
    auto first = [](const std::vector<int>& rows) {
        return std::vector<int>(rows.begin(), rows.begin() + qMin(rows.size(), kMaxRowsPerHeadword));
    };
    for (const QString& spelling : spellings(target)) {
        if (const auto it = m_byKey.constFind(spelling.trimmed().toCaseFolded()); it != m_byKey.cend())
            return first(*it);
    }
    if (m_byLetters.isEmpty()) {
        // Built at the first miss: most references name their target exactly.
        m_byLetters.reserve(qsizetype(m_entries->size()));
        for (auto it = m_byKey.cbegin(); it != m_byKey.cend(); ++it) {
            const QString letters = lettersKey(it.key());
            if (!letters.isEmpty()) {
                std::vector<int>& rows = m_byLetters[letters];
                rows.insert(rows.end(), it->begin(), it->end());
            }
        }
        // The table is walked in no fixed order: the entries that share their letters ("ha-ha",
        // "haha") are put back in the dictionary's order, so that a reference picks the same
        // one on every import.
        for (auto it = m_byLetters.begin(); it != m_byLetters.end(); ++it) {
            std::sort(it->begin(), it->end());
            it->erase(std::unique(it->begin(), it->end()), it->end());
        }
    }
    for (const QString& spelling : spellings(target)) {
        const QString key = lettersKey(spelling);
        if (key.isEmpty())
            continue;
        if (const auto it = m_byLetters.constFind(key); it != m_byLetters.cend())
            return first(*it);
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
    for (int row : rows)
        for (const ArticleSense& s : m_articles[size_t(row)].senses)
            if (all.size() < kMaxSensesLookedAt)
                all.push_back(Place{row, &s});

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
                    const std::vector<ArticleSense>& own = m_articles[size_t(p.row)].senses;
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
    out.headword = (*m_entries)[size_t(rows.front())].word;

    const std::vector<Place> places = select(rows, reference);
    const size_t mark = chain.size();
    chain.insert(chain.end(), rows.begin(), rows.end());
    QString inner;
    QStringList pieces = render(places, chain, depth + 1, nullptr, &inner);
    chain.resize(mark);
    if (places.empty()) {
        // An article with no sense to show ("to play hooky бездельничать"): its plain line.
        const QString plain = m_cleaner.lineOf(m_articles[size_t(rows.front())]);
        if (hasCyrillicLetter(plain))
            pieces << plain;
    }

    if (!std::any_of(pieces.begin(), pieces.end(), [](const QString& p) { return hasCyrillicLetter(p); })) {
        out.failure = inner.isEmpty()
                          ? QStringLiteral("refers to \"%1\", which has no Russian translation").arg(out.headword)
                          : QStringLiteral("refers to \"%1\", which %2").arg(out.headword, inner);
        return out;
    }
    // The translation proper: pieces that are themselves only untranslated notes go.
    pieces.removeIf([](const QString& p) { return !hasCyrillicLetter(p); });
    out.pieces = pieces;
    return out;
}

QStringList ReferenceResolver::render(const std::vector<Place>& senses, std::vector<int>& chain, int depth,
                                      ReferenceOutcome* outcome, QString* failure) const
{
    bool onlyReferences = true;
    int references = 0;
    for (const Place& p : senses) {
        onlyReferences = onlyReferences && p.sense->text.isEmpty();
        references += p.sense->reference ? 1 : 0;
    }
    // Below the entry itself only the start of the target is shown: enough to fill the line.
    const qsizetype enough = depth > 0 ? qsizetype(m_cleaner.maxLength()) : -1;

    // "by-road = by-way, 1) дорога ...": a synonym named beside the homonym's own senses
    // adds nothing to them.
    auto translatedBeside = [&senses](const Place& ref) {
        return std::any_of(senses.begin(), senses.end(), [&ref](const Place& p) {
            return p.row == ref.row && p.sense->homonym == ref.sense->homonym && !p.sense->text.isEmpty();
        });
    };

    QStringList pieces;
    // Plain "= word" references that lead nowhere: the line's words only when nothing else is.
    QStringList unresolvedSynonyms;
    for (const Place& p : senses) {
        const ArticleSense& s = *p.sense;
        if (s.reference) {
            const ArticleReference& ref = *s.reference;
            const Followed target = follow(ref, chain, depth);
            if (outcome)
                ++(target.pieces.isEmpty() ? outcome->unresolved : outcome->resolved);
            if ((ref.note.isEmpty() && translatedBeside(p)) || (ref.pointer && !onlyReferences)) {
                // counted above; the entry's own senses speak for it
            } else if (!target.pieces.isEmpty()) {
                const QString prefix =
                    ref.note.isEmpty() ? QString() : ref.note + QStringLiteral(" от ") + target.headword + QStringLiteral(": ");
                // The whole of the target where the entry is nothing but this reference; beside
                // senses of the entry's own, the target's first item, so that they keep room.
                if (onlyReferences && references == 1) {
                    pieces << prefix + target.pieces.front() << target.pieces.mid(1);
                } else {
                    const QString first = target.pieces.front().section(QStringLiteral("; "), 0, 0);
                    pieces << prefix + first;
                }
            } else {
                if (failure && failure->isEmpty())
                    *failure = target.failure;
                if (!ref.note.isEmpty() && !ref.pointer)
                    pieces << unresolvedReferenceText(ref);
                else if (onlyReferences)
                    unresolvedSynonyms << unresolvedReferenceText(ref);
            }
        }
        if (!s.text.isEmpty())
            pieces << s.text;
        if (enough >= 0 && lengthOf(pieces) > enough)
            break;
    }
    if (pieces.isEmpty())
        pieces = unresolvedSynonyms;
    // A target may say what the entry says itself ("banyan" = banian, then the same senses).
    pieces.removeDuplicates();
    return pieces;
}

std::vector<QString> ReferenceResolver::lines(const std::vector<SourceEntry>& entries, ReferenceOutcome& outcome)
{
    m_entries = &entries;
    m_byKey.clear();
    m_byKey.reserve(qsizetype(entries.size()));
    m_byLetters.clear();

    // Taking the articles apart is most of the work and each article stands alone: a large
    // dictionary is parsed in two halves at once where a second core is free.
    m_articles.clear();
    m_articles.resize(entries.size());
    auto parseRange = [this, &entries](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            m_articles[i] = m_cleaner.parse(entries[i].word, entries[i].article);
    };
    const size_t half = entries.size() / 2;
    std::thread second;
    if (entries.size() >= 10000 && std::thread::hardware_concurrency() > 1) {
        try {
            second = std::thread(parseRange, half, entries.size());
        } catch (const std::system_error&) {
            // no thread to be had: one after the other
        }
    }
    if (second.joinable()) {
        parseRange(0, half);
        second.join();
    } else {
        parseRange(0, entries.size());
    }

    for (size_t i = 0; i < entries.size(); ++i) {
        // "peritoneum, peritonaeum": a headword that lists its spellings is found by each.
        QStringList names{entries[i].word};
        if (entries[i].word.contains(QLatin1String(", ")))
            names << entries[i].word.split(QLatin1String(", "), Qt::SkipEmptyParts);
        for (const QString& name : names)
            m_byKey[name.trimmed().toCaseFolded()].push_back(int(i));
    }

    std::vector<QString> out;
    out.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<Place> senses;
        for (const ArticleSense& s : m_articles[i].senses)
            senses.push_back(Place{int(i), &s});
        std::vector<int> chain{int(i)};
        m_followsLeft = kMaxFollowsPerEntry;
        QString failure;
        const QStringList pieces = render(senses, chain, 0, &outcome, &failure);
        QString line = pieces.isEmpty() ? m_cleaner.lineOf(m_articles[i]) : m_cleaner.joinSenses(pieces);
        if (!hasCyrillicLetter(line)) {
            QString reason = failure;
            if (reason.isEmpty())
                reason = hasCyrillicLetter(entries[i].article) ? QStringLiteral("Russian text only in labels, notes or examples")
                                                               : QStringLiteral("no Russian text in the article");
            outcome.untranslated.push_back(UntranslatedEntry{entries[i].word, line, reason});
        }
        out.push_back(std::move(line));
    }
    m_entries = nullptr;
    return out;
}

} // namespace zarvik
