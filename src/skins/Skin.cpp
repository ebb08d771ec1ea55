#include "skins/Skin.h"

#include "settings/Settings.h"
#include "skins/BuiltInSkin.h"
#include "skins/JpegLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace zarvik {

namespace {

struct FileInfo {
    const char* name;
    QSize size;
};

constexpr std::array<FileInfo, kSkinFileCount> kFiles{{
    {"panelbutton1.jpg", {17, 27}},
    {"panelbutton2.jpg", {17, 27}},
    {"dictbutton1.jpg", {23, 21}},
    {"dictbutton2.jpg", {23, 21}},
    {"splash.jpg", {370, 217}},
    {"dictmain.jpg", {378, 207}},
    {"panelmain.jpg", {516, 308}},
}};

// Even a picture within its bound never needs more than this; a file whose header lies
// about its size is refused by the reader instead of taking the memory.
constexpr int kAllocationLimitMb = 16;

// A progressive JPEG, or one in several scans, cannot be cut while it is read: the decoder
// holds the coefficients of the whole picture, whatever part of it is kept (a progressive
// 10000 x 10000 picture took 330 MB). Such a picture is refused when that buffer would pass
// this bound, which still takes 1.4 million pixels in full colour (twice the largest
// built-in picture on each side is 0.64 million).
constexpr qint64 kWholePictureBytes = 8 * 1024 * 1024;

// Whether the file's own structure allows decoding it within the bounds above. A JPEG cut
// short is refused too: the decoder would fill its missing part with grey and call it done.
bool decodable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<JpegLayout> jpeg = JpegLayout::read(file);
    if (!jpeg)
        return true; // another format: its reader's own checks and the allocation limit hold
    return jpeg->complete && !(jpeg->decodedWhole() && jpeg->coefficientBytes > kWholePictureBytes);
}

} // namespace

QString Skin::fileName(SkinFile file)
{
    return QString::fromLatin1(kFiles[static_cast<size_t>(file)].name);
}

QSize Skin::targetSize(SkinFile file)
{
    return kFiles[static_cast<size_t>(file)].size;
}

const QPixmap& Skin::picture(SkinFile file) const
{
    if (m_builtIn)
        return BuiltInSkin::picture(file);
    return m_pictures[static_cast<size_t>(file)];
}

bool Skin::isComplete() const
{
    // The built-in skin is part of the program: it can be neither missing nor broken.
    if (m_builtIn)
        return true;
    for (const QPixmap& picture : m_pictures) {
        if (picture.isNull())
            return false;
    }
    return true;
}

SkinLoader::SkinLoader(QString programDir) : m_programDir(std::move(programDir)) {}

QString SkinLoader::folder(const QString& skinName) const
{
    return m_programDir + QStringLiteral("/skins/") + skinName;
}

QImage SkinLoader::decodeBounded(const QString& path, QSize bound)
{
    if (!decodable(path))
        return {};
    QImageReader reader(path);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setClipRect(QRect(QPoint(0, 0), size.boundedTo(bound)));
    QImage image = reader.read();
    // A reader that cannot cut while reading has read the whole picture: cut it now, so that
    // at least nothing larger is kept.
    if (!image.isNull() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.copy(QRect(QPoint(0, 0), image.size().boundedTo(bound)));
    return image;
}

QPixmap SkinLoader::pictureOf(SkinFile file, const QString& path)
{
    Decoded& last = m_last[static_cast<size_t>(file)];
    const QFileInfo info(path);
    if (!info.isFile()) {
        last = {};
        return {};
    }
    // A file replaced by rename or rewritten in place changes its change time, and usually
    // its size or modification time too.
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    const QDateTime changed = info.metadataChangeTime();
    if (last.path == path && last.size == size && last.modified == modified && last.changed == changed &&
        !last.picture.isNull())
        return last.picture;

    ++m_decodes;
    const QImage image = decodeBounded(path, decodeBound(file));
    last = {path, size, modified, changed, image.isNull() ? QPixmap() : QPixmap::fromImage(image)};
    return last.picture;
}

Skin SkinLoader::load(const QString& skinName)
{
    if (skinName == kBuiltInSkin) {
        // Its pictures are decoded as they are asked for (see BuiltInSkin).
        Skin skin;
        skin.m_builtIn = true;
        return skin;
    }
    const QString dir = folder(skinName);
    Skin skin;
    for (int i = 0; i < kSkinFileCount; ++i)
        skin.m_pictures[static_cast<size_t>(i)] =
            pictureOf(Skin::fileAt(i), dir + QLatin1Char('/') + Skin::fileName(Skin::fileAt(i)));
    return skin;
}

QPixmap SkinLoader::picture(const QString& skinName, SkinFile file)
{
    if (skinName == kBuiltInSkin)
        return load(skinName).picture(file);
    return pictureOf(file, folder(skinName) + QLatin1Char('/') + Skin::fileName(file));
}

} // namespace zarvik
