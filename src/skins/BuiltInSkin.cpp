#include "skins/BuiltInSkin.h"

// The resources live in a static library: they must be registered by name, or the linker
// drops them. Q_INIT_RESOURCE may not be used inside a namespace.
static void registerBuiltInSkinResources()
{
    Q_INIT_RESOURCE(builtin);
}

namespace zarvik {

QString BuiltInSkin::resourcePath(const QString& fileName)
{
    return QStringLiteral(":/skins/builtin/") + fileName;
}

BuiltInSkin::BuiltInSkin()
{
    registerBuiltInSkinResources();
    picpanelback.load(resourcePath(QStringLiteral("panelmain.jpg")));
    picpanelleft.load(resourcePath(QStringLiteral("panelbutton1.jpg")));
    picpanelright.load(resourcePath(QStringLiteral("panelbutton2.jpg")));
    picdicback.load(resourcePath(QStringLiteral("dictmain.jpg")));
    picdicclose.load(resourcePath(QStringLiteral("dictbutton1.jpg")));
    picdicclosepress.load(resourcePath(QStringLiteral("dictbutton2.jpg")));
    splash.load(resourcePath(QStringLiteral("splash.jpg")));
}

} // namespace zarvik
