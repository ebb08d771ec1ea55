// zarvik-import [--full] [--max-length N] INPUT OUTPUT.bdd
// Builds the dictionary file of the program from a dictd, StarDict or tab-separated source.
#include "DictionaryImporter.h"
#include "ImportError.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <unistd.h>

using namespace zarvik;

namespace {

void print(FILE* out, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
}

const char* const kUsage =
    "usage: zarvik-import [--full] [--max-length N] INPUT OUTPUT.bdd\n"
    "  INPUT   a dictd NAME.index (with NAME.dict or NAME.dict.dz), a StarDict NAME.ifo\n"
    "          (with NAME.idx and NAME.dict[.dz]), or a UTF-8 .tsv/.txt file of\n"
    "          headword TAB translation lines\n"
    "  --full  keep whole articles instead of one short line per entry\n"
    "  --max-length N  bound of the short line in characters (default 120)\n";

} // namespace

int main(int argc, char** argv)
{
    ImportOptions options;
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--full")) {
            options.full = true;
        } else if (arg == QLatin1String("--max-length") && i + 1 < argc) {
            bool ok = false;
            options.maxLength = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || options.maxLength < 20) {
                std::fputs("zarvik-import: --max-length needs a number of at least 20\n", stderr);
                return 2;
            }
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg.startsWith(QLatin1String("--"))) {
            print(stderr, QStringLiteral("zarvik-import: unknown option %1\n").arg(arg));
            std::fputs(kUsage, stderr);
            return 2;
        } else {
            paths << arg;
        }
    }
    if (paths.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    // A running percentage only where someone watches it, and only when it takes a while.
    const bool terminal = ::isatty(STDERR_FILENO);
    int shown = -1;
    options.progress = [&](qint64 done, qint64 total) {
        if (!terminal || total < 20000)
            return;
        const int percent = int(done * 100 / total);
        if (percent != shown) {
            shown = percent;
            std::fprintf(stderr, "\rwriting %d%%", percent);
            if (done == total)
                std::fputs("\r            \r", stderr);
        }
    };

    QElapsedTimer timer;
    timer.start();
    try {
        const ImportReport report = importDictionary(paths[0], paths[1], options);
        print(stderr, QStringLiteral("%1: read %2 entries (%3)\n").arg(paths[0]).arg(report.read).arg(report.format));
        for (const auto& [reason, count] : report.skipped)
            print(stderr, QStringLiteral("  skipped %1 %2\n").arg(count).arg(reason));
        print(stderr, QStringLiteral("%1: wrote %2 rows (%3) in %4 s\n")
                          .arg(paths[1])
                          .arg(report.written)
                          .arg(options.full ? QStringLiteral("whole articles") : QStringLiteral("short lines"))
                          .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2));
        return 0;
    } catch (const ImportError& e) {
        print(stderr, QStringLiteral("zarvik-import: %1\n").arg(e.message()));
        print(stderr, QStringLiteral("zarvik-import: nothing written; %1 is unchanged\n").arg(paths[1]));
        return 1;
    }
}
