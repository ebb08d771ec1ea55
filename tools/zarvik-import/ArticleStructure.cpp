#include "ArticleStructure.h"

#include "ArticleCleaner.h"
#include "ArticleCleanerParts.h"
#include "dictionary/ArticleCodec.h"

#include <algorithm>
#include <vector>

namespace zarvik {

using namespace cleaning;
using Kind = ArticleBlock::Kind;

namespace {

// The labels that name a part of speech; the others (_разг., _p.) say how or which form.
bool isPartOfSpeech(QStringView label)
{
    static const QStringView parts[] = {u"n.", u"v.", u"a.", u"adv.", u"prep.", u"pron.", u"cj.", u"conj.",
                                        u"interj.", u"int.", u"num.", u"n-ord.", u"n-card."};
    for (QStringView p : parts)
        if (label == p)
            return true;
    return false;
}

// "[ɜ↗bæk]": the source marks stress with arrows; the window shows the phonetic marks.
QString transcriptionText(QStringView inner)
{
    QString t = inner.trimmed().toString();
    t.replace(QChar(0x2197), QChar(0x02C8)); // ↗ primary stress
    t.replace(QChar(0x2198), QChar(0x02CC)); // ↘ secondary stress
    return t;
}

// Labels without their underscore ("_разг." is "разг."), notes in braces that name no other
// word dropped ("{см. тж.}", "{см. тж. 1}") and the others put in parentheses, arrows of
// transcriptions left in the text made stress marks.
QString readable(const QString& text)
{
    // Most items have nothing to change: looked for first, so that they are not copied.
    if (std::none_of(text.begin(), text.end(), [](QChar c) {
            return c == QLatin1Char('{') || c == QLatin1Char('_') || c == QChar(0x2197) || c == QChar(0x2198);
        }))
        return text;
    // Where each "{" closes, found from the right in one pass: a text of openers alone costs
    // no more than any other.
    std::vector<qsizetype> close(size_t(text.size()), -1);
    qsizetype next = -1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == QLatin1Char('}'))
            next = i;
        else if (text[i] == QLatin1Char('{')) {
            close[size_t(i)] = next;
            next = -1; // "{ {x}": the inner one pairs, the outer one stays text
        }
    }
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('{') && close[size_t(i)] > i) {
            const qsizetype j = close[size_t(i)];
            const QStringView inner = QStringView(text).mid(i + 1, j - i - 1);
            if (hasLatin(inner))
                out += QLatin1Char('(') + inner.toString() + QLatin1Char(')');
            i = j;
            continue;
        }
        const bool wordStart = i == 0 || isSpace(text[i - 1]) || text[i - 1] == QLatin1Char('(');
        if (c == QLatin1Char('_') && wordStart && i + 1 < text.size() && text[i + 1].isLetter())
            continue;
        if (c == QChar(0x2197))
            out += QChar(0x02C8);
        else if (c == QChar(0x2198))
            out += QChar(0x02CC);
        else
            out += c;
    }
    return simplified(out);
}

// The first word of the text (up to a blank) and the rest.
QStringView firstWord(QStringView text, QStringView* rest)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    *rest = blank < 0 ? QStringView() : text.mid(blank + 1);
    return blank < 0 ? text : text.first(blank);
}

// "to bring (или to call) into play приводить в действие": the English phrase, up to the first
// word with a Cyrillic letter outside parentheses (a note in parentheses goes with the
// phrase when it holds Latin letters, with the translation otherwise).
qsizetype phraseEnd(const QString& item)
{
    const qsizetype n = item.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && item[i] == QLatin1Char(' '))
            ++i;
        const qsizetype start = i;
        if (i < n && item[i] == QLatin1Char('(')) {
            int depth = 0;
            bool latin = false;
            for (; i < n; ++i) {
                if (item[i] == QLatin1Char('('))
                    ++depth;
                else if (item[i] == QLatin1Char(')') && --depth == 0)
                    break;
                latin = latin || isLatin(item[i]);
            }
            ++i;
            if (!latin)
                return start;
            continue;
        }
        bool cyrillic = false;
        for (; i < n && item[i] != QLatin1Char(' '); ++i)
            cyrillic = cyrillic || isCyrillicLetter(item[i]);
        if (cyrillic)
            return start;
    }
    return n;
}

