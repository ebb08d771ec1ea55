#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace zarvik {

class Journal;
struct JournalQuery;

// The journal written out for flash-card programs. CSV is what Anki imports as it stands:
// UTF-8, no header, one note per line, fields quoted as RFC 4180 says (a field holding a comma,
// a double quote or a line break is put in double quotes, its double quotes doubled; lines end
// in CR LF). Tab-separated text holds no quoting: a tab or line break inside a field becomes a
// space there.
enum class ExportFormat { Csv, Tsv };

// Tab-separated for a name ending in ".tsv", ".tab" or ".txt" (letter case ignored), CSV for
// any other.
ExportFormat exportFormatFor(const QString& fileName);

// One note: the word, its transcription ("" where unknown), its translation, how many times it
// was met, when last (local time, "yyyy-MM-dd HH:mm").
struct ExportNote {
    QString word;
    QString transcription;
    QString translation;
    int count = 0;
    QString last;
};

// One line of the file, its line end included.
QByteArray exportLine(const ExportNote& note, ExportFormat format);

// Writes the words `query` selects, in its order, to `fileName` (replaced only once the whole
// file is written). `transcription` gives a headword's transcription. Returns the number of
// words written, or -1 with `error` set.
int exportJournal(Journal& journal, const JournalQuery& query, const QString& fileName, ExportFormat format,
                  const std::function<QString(const QString&)>& transcription, QString* error);

} // namespace zarvik
