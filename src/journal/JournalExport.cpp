#include "journal/JournalExport.h"

#include "journal/Journal.h"

#include <QDateTime>
#include <QSaveFile>

namespace zarvik {

namespace {

QByteArray csvField(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') && !utf8.contains('\r'))
        return utf8;
    utf8.replace('"', "\"\"");
    return '"' + utf8 + '"';
}

QByteArray tsvField(const QString& text)
{
    QString flat = text;
    for (QChar& c : flat) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return flat.toUtf8();
}

} // namespace

ExportFormat exportFormatFor(const QString& fileName)
{
    for (const char* suffix : {".tsv", ".tab", ".txt"}) {
        if (fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return ExportFormat::Tsv;
    }
    return ExportFormat::Csv;
}

QByteArray exportLine(const ExportNote& note, ExportFormat format)
{
    const QString fields[] = {note.word, note.transcription, note.translation, QString::number(note.count),
                              note.last};
    QByteArray line;
    for (const QString& field : fields) {
        if (&field != &fields[0])
            line += format == ExportFormat::Csv ? ',' : '\t';
        line += format == ExportFormat::Csv ? csvField(field) : tsvField(field);
    }
    line += format == ExportFormat::Csv ? "\r\n" : "\n";
    return line;
}

int exportJournal(Journal& journal, const JournalQuery& query, const QString& fileName, ExportFormat format,
                  const std::function<QString(const QString&)>& transcription, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return -1;
    }
    constexpr int kPage = 1000;
    int written = 0;
    for (;;) {
        const QVector<JournalEntry> page = journal.rows(query, written, kPage);
        for (const JournalEntry& e : page) {
            ExportNote note{e.headword, transcription ? transcription(e.headword) : QString(), e.line, e.count,
                            QDateTime::fromSecsSinceEpoch(e.last).toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
            file.write(exportLine(note, format));
        }
        written += int(page.size());
        if (page.size() < kPage)
            break;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return -1;
    }
    return written;
}

} // namespace zarvik
