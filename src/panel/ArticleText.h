#pragma once

#include "dictionary/Article.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace zarvik {

// What the article window shows, apart from any widget: the rich text of an article, built
// only from escaped dictionary text, and the program's own links between entries.
namespace ArticleText {

// The scheme of the links that open another entry in the same window; no other link is
// followed and nothing is ever fetched.
inline constexpr char kLinkScheme[] = "zarvik-article";

// The page of an article: the headword, the transcription in brackets, homonyms, parts of
// speech (their labels in Russian where the abbreviation is a common one), numbered senses and
// subsenses, examples indented in grey italics, idioms, and references as links. Every piece
// of dictionary text is escaped, so markup in a dictionary shows as the characters it is made
// of.
QString html(const Article& article);

// The Russian label of one of Mueller's parts of speech ("n." is "сущ."); any other label is
// given back as it is.
QString partOfSpeech(const QString& label);

// The link to an entry, and the entry a link points to (nothing for a link not ours).
QUrl link(const QString& headword);
std::optional<QString> target(const QUrl& url);

// The headwords a result line may begin with, longest first: the text before each " - " of
// the line (a headword may hold " - " itself). The empty line and a line without " - " give
// none.
QStringList headwordCandidates(const QString& line);

// The window's title for an article: «Статья — run».
QString title(const QString& headword);

} // namespace ArticleText
} // namespace zarvik
