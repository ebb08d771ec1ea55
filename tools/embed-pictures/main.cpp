// Writes each picture given on the command line as raw pixels into the folder given first:
// NAME.raw beside NAME.jpg, holding the width and the height (32-bit, little-endian) and then
// the rows of 32-bit RGB pixels in the byte order of the machine that builds, which is the
// one that runs them. The built-in skin's pictures are embedded so, decoded once at build
// time rather than at every start.
//   embed-pictures OUT_DIR PICTURE...
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: embed-pictures OUT_DIR PICTURE...\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "embed-pictures: cannot make %s\n", qPrintable(out.path()));
        return 1;
    }
    for (const QString& path : args.mid(2)) {
        const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
        const QString target = out.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".raw"));
        QSaveFile file(target);
        if (image.isNull() || !file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "embed-pictures: cannot turn %s into %s\n", qPrintable(path), qPrintable(target));
            return 1;
        }
        const quint32 size[2] = {qToLittleEndian(quint32(image.width())), qToLittleEndian(quint32(image.height()))};
        bool written = file.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size;
        for (int y = 0; written && y < image.height(); ++y) {
            const qint64 row = qint64(image.width()) * 4;
            written = file.write(reinterpret_cast<const char*>(image.constScanLine(y)), row) == row;
        }
        if (!written || !file.commit()) {
            std::fprintf(stderr, "embed-pictures: cannot write %s\n", qPrintable(target));
            return 1;
        }
    }
    return 0;
}
