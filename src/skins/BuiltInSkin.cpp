#include "skins/BuiltInSkin.h"

#include <QImage>
#include <array>
#include <future>
#include <optional>
#include <system_error>

// The resources live in a static library: they must be registered by name, or the linker
// drops them. Q_INIT_RESOURCE may not be used inside a namespace.
static void registerBuiltInSkinResources()
{
    Q_INIT_RESOURCE(builtin);
}

namespace zarvik {

BuiltInSkin::BuiltInSkin()
{
    registerBuiltInSkinResources();
}

QString BuiltInSkin::resourcePath(const QString& fileName)
{
    return QStringLiteral(":/skins/builtin/") + fileName;
}

namespace {

using Images = std::array<QImage, kSkinFileCount>;

// The second thread's images, until the first picture asked for takes them all.
std::future<Images>& ahead()
{
    static std::future<Images> images;
    return images;
}

} // namespace

const QPixmap& BuiltInSkin::picture(SkinFile file)
{
    // Pictures belong to the interface thread, which is the only one that asks; the second
    // thread decodes images only, which the toolkit allows off that thread.
    static std::array<std::optional<QPixmap>, kSkinFileCount> decoded;
    if (ahead().valid()) {
        Images images = ahead().get();
        for (size_t i = 0; i < images.size(); ++i) {
            if (!images[i].isNull() && !decoded[i])
                decoded[i].emplace(QPixmap::fromImage(std::move(images[i])));
        }
    }
    std::optional<QPixmap>& slot = decoded[static_cast<size_t>(file)];
    if (!slot) {
        registerBuiltInSkinResources();
        slot.emplace(resourcePath(Skin::fileName(file)));
    }
    return *slot;
}

void BuiltInSkin::decodeAhead(std::vector<SkinFile> files)
{
    if (ahead().valid())
        return;
    registerBuiltInSkinResources();
    const auto decode = [files = std::move(files)] {
        Images images;
        for (const SkinFile file : files)
            images[static_cast<size_t>(file)] = QImage(resourcePath(Skin::fileName(file)));
        return images;
    };
    try {
        ahead() = std::async(std::launch::async, decode);
    } catch (const std::system_error&) {
        // No thread to spare: each picture is decoded when it is asked for, as without this.
    }
}

} // namespace zarvik
