#include "panel/SkinDressing.h"

#include "panel/ArticleWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "settings/Settings.h"
#include "skins/Skin.h"

namespace zarvik {

bool applyskin(Settings& settings, SkinLoader& skins, Form3& panel, Form1* dictionary)
{
    const Skin skin = skins.load(settings.text(Key::skinname, kBuiltInSkin));
    panel.wearSkin(skin);
    if (dictionary)
        dictionary->wearSkin(skin);
    return skin.isComplete();
}

bool applyskin(Settings& settings, SkinLoader& skins, Form1& dictionary)
{
    const Skin skin = skins.load(settings.text(Key::skinname, kBuiltInSkin));
    dictionary.wearSkin(skin);
    return skin.isComplete();
}

bool applyskin(Settings& settings, SkinLoader& skins, ArticleWindow& article)
{
    const Skin skin = skins.load(settings.text(Key::skinname, kBuiltInSkin));
    article.wearSkin(skin);
    return skin.isComplete();
}

bool applyskin(Settings& settings, const QString& programDir, Form3& panel, Form1* dictionary)
{
    SkinLoader skins(programDir);
    return applyskin(settings, skins, panel, dictionary);
}

bool applyskin(Settings& settings, const QString& programDir, Form1& dictionary)
{
    SkinLoader skins(programDir);
    return applyskin(settings, skins, dictionary);
}

} // namespace zarvik
