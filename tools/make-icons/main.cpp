// Writes Zarvik's icon at the desktop's usual sizes into a hicolor icon theme folder:
//   make-icons DIR   ->   DIR/<N>x<N>/apps/zarvik.png
// The same drawing is the tray icon at run time, so the desktop entry and the notification
// area show one picture.
#include "app/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icons HICOLOR_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/zarvik.png");
        if (!QDir().mkpath(folder) || !zarvik::Artwork::icon(size).save(file, "PNG")) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
