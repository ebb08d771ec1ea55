#pragma once

namespace zarvik::schema {

// Layout of "zarvik.bdd". The importer writes it and the reader relies on it; both take the
// texts from here so that they cannot drift apart.
//
// EngRus holds one row per entry. Key is foldedKey(Word); rows are inserted in ascending
// (Key, source order), so that ordering by (Key, rowid) is both the headword order and the
// order of the index on Key.
inline constexpr const char* kCreateTable =
    "CREATE TABLE EngRus (Word TEXT NOT NULL, Trans TEXT NOT NULL DEFAULT '', Key TEXT NOT NULL)";
inline constexpr const char* kCreateIndex = "CREATE INDEX EngRus_Key ON EngRus (Key)";
inline constexpr const char* kInsertRow = "INSERT INTO EngRus (Word, Trans, Key) VALUES (?1, ?2, ?3)";

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

// A small name/value table that marks the file as ours. The reader trusts the Key column only
// when this table says the file was written in a format it knows; any other SQLite file that
// merely happens to have EngRus(Word, Trans) is served from Word alone.
inline constexpr const char* kMetaTable = "ZarvikMeta";
inline constexpr const char* kCreateMeta = "CREATE TABLE ZarvikMeta (Name TEXT PRIMARY KEY, Value TEXT)";
inline constexpr const char* kInsertMeta = "INSERT INTO ZarvikMeta (Name, Value) VALUES (?1, ?2)";
inline constexpr const char* kFormatName = "format";
inline constexpr int kFormatVersion = 1;

} // namespace zarvik::schema
