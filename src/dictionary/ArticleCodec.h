#pragma once

#include "dictionary/Article.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace zarvik::articles {

// How a whole article is kept in the file (see DictionarySchema.h): its blocks as text, then
// deflated with a dictionary of text common to the file's articles.
//
// The text is version 1: the byte '1', then the blocks, each ended by a record separator
// (0x1E): its kind's letter, its number, a unit separator (0x1F), its text, a unit separator,
// its extra. Dictionary text holds no control characters (the importer makes them blanks), so
// no field needs escaping, and the text deflates as well as the article itself. Any bytes
// decode to something or to nothing: an unknown kind or version, a field too many, or more
// than kMaxBlocks make the whole text unusable, never more than that.

// The most of an article's text, inflated, and of its deflated form: a real article is a few
// kilobytes (the longest of Mueller's is about 40); a hostile one goes no further.
inline constexpr qsizetype kMaxTextBytes = 2 * 1024 * 1024;
inline constexpr qsizetype kMaxStoredBytes = 2 * 1024 * 1024;
// The most blocks one article gives (Mueller's longest has about two thousand).
inline constexpr qsizetype kMaxBlocks = 20000;
// The most of the shared dictionary that deflate can use.
inline constexpr qsizetype kMaxDictionaryBytes = 32 * 1024;

QByteArray encode(const Article& article);
// The blocks of an encoded article (its headword is not stored); nullopt for malformed text.
std::optional<Article> decode(QByteArrayView text);

// Deflates an article's text with the shared dictionary (at most kMaxDictionaryBytes of it).
QByteArray compress(QByteArrayView text, QByteArrayView dictionary);
// Inflates what compress() made with the same dictionary; nullopt when the stored form is
// longer than kMaxStoredBytes, inflates to more than kMaxTextBytes, or is no such stream.
std::optional<QByteArray> inflate(QByteArrayView stored, QByteArrayView dictionary);

// Makes a field's text storable: control characters become blanks.
QString storable(const QString& text);

// Articles are stored in groups of entries that follow one another in key order, each group
// deflated as one: a lone article of a few hundred bytes deflates poorly, and setting the
// shared dictionary costs as much as deflating one. Measured on Mueller at level 5: sixteen
// entries or 4 KiB a group, 3.19 MB in 0.58 s; 64 entries or 16 KiB, 2.98 MB in 0.33 s, and
// one row instead of 64 saves their keys. Reading one article then inflates at most about
// 16 KiB, some tens of microseconds. A group's text is
// its entries one after the other, each a group separator (0x1D), its key, a unit separator,
// its Seq in decimal, a unit separator, its transcription, a unit separator, and its encoded
// article (see encode()).
inline constexpr int kGroupEntries = 64;
// A group closes once its text reaches this, so that reading one article inflates little more
// than that article.
inline constexpr qsizetype kGroupBytes = 16 * 1024;

void appendToGroup(QByteArray& group, QByteArrayView key, qint64 seq, QByteArrayView transcription,
                   QByteArrayView text);
// The transcription and encoded article of (key, seq) in a group's text; nullopt when the
// group has no such entry or is malformed.
struct GroupEntry {
    QByteArrayView transcription;
    QByteArrayView text;
};
std::optional<GroupEntry> findInGroup(QByteArrayView group, QByteArrayView key, qint64 seq);

} // namespace zarvik::articles
