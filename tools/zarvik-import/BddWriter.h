#pragma once

#include "dictionary/DictionaryReader.h"

#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

struct sqlite3;

namespace zarvik {

class SqliteConnection;

// Another table of the same file, fed row by row from the same stream of entries (a reverse
// index, say). It may stage its rows in the database "stage" (a temporary file beside the
// output) while the entries stream by, and put them in order into the file at the end.
class TableBuilder {
public:
    virtual ~TableBuilder() = default;
    // Creates its tables: staging ones in the database "stage", final ones in "main".
    virtual void start(sqlite3* db) = 0;
    // One entry as the writer stores it: the headword and its translation line.
    virtual void add(sqlite3* db, const QString& word, const QString& trans) = 0;
    // Fills its final tables from what it staged (the staging database goes afterwards).
    virtual void finish(sqlite3* db) = 0;
};

// Writes a dictionary file in the layout the reader expects (see DictionarySchema.h), taking
// its rows one at a time in source order, so that memory does not grow with the dictionary.
// The rows are sorted by their folded key as they come (stable: rows that share a headword
// keep their order), in bounded memory and in sorted runs on disk beside the output beyond
// it (RunSorter); at the end they are merged into the table in key order.
//
// The file is built beside the output under a temporary name, flushed to disk and renamed
// over the output only when complete: a failure leaves an existing output as it was and
// leaves no half-built file behind.
class BddWriter final {
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;

    explicit BddWriter(QString outputPath);
    ~BddWriter();
    BddWriter(const BddWriter&) = delete;
    BddWriter& operator=(const BddWriter&) = delete;

    // Extra name/value pairs for the metadata table (source, mode...).
    void addMeta(const QString& name, const QString& value) { m_meta.emplace_back(name, value); }
    // Called while the sorted rows are written into the file (done of total).
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // A further table fed from the same rows; before begin().
    void addTable(TableBuilder* table) { m_tables.push_back(table); }

    // Starts the temporary file. Throws ImportError when the output cannot be written there.
    void begin();
    // One row, in source order, with the entry's whole article where it has one (encoded and
    // deflated, see ArticleCodec.h) and its first transcription.
    void add(const QString& word, const QString& trans, QByteArrayView article = {},
             const QString& transcription = QString());
    // The dictionary the articles are deflated with; before finish().
    void setArticleDictionary(const QByteArray& dictionary) { m_articleDictionary = dictionary; }
    qint64 articles() const { return m_articles; }
    qint64 count() const { return m_count; }
    // Sorts, writes, syncs and renames the file over the output.
    void finish();

    // All rows at once: begin(), add() each, finish().
    void write(const std::vector<Entry>& rows);

private:
    QString m_output;
    std::vector<std::pair<QString, QString>> m_meta;
    std::vector<TableBuilder*> m_tables;
    Progress m_progress;
    qint64 m_count = 0;
    qint64 m_articles = 0;
    QByteArray m_articleDictionary;
    struct Build;
    std::unique_ptr<Build> m_build;
};

} // namespace zarvik
