#include "app/JournalCommand.h"

#include "dictionary/DictionaryReader.h"
#include "journal/Journal.h"
#include "journal/JournalExport.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>

namespace zarvik {

int runJournalExport(int argc, char* argv[])
{
    if (argc < 2 || std::strcmp(argv[1], kExportJournalArgument) != 0)
        return -1;
    const bool favourites = argc == 4 && std::strcmp(argv[3], kFavouritesArgument) == 0;
    if (argc != 3 && !favourites) {
        std::fprintf(stderr, "usage: zarvik %s FILE [%s]\n", kExportJournalArgument, kFavouritesArgument);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QString file = QFile::decodeName(argv[2]);
    Journal journal(Journal::defaultFolder());
    if (!journal.open())
        return 1;
    DictionaryReader dictionary;
    dictionary.setDatabaseName(QCoreApplication::applicationDirPath() + QStringLiteral("/zarvik.bdd"));
    JournalQuery query;
    query.favouritesOnly = favourites;
    QString error;
    const int written =
        exportJournal(journal, query, file, exportFormatFor(file),
                      [&dictionary](const QString& word) { return dictionary.transcription(word); }, &error);
    if (written < 0) {
        std::fprintf(stderr, "zarvik: %s: %s\n", argv[2], qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "zarvik: %d words written to %s\n", written, argv[2]);
    return 0;
}

} // namespace zarvik
