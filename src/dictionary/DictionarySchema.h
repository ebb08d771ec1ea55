#pragma once

namespace zarvik::schema {

// Layout of "zarvik.bdd". The importer writes it and the reader relies on it; both take the
// texts from here so that they cannot drift apart.
//
// EngRusKeyed holds one row per entry, stored in the order of its key: Key is foldedKey(Word)
// and Seq numbers the rows of one key from 0 in source order, so the table itself is the
// index that both statements range-scan (no rowid, no second copy of the key). Most headwords
// are already in folded form; for those Word is NULL and the key stands for it, so a headword
// is stored once, or twice where its letter case differs from the key.
//
// EngRus (Word, Trans) is a view over it for every other program that reads the file: the
// headword as written and its translation, in headword order.
inline constexpr const char* kTable = "EngRusKeyed";
inline constexpr const char* kCreateTable =
    "CREATE TABLE EngRusKeyed (Key TEXT NOT NULL, Seq INTEGER NOT NULL, Word TEXT, "
    "Trans TEXT NOT NULL DEFAULT '', PRIMARY KEY (Key, Seq)) WITHOUT ROWID";
inline constexpr const char* kCreateView =
    "CREATE VIEW EngRus (Word, Trans) AS SELECT coalesce(Word, Key), Trans FROM EngRusKeyed";
inline constexpr const char* kInsertRow = "INSERT INTO EngRusKeyed (Key, Seq, Word, Trans) VALUES (?1, ?2, ?3, ?4)";

// RusEng is the reverse index: one row per Russian word or short phrase of the translations,
// Trans listing the English headwords that give it ("кошка" - "cat; pussycat; ..."). Key is
// russianKey(Word) and unique, so it is the table's own key (no rowid, no second index), and
// Word is stored only where it differs from Key (a capital, a "ё"): most Russian words are
// written as their key, and the table stays small. Weight is that of the first headword
// (the length of its article): how common the word is. A file without RusEng is still a
// dictionary: Russian text then simply finds nothing.
inline constexpr const char* kReverseTable = "RusEng";
inline constexpr const char* kCreateReverseTable =
    "CREATE TABLE RusEng (Key TEXT NOT NULL PRIMARY KEY, Word TEXT, Trans TEXT NOT NULL DEFAULT '', "
    "Weight INTEGER NOT NULL DEFAULT 0) WITHOUT ROWID";
inline constexpr const char* kInsertReverseRow = "INSERT INTO RusEng (Key, Word, Trans, Weight) VALUES (?1, ?2, ?3, ?4)";

// EngRusArticle holds the whole articles of the entries, in groups of entries that follow one
// another in the order of EngRusKeyed (see ArticleCodec.h): each row is keyed by the Key and
// Seq of its group's first entry, so the reader finds an entry's group with one look in the
// table's index (the last row at or before the entry's (Key, Seq)). Articles is the group's
// text deflated with the shared dictionary that ZarvikMeta keeps under
// kArticleDictionaryName. Unlike EngRusKeyed it keeps its rowid and has an index on (Key,
// Seq): a group is a few kilobytes deflated, and a table without rowid puts what passes a
// quarter of a page on an overflow page of its own, which nearly tripled the table; in a
// rowid table such rows fill their pages (the index over its rows is tiny). The group also gives each entry's first transcription, so the
// strip's transcription costs that look and the inflation of at most about 16 KiB. Entries without
// an article are in no group; a file without the table still serves its lines.
inline constexpr const char* kArticleTable = "EngRusArticle";
inline constexpr const char* kCreateArticleTable =
    "CREATE TABLE EngRusArticle (Key TEXT NOT NULL, Seq INTEGER NOT NULL, Articles BLOB NOT NULL)";
inline constexpr const char* kCreateArticleIndex = "CREATE UNIQUE INDEX EngRusArticleKey ON EngRusArticle (Key, Seq)";
inline constexpr const char* kInsertArticle = "INSERT INTO EngRusArticle (Key, Seq, Articles) VALUES (?1, ?2, ?3)";
inline constexpr const char* kArticleDictionaryName = "articleDictionary";

// A small name/value table that marks the file as ours. The reader trusts the key only when
// this table names a format it knows; any other SQLite file that merely happens to have
// EngRus(Word, Trans) is served from Word alone.
inline constexpr const char* kMetaTable = "ZarvikMeta";
inline constexpr const char* kCreateMeta = "CREATE TABLE ZarvikMeta (Name TEXT PRIMARY KEY, Value TEXT)";
inline constexpr const char* kInsertMeta = "INSERT INTO ZarvikMeta (Name, Value) VALUES (?1, ?2)";
inline constexpr const char* kFormatName = "format";
// The number of rows, so that the word count needs no walk over the whole table.
inline constexpr const char* kEntriesName = "entries";
inline constexpr int kFormatVersion = 2;
// The earlier layout, still read: a rowid table EngRus (Word, Trans, Key) with an index on
// Key, rows inserted in (Key, source order).
inline constexpr int kFormatVersionRowid = 1;

// The most of a translation that a reader takes from the file, in characters. A line longer
// than a screen is of no use in a one-line strip or list, and a hostile file with a
// translation of many megabytes must not reach the widgets (or an X request) whole. The
// importer cuts what it writes to the same length.
inline constexpr int kMaxTransChars = 4096;

} // namespace zarvik::schema
