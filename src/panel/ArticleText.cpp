#include "panel/ArticleText.h"

#include "dictionary/DisplayText.h"

#include <QHash>

namespace zarvik::ArticleText {

namespace {

using Kind = ArticleBlock::Kind;

// Dictionary text as characters on the page: direction controls are dropped (they could turn
// the rest of the page around), everything else is escaped.
QString text(const QString& raw)
{
    QString kept;
    kept.reserve(raw.size());
    for (const char32_t c : raw.toUcs4()) {
        if (!DisplayText::isDirectionControl(c))
            kept.append(QString::fromUcs4(&c, 1));
    }
    return kept.toHtmlEscaped();
}

QString paragraph(const QString& style, const QString& body)
{
    // Close lines, as in a printed dictionary; the paragraph's own style may open it up.
    return QStringLiteral("<p style=\"margin-top:2px; margin-bottom:2px; %1\">%2</p>").arg(style, body);
}

QString joined(const QString& first, const QString& second, const QString& separator)
{
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    return first + separator + second;
}

} // namespace

QString partOfSpeech(const QString& label)
{
    static const QHash<QString, QString> russian{
        {QStringLiteral("n."), QStringLiteral("сущ.")},    {QStringLiteral("v."), QStringLiteral("гл.")},
        {QStringLiteral("a."), QStringLiteral("прил.")},   {QStringLiteral("adv."), QStringLiteral("нареч.")},
        {QStringLiteral("pron."), QStringLiteral("мест.")}, {QStringLiteral("prep."), QStringLiteral("предл.")},
        {QStringLiteral("cj."), QStringLiteral("союз")},    {QStringLiteral("int."), QStringLiteral("межд.")},
        {QStringLiteral("num."), QStringLiteral("числ.")},
    };
    return russian.value(label.trimmed(), label);
}

QUrl link(const QString& headword)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(kLinkScheme));
    url.setPath(headword, QUrl::DecodedMode);
    return url;
}

std::optional<QString> target(const QUrl& url)
{
    if (url.scheme() != QLatin1String(kLinkScheme) || !url.host().isEmpty())
        return std::nullopt;
    const QString headword = url.path(QUrl::FullyDecoded);
    if (headword.isEmpty())
        return std::nullopt;
    return headword;
}

QStringList headwordCandidates(const QString& line)
{
    static const QString separator = QStringLiteral(" - ");
    QStringList candidates;
    for (qsizetype at = line.lastIndexOf(separator); at > 0; at = line.lastIndexOf(separator, at - 1))
        candidates.append(line.left(at));
    return candidates;
}

QString title(const QString& headword)
{
    return QStringLiteral("Статья — ") + DisplayText::line(headword, DisplayText::kTitleChars);
}

QString html(const Article& article)
{
    QString page;
    page += QStringLiteral("<p style=\"font-size:large; font-weight:bold; margin-bottom:2px\">%1</p>")
                .arg(text(article.headword));
    for (const ArticleBlock& b : article.blocks) {
        switch (b.kind) {
        case Kind::Homonym:
            page += paragraph(QStringLiteral("margin-top:8px; font-weight:bold"), text(b.number));
            break;
        case Kind::Transcription:
            page += paragraph(QStringLiteral("color:#204a87"), QStringLiteral("[%1]").arg(text(b.text)));
            break;
        case Kind::Part:
            page += paragraph(QStringLiteral("margin-top:6px; font-weight:bold; font-style:italic; color:#5c3566"),
                              joined(text(b.number), text(partOfSpeech(b.text)), QStringLiteral(" ")));
            break;
        case Kind::Sense:
            page += paragraph(QStringLiteral("margin-left:16px"),
                              joined(QStringLiteral("<b>%1</b>").arg(text(b.number)), text(b.text), QStringLiteral(" ")));
            break;
        case Kind::Subsense:
            page += paragraph(QStringLiteral("margin-left:32px"),
                              joined(QStringLiteral("<i>%1</i>").arg(text(b.number)), text(b.text), QStringLiteral(" ")));
            break;
        case Kind::Example:
            page += paragraph(QStringLiteral("margin-left:48px; color:#555753; font-style:italic"),
                              joined(text(b.text), text(b.extra), QStringLiteral(" — ")));
            break;
        case Kind::Idiom:
            page += paragraph(QStringLiteral("margin-left:16px"),
                              joined(QStringLiteral("<b>%1</b>").arg(text(b.text)), text(b.extra), QStringLiteral(" — ")));
            break;
        case Kind::Reference: {
            const QString anchor = b.extra.isEmpty()
                                       ? QString()
                                       : QStringLiteral("<a href=\"%1\">%2</a>")
                                             .arg(link(b.extra).toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                                  text(b.extra));
            page += paragraph(QStringLiteral("margin-left:16px"), joined(text(b.text), anchor, QStringLiteral(" ")));
            break;
        }
        case Kind::Text:
            page += paragraph(QStringLiteral("margin-left:16px"), text(b.text));
            break;
        }
    }
    return page;
}

} // namespace zarvik::ArticleText
