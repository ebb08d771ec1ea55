#include "skins/BuiltInSkin.h"

#include <QFileInfo>
#include <QImage>
#include <QResource>
#include <QtEndian>
#include <array>
#include <cstring>
#include <optional>

// The resources live in a static library: they must be registered by name, or the linker
// drops them. Q_INIT_RESOURCE may not be used inside a namespace.
static void registerBuiltInSkinResources()
{
    Q_INIT_RESOURCE(builtin_pictures);
}

namespace zarvik {

namespace {

// One picture as the build embedded it: width and height (32-bit, little-endian), then the
// rows of 32-bit RGB pixels. A resource that does not hold all that gives a null image.
QImage embeddedImage(const QString& name)
{
    const QResource resource(QStringLiteral(":/skins/builtin/") + name + QStringLiteral(".raw"));
    const qint64 size = resource.size();
    const uchar* data = resource.data();
    if (!data || resource.compressionAlgorithm() != QResource::NoCompression || size < 8)
        return {};
    const quint32 width = qFromLittleEndian<quint32>(data);
    const quint32 height = qFromLittleEndian<quint32>(data + 4);
    if (width == 0 || height == 0 || width > 4096 || height > 4096 || size != 8 + qint64(width) * height * 4)
        return {};
    // Copied rather than wrapped: an image's pixels must be 32-bit aligned, which a resource's
    // are not bound to be.
    QImage image(int(width), int(height), QImage::Format_RGB32);
    std::memcpy(image.bits(), data + 8, size_t(size - 8));
    return image;
}

} // namespace

BuiltInSkin::BuiltInSkin()
{
    registerBuiltInSkinResources();
}

const QPixmap& BuiltInSkin::picture(SkinFile file)
{
    // Pictures belong to the interface thread, which is the only one that asks.
    static std::array<std::optional<QPixmap>, kSkinFileCount> made;
    std::optional<QPixmap>& slot = made[static_cast<size_t>(file)];
    if (!slot) {
        registerBuiltInSkinResources();
        slot.emplace(QPixmap::fromImage(embeddedImage(QFileInfo(Skin::fileName(file)).completeBaseName())));
    }
    return *slot;
}

} // namespace zarvik
