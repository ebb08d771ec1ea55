#include "skins/BuiltInSkin.h"

#include <array>
#include <optional>

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

const QPixmap& BuiltInSkin::picture(SkinFile file)
{
    // Pictures belong to the interface thread, which is the only one that asks.
    static std::array<std::optional<QPixmap>, kSkinFileCount> decoded;
    std::optional<QPixmap>& slot = decoded[static_cast<size_t>(file)];
    if (!slot) {
        registerBuiltInSkinResources();
        slot.emplace(resourcePath(Skin::fileName(file)));
    }
    return *slot;
}

} // namespace zarvik
