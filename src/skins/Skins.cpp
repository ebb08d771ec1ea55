#include "skins/Skins.h"

#include "settings/Settings.h"
#include "skins/Skin.h"

namespace zarvik {

namespace Skins {

QStringList fileNames()
{
    QStringList names;
    for (int i = 0; i < kSkinFileCount; ++i)
        names.append(Skin::fileName(Skin::fileAt(i)));
    return names;
}

QString folder(const QString& programDir, const QString& skinName)
{
    return programDir + QStringLiteral("/skins/") + skinName;
}

} // namespace Skins

bool testskin(Settings& settings, SkinLoader& skins)
{
    const QString name = settings.text(Key::skinname, kBuiltInSkin);
    if (name == kBuiltInSkin)
        return true;
    if (skins.load(name).isComplete())
        return true;
    settings.write(Key::skinname, kBuiltInSkin);
    return false;
}

bool testskin(Settings& settings, const QString& programDir)
{
    SkinLoader skins(programDir);
    return testskin(settings, skins);
}

} // namespace zarvik