class Builder {
public:
    explicit Builder(const QString& headword) : m_head(headword.trimmed().toCaseFolded())
    {
        QStringView rest;
        m_head = firstWord(m_head, &rest).toString();
    }

    std::vector<ArticleBlock> blocks;

    void chunk(const MarkedChunk& c)
    {
        QString text = c.text.trimmed(); // a part of the joined lines, whose blanks are single
        switch (c.marker) {
        case 'H':
            blocks.push_back(ArticleBlock{Kind::Homonym, c.number, {}, {}});
            m_phrase = -1;
            text = transcriptions(text);
            text = partLabel(QString(), text, false);
            body(Kind::Sense, QString(), text, false);
            break;
        case 'P':
            m_phrase = -1;
            text = partLabel(c.number, text, true);
            body(Kind::Sense, QString(), text, false);
            break;
        case 'S':
            m_phrase = -1;
            body(Kind::Sense, c.number, text, false);
            break;
        case 's':
            m_phrase = -1;
            body(Kind::Subsense, c.number, text, false);
            break;
        case 'E':
            body(Kind::Sense, QString(), text, true);
            break;
        default:
            text = transcriptions(text);
            text = partLabel(QString(), text, false);
            body(Kind::Sense, QString(), text, false);
            break;
        }
    }

private:
    // Takes the transcriptions at the start of the text off it as blocks.
    // At most a few: "[hæz] (полная форма); [hɜz], [z] ..." keeps the later ones in its text.
    QString transcriptions(const QString& text)
    {
        constexpr int kMaxLeading = 4;
        qsizetype at = 0;
        for (int n = 0; n < kMaxLeading && at < text.size() && text[at] == QLatin1Char('['); ++n) {
            const qsizetype end = text.indexOf(QLatin1Char(']'), at);
            if (end < 0)
                break;
            const QString t = transcriptionText(QStringView(text).mid(at + 1, end - at - 1));
            if (!t.isEmpty())
                blocks.push_back(ArticleBlock{Kind::Transcription, {}, t, {}});
            at = end + 1;
            while (at < text.size() && (text[at] == QLatin1Char(' ') || text[at] == QLatin1Char(',')))
                ++at;
        }
        return text.mid(at);
    }

    // "_n. (_pl. -es) ...": the part of speech and its grammar note as a Part block, the rest
    // returned. A Part marker always gives one; elsewhere only a label of a part of speech.
    QString partLabel(const QString& number, QString text, bool marked)
    {
        QString label;
        if (text.startsWith(QLatin1Char('_'))) {
            QStringView rest;
            const QStringView word = firstWord(text, &rest);
            if (isPartOfSpeech(word.mid(1))) {
                label = word.mid(1).toString();
                text = rest.toString();
                // "(ran - run)", "(_pl. -es)": the forms, with the part.
                if (text.startsWith(QLatin1Char('('))) {
                    const qsizetype end = text.indexOf(QLatin1Char(')'));
                    if (end > 0 && !hasCyrillicLetter(QStringView(text).first(end))) {
                        label += QLatin1Char(' ') + readable(text.left(end + 1));
                        text = text.mid(end + 1).trimmed();
                    }
                }
            }
        }
        if (marked || !label.isEmpty())
            blocks.push_back(ArticleBlock{Kind::Part, number, label, {}});
        return text;
    }

    void reference(const ArticleReference& ref)
    {
        QString text;
        if (ref.pointer)
            text = QStringLiteral("см.");
        else if (!ref.note.isEmpty())
            text = ref.note + QStringLiteral(" от");
        // "hallo(a)" is looked up as hallo; "will и shall" as will.
        QString target = ref.targets.value(0);
        if (const qsizetype open = target.indexOf(QLatin1Char('(')); open > 0)
            target = target.left(open).trimmed();
        blocks.push_back(ArticleBlock{Kind::Reference, {}, text, target});
    }

    // A phrase with its translation: a phrasal verb of the headword ("run about") or a phrase
    // whose translation comes in subsenses is an idiom, the rest are examples.
    void phrase(const QString& item)
    {
        const qsizetype end = phraseEnd(item);
        const QString head = item.left(end).trimmed();
        const QString tail = item.mid(end).trimmed();
        QStringView rest;
        const QString first = firstWord(head, &rest).toString().toCaseFolded();
        const bool phrasal = first == m_head && !rest.isEmpty();
        blocks.push_back(ArticleBlock{phrasal || tail.isEmpty() ? Kind::Idiom : Kind::Example, {}, head, tail});
        m_phrase = qsizetype(blocks.size()) - 1;
    }

