#pragma once

#include "ReverseIndexBuilder.h"
#include "dictionary/DictionaryReader.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace zarvik {

// Writes a dictionary file in the layout the reader expects (see DictionarySchema.h). The
// rows are sorted by their folded key, stable, so rows that share a headword keep their
// order. The file is built beside the output under a temporary name, flushed to disk and
// renamed over the output only when complete: a failure leaves an existing output as it was
// and leaves no half-built file behind.
class BddWriter final {
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;

    explicit BddWriter(QString outputPath) : m_output(std::move(outputPath)) {}

    // Extra name/value pairs for the metadata table (source, mode...).
    void addMeta(const QString& name, const QString& value) { m_meta.emplace_back(name, value); }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // The reverse index to write beside the entries (rows in key order); none by default.
    void setReverseRows(std::vector<ReverseRow> rows) { m_reverse = std::move(rows); }

    // Throws ImportError when the output cannot be written.
    void write(const std::vector<Entry>& rows);

private:
    QString m_output;
    std::vector<std::pair<QString, QString>> m_meta;
    Progress m_progress;
    std::vector<ReverseRow> m_reverse;
};

} // namespace zarvik
