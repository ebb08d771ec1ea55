// zarvik-import [--full] [--max-length N] [--report FILE] INPUT OUTPUT.bdd
// Builds the dictionary file of the program from a dictd, StarDict or tab-separated source.
//
// Messages put file names and entries only into placeholders filled in one pass
// (QString::arg with several arguments), so a "%1" in a file name prints as itself.
#include "DictionaryImporter.h"
#include "ImportError.h"

#include <QElapsedTimer>
#include <QFile>
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
    "usage: zarvik-import [--full] [--max-length N] [--report FILE] INPUT OUTPUT.bdd\n"
    "  INPUT   a dictd NAME.index (with NAME.dict or NAME.dict.dz), a StarDict NAME.ifo\n"
    "          (with NAME.idx and NAME.dict[.dz]), or a UTF-8 .tsv/.txt file of\n"
    "          headword TAB translation lines\n"
    "  --full  keep whole articles (up to 4096 characters) instead of one short line\n"
    "  --max-length N  bound of the short line in characters (default 120)\n"
    "  --report FILE   list every entry whose line has no Cyrillic letter, with its reason,\n"
    "                  in FILE (word TAB reason TAB line); without it the first few are\n"
    "                  listed on standard error\n";

// Entries without Russian text listed on standard error when no report file is asked for:
// enough to see what they are, not a flood for a dictionary in another language.
constexpr size_t kListedOnStderr = 10;

QString tabFree(const QString& text)
{
    return QString(text).replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Writes the list of entries without Russian text; false (and the reason) when the file
// cannot be written.
bool writeReport(const QString& path, const ImportReport& report, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = file.errorString();
        return false;
    }
    QByteArray text;
    for (const UntranslatedEntry& e : report.untranslated)
        text += (tabFree(e.word) + QLatin1Char('\t') + e.reason + QLatin1Char('\t') + tabFree(e.line) + QLatin1Char('\n'))
                    .toUtf8();
    if (report.untranslatedCount > qint64(report.untranslated.size()))
        text += QStringLiteral("... and %1 more, not listed\n")
                    .arg(report.untranslatedCount - qint64(report.untranslated.size()))
                    .toUtf8();
    if (file.write(text) != text.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    ImportOptions options;
    QStringList paths;
    QString reportPath;
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
        } else if (arg == QLatin1String("--report") && i + 1 < argc) {
            reportPath = QString::fromLocal8Bit(argv[++i]);
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
        print(stderr, QStringLiteral("%1: read %2 entries (%3)\n")
                          .arg(paths[0], QString::number(report.read), report.format));
        for (const auto& [reason, count] : report.skipped)
            print(stderr, QStringLiteral("  skipped %1 %2\n").arg(QString::number(count), reason));
        print(stderr, QStringLiteral("%1: wrote %2 rows (%3) in %4 s\n")
                          .arg(paths[1], QString::number(report.written),
                               options.full ? QStringLiteral("whole articles") : QStringLiteral("short lines"),
                               QString::number(double(timer.elapsed()) / 1000.0, 'f', 2)));
        print(stderr, QStringLiteral("  reverse index: %1 Russian words and phrases\n").arg(QString::number(report.reverseEntries)));
        if (report.referencesResolved + report.referencesUnresolved > 0)
            print(stderr, QStringLiteral("  references: %1 resolved, %2 left as notes\n")
                              .arg(QString::number(report.referencesResolved),
                                   QString::number(report.referencesUnresolved)));
        const qint64 untranslated = report.untranslatedCount;
        const QString share = QString::number(report.written ? 100.0 * double(untranslated) / double(report.written) : 0.0, 'f', 2);
        if (!reportPath.isEmpty()) {
            QString error;
            if (!writeReport(reportPath, report, &error)) {
                // The dictionary itself is complete; only the list is missing.
                print(stderr, QStringLiteral("zarvik-import: %1 was written, but the report %2 cannot be (%3)\n")
                                  .arg(paths[1], reportPath, error));
                return 1;
            }
            print(stderr, QStringLiteral("  %1 entries (%2 %) without Cyrillic, listed in %3\n")
                              .arg(QString::number(untranslated), share, reportPath));
        } else if (untranslated > 0) {
            print(stderr, QStringLiteral("  %1 entries (%2 %) without Cyrillic:\n").arg(QString::number(untranslated), share));
            for (size_t i = 0; i < report.untranslated.size() && i < kListedOnStderr; ++i) {
                const UntranslatedEntry& e = report.untranslated[i];
                print(stderr, QStringLiteral("    %1 - %2 (%3)\n").arg(e.word, e.line, e.reason));
            }
            if (untranslated > qint64(kListedOnStderr))
                print(stderr, QStringLiteral("    ... and %1 more (--report FILE lists all)\n")
                                  .arg(QString::number(untranslated - qint64(kListedOnStderr))));
        } else {
            print(stderr, QStringLiteral("  every entry has Russian text\n"));
        }
        return 0;
    } catch (const ImportError& e) {
        print(stderr, QStringLiteral("zarvik-import: %1\n").arg(e.message()));
        print(stderr, QStringLiteral("zarvik-import: nothing written; %1 is unchanged\n").arg(paths[1]));
        return 1;
    }
}
