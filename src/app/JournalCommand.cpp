#include "app/JournalCommand.h"

#include "dictionary/DictionaryReader.h"
#include "journal/Journal.h"
#include "journal/JournalExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <cstring>

namespace zarvik {

namespace {
int exportNothing(const QString& fileName, QString* error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.commit())
        return 0;
    *error = file.errorString();
    return -1;
}
} // namespace

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
    // No journal yet (nothing recorded, or recording off from the start): the export is
    // empty, and no journal is made just to be read.
    const bool none = !QFileInfo::exists(journal.path());
    if (!none && !journal.open())
        return 1;
    DictionaryReader dictionary;
    dictionary.setDatabaseName(QCoreApplication::applicationDirPath() + QStringLiteral("/zarvik.bdd"));
    JournalQuery query;
    query.favouritesOnly = favourites;
    QString error;
    const auto transcription = [&dictionary](const QString& word) { return dictionary.transcription(word); };
    const int written = none ? exportNothing(file, &error)
                             : exportJournal(journal, query, file, exportFormatFor(file), transcription, &error);
    if (written < 0) {
        std::fprintf(stderr, "zarvik: %s: %s\n", argv[2], qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "zarvik: %d words written to %s\n", written, argv[2]);
    return 0;
}

} // namespace zarvik