    void russian(qsizetype sense, const QString& item)
    {
        QString& to = m_phrase >= 0 ? blocks[size_t(m_phrase)].extra : blocks[size_t(sense)].text;
        if (!to.isEmpty())
            to += QStringLiteral("; ");
        to += item;
    }

    // The items of a sense: its Russian text, then its examples and idioms; a first item that
    // refers elsewhere becomes a reference.
    void body(Kind kind, const QString& number, const QString& raw, bool examples)
    {
        const QString text = raw.trimmed();
        if (text.isEmpty() && number.isEmpty())
            return;
        qsizetype sense = -1;
        auto ensureSense = [&] {
            if (sense < 0) {
                blocks.push_back(ArticleBlock{kind, number, {}, {}});
                sense = qsizetype(blocks.size()) - 1;
            }
            return sense;
        };
        if (!number.isEmpty())
            ensureSense();
        bool first = true;
        for (const QString& rawItem : splitTopLevel(text, QLatin1Char(';'))) {
            QString item = rawItem.trimmed(); // the chunk is simplified already
            if (item.isEmpty())
                continue;
            if (first) {
                first = false;
                if (const std::optional<ArticleReference> ref = referenceIn(item)) {
                    reference(*ref);
                    continue;
                }
            }
            if (item.startsWith(QLatin1Char('='))) {
                if (const std::optional<ArticleReference> ref = referenceIn(item)) {
                    reference(*ref);
                    continue;
                }
            }
            item = readable(item);
            if (item.isEmpty())
                continue;
            if (examples || endsSense(item)) {
                phrase(item);
                continue;
            }
            // "употр. как глагол-связка: to run cold похолодеть": examples after a colon.
            QString tail;
            if (const qsizetype colon = item.indexOf(QLatin1String(": ")); colon > 0 && endsSense(QStringView(item).mid(colon + 2))) {
                tail = item.mid(colon + 2);
                item = item.left(colon + 1);
            } else {
                const QString glued = cutGluedPhrase(item);
                if (glued.size() < item.size()) {
                    tail = item.mid(glued.size()).trimmed();
                    item = glued.trimmed();
                }
            }
            russian(m_phrase >= 0 ? -1 : ensureSense(), item);
            if (!tail.isEmpty())
                phrase(tail);
        }
    }

    QString m_head;
    qsizetype m_phrase = -1; // the example or idiom that Russian items now translate
};

} // namespace

Article articleStructure(const QString& headword, const QString& article)
{
    return structureOfJoined(headword, ArticleCleaner::joinLines(headword, article));
}

Article structureOfJoined(const QString& headword, const QString& joined)
{
    Article out;
    out.headword = headword;
    Builder builder(headword);
    for (const MarkedChunk& c : markedChunks(joined))
        builder.chunk(c);
    out.blocks = std::move(builder.blocks);
    return out;
}

} // namespace zarvik

namespace zarvik {

KeptArticle keepArticle(Article article)
{
    KeptArticle kept;
    if (article.blocks.empty())
        return kept;
    for (ArticleBlock& b : article.blocks) {
        if (b.kind == Kind::Transcription) {
            kept.transcription = articles::storable(b.text);
            b.text.clear();
            break;
        }
    }
    kept.text = articles::encode(article);
    // Room for its key, Seq and transcription in its group, within what a reader inflates.
    constexpr qsizetype kGroupHead = 4096;
    if (kept.text.size() > articles::kMaxTextBytes - kGroupHead)
        return KeptArticle{};
    return kept;
}

QByteArray sharedDictionary(const std::vector<QByteArray>& encodedSample)
{
    // Openings of 110 bytes: measured on Mueller, more articles with less of each beat fewer
    // with more (300 of 110 bytes: 3.37 MB of deflated articles; 64 of 512: 3.56 MB; none:
    // 5.95 MB).
    constexpr qsizetype kOpening = 110;
    QByteArray dictionary;
    for (const QByteArray& text : encodedSample)
        dictionary += text.left(kOpening);
    return dictionary.right(articles::kMaxDictionaryBytes);
}

} // namespace zarvik
