#include "ArticleCleaner.h"

#include "ArticleCleanerParts.h"

#include <QSet>
#include <algorithm>
#include <limits>
#include <vector>

namespace zarvik {
using namespace cleaning;

QString ArticleCleaner::joinLines(const QString& headword, const QString& article)
{
    QStringList lines = QString(article).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    qsizetype first = 0;
    while (first < lines.size() && lines[first].trimmed().isEmpty())
        ++first;
    if (first < lines.size() && lines[first].trimmed().compare(headword.trimmed(), Qt::CaseInsensitive) == 0)
        ++first;
    QString out;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QString line = cleaning::simplified(lines[i]);
        if (line.isEmpty())
            continue;
        // A line that ends in a hyphen right after a letter was wrapped inside a compound
        // ("северо-" / "восток"): join without a blank.
        const bool compound = out.size() >= 2 && out.back() == QLatin1Char('-') &&
                              out[out.size() - 2].isLetter() && line.front().isLetter();
        if (!out.isEmpty() && !compound)
            out += QLatin1Char(' ');
        out += line;
    }
    return out;
}

QString ArticleCleaner::fullLine(const QString& headword, const QString& article) const
{
    return joinLines(headword, article);
}

QString ArticleCleaner::joinSenses(const QStringList& senses) const
{
    QString line;
    for (const QString& piece : senses) {
        if (line.isEmpty()) {
            line = piece;
            if (line.size() > m_maxLength) {
                // Keep whole items of the first piece where possible.
                const QStringList items = piece.split(QStringLiteral("; "));
                QString head;
                for (const QString& item : items) {
                    const qsizetype grown = head.size() + (head.isEmpty() ? 0 : 2) + item.size();
                    if (grown > m_maxLength)
                        break;
                    head += (head.isEmpty() ? QString() : QStringLiteral("; ")) + item;
                }
                return head.isEmpty() ? cutAtWord(piece, m_maxLength) : head;
            }
            continue;
        }
        if (line.size() + 2 + piece.size() > m_maxLength)
            break;
        line += QStringLiteral("; ") + piece;
    }
    return line;
}

QString ArticleCleaner::joinSenses(const std::vector<LinePiece>& pieces) const
{
    // The groups in the order in which they first come, each with its pieces.
    std::vector<std::pair<int, std::vector<size_t>>> groups;
    for (size_t i = 0; i < pieces.size(); ++i) {
        auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == pieces[i].group; });
        if (it == groups.end())
            groups.push_back({pieces[i].group, {i}});
        else
            it->second.push_back(i);
    }
    if (groups.size() <= 1) {
        QStringList texts;
        for (const LinePiece& p : pieces)
            texts << p.text;
        return joinSenses(texts);
    }
    const qsizetype budget = sharedLength();
    qsizetype used = 0;
    std::vector<QString> kept(pieces.size());
    auto room = [&used, budget] { return budget - used - (used > 0 ? 2 : 0); };
    auto keep = [&](size_t i, const QString& text) {
        used += (used > 0 ? 2 : 0) + text.size();
        kept[i] = text;
    };
    std::vector<size_t> next(groups.size(), 0);
    std::vector<bool> open(groups.size(), true);
    // First senses: each at most maxLength, so that the first part cannot take the line.
    for (size_t g = 0; g < groups.size(); ++g) {
        const size_t i = groups[g].second.front();
        const QString& text = pieces[i].text;
        const qsizetype allowance = qMin(qsizetype(m_maxLength), room());
        next[g] = 1;
        if (text.size() <= allowance && !text.isEmpty()) {
            keep(i, text);
            continue;
        }
        open[g] = false; // a sense that had to be cut ends its part
        QString head;
        for (const QString& item : text.split(QStringLiteral("; "))) {
            if (head.size() + (head.isEmpty() ? 0 : 2) + item.size() > allowance)
                break;
            head += (head.isEmpty() ? QString() : QStringLiteral("; ")) + item;
        }
        if (head.isEmpty() && g == 0 && allowance > 1)
            head = cutAtWord(text, int(allowance));
        if (!head.isEmpty())
            keep(i, head);
    }
    // Then the second senses of every part, the third, ... while they fit whole.
    for (bool any = true; any;) {
        any = false;
        for (size_t g = 0; g < groups.size(); ++g) {
            if (!open[g] || next[g] >= groups[g].second.size()) {
                open[g] = false;
                continue;
            }
            const size_t i = groups[g].second[next[g]++];
            if (pieces[i].text.size() > room()) {
                open[g] = false;
                continue;
            }
            keep(i, pieces[i].text);
            any = true;
        }
    }
    QStringList line;
    for (const QString& text : kept)
        if (!text.isEmpty())
            line << text;
    return line.join(QStringLiteral("; "));
}

