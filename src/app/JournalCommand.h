#pragma once

namespace zarvik {

// The command-line argument that exports the journal and exits.
inline constexpr char kExportJournalArgument[] = "--export-journal";
inline constexpr char kFavouritesArgument[] = "--favourites";

// `zarvik --export-journal FILE [--favourites]`: writes the journal's words (or its favourites),
// newest first, as the journal window's export does (tab-separated for a .tsv or .txt name, CSV
// for any other) and returns the exit code. Needs no display: it runs before the toolkit's
// windowing part is started, so it works over ssh and in scripts. Returns -1 when the arguments
// are not this command's.
int runJournalExport(int argc, char* argv[]);

} // namespace zarvik