QString ArticleCleaner::boundedLine(const QString& translation) const
{
    const QString line = cleaning::simplified(translation);
    if (line.size() <= m_maxLength)
        return line;
    return joinSenses(QStringList{line});
}

ParsedArticle ArticleCleaner::parse(const QString& headword, const QString& article) const
{
    return parseJoined(joinLines(headword, article), article.size());
}

ParsedArticle ArticleCleaner::parseJoined(QString text, qsizetype sourceLength) const
{
    text = removeGroups(text, QLatin1Char('['), QLatin1Char(']'));
    text = removeGroups(text, QLatin1Char('{'), QLatin1Char('}'));
    text = removePronunciationNotes(text);

    ParsedArticle parsed;
    parsed.sourceLength = int(qMin(sourceLength, qsizetype(std::numeric_limits<int>::max())));
    QSet<QString> seen;
    bool idiomOpen = false;
    for (const Chunk& chunk : senseChunks(text)) {
        if (chunk.subsense && idiomOpen)
            continue;
        // The first item that holds anything may be a reference; the rest of the chunk is
        // its own translation (what follows the reference, or the whole chunk).
        std::optional<ArticleReference> reference;
        QString rest = chunk.text;
        qsizetype start = 0;
        int depth = 0;
        for (qsizetype i = 0; i <= chunk.text.size(); ++i) {
            const QChar c = i < chunk.text.size() ? chunk.text[i] : QLatin1Char(';');
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
            if (c != QLatin1Char(';') || (depth > 0 && i < chunk.text.size()))
                continue;
            const QString first = cleaning::simplified(chunk.text.mid(start, i - start));
            if (std::none_of(first.begin(), first.end(), [](QChar c) { return c.isLetterOrNumber(); })) {
                start = i + 1;
                continue;
            }
            reference = referenceIn(first);
            if (reference)
                rest = chunk.text.mid(i + 1);
            else if (first.startsWith(QLatin1Char('=')))
                rest = chunk.text.left(start) + withoutSynonymHead(first) + chunk.text.mid(i);
            break;
        }
        // Labels and grammar notes go chunk by chunk (never across a top-level ";").
        rest = removeLabels(removeGrammarNotes(rest));
        const QStringList items = splitTopLevel(rest, QLatin1Char(';'));
        const QStringList kept = cleanItems(items, seen);
        // "2) шаг, походка; to put one's best foot forward а) прибавить шагу; б) ...": after a
        // translated sense that ends in an English phrase, the subsenses translate the phrase,
        // an idiom. (A sense that is nothing but the phrase keeps them: they are its senses.)
        if (!chunk.subsense) {
            idiomOpen = false;
            for (qsizetype i = items.size() - 1; i >= 0 && !kept.isEmpty(); --i) {
                const QString last = trimItem(items[i]);
                if (last.isEmpty())
                    continue;
                idiomOpen = endsSense(last);
                break;
            }
        }
        if (!reference && kept.isEmpty())
            continue;
        parsed.senses.push_back(ArticleSense{chunk.homonym, chunk.part, chunk.sense,
                                             kept.join(QStringLiteral("; ")), reference});
    }
    if (parsed.senses.empty())
        parsed.plain = trimItem(removeLabels(removeGrammarNotes(text)));
    return parsed;
}

QString ArticleCleaner::lineOf(const ParsedArticle& article) const
{
    std::vector<LinePiece> pieces;
    bool onlyReferences = true;
    for (const ArticleSense& s : article.senses)
        onlyReferences = onlyReferences && s.text.isEmpty();
    for (const ArticleSense& s : article.senses) {
        const int group = lineGroup(s.homonym, s.part);
        // A plain "= word" beside Russian senses adds nothing the reader can use here.
        if (s.reference && (onlyReferences || (!s.reference->note.isEmpty() && !s.reference->pointer)))
            pieces.push_back(LinePiece{unresolvedReferenceText(*s.reference), group});
        if (!s.text.isEmpty())
            pieces.push_back(LinePiece{s.text, group});
    }
    if (pieces.empty())
        return cutAtWord(article.plain, m_maxLength);
    return joinSenses(pieces);
}

QString ArticleCleaner::shortLine(const QString& headword, const QString& article) const
{
    return lineOf(parse(headword, article));
}

} // namespace zarvik
