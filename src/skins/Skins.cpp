#include "skins/Skins.h"

#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PictureBox.h"
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

namespace {

template <typename Target> void assign(const Skin& skin, SkinFile file, Target&& target)
{
    const QPixmap& picture = skin.picture(file);
    if (!picture.isNull())
        target(picture);
}

} // namespace

void wearSkin(const Skin& skin, Form3& panel, Form1* dictionary)
{
    assign(skin, SkinFile::panelmain, [&](const QPixmap& p) { panel.Picture1->setPicture(p); });
    // The handle as shown matches the panel's state: a panel restyled while open keeps the
    // handle of an open panel rather than pointing the wrong way until its next slide.
    const bool open = panel.isVisible() && !panel.isClosedPosition();
    assign(skin, open ? SkinFile::panelbutton2 : SkinFile::panelbutton1,
           [&](const QPixmap& p) { panel.Picture2->setPicture(p); });
    assign(skin, SkinFile::panelbutton1, [&](const QPixmap& p) { panel.Picture3->setPicture(p); });
    assign(skin, SkinFile::panelbutton2, [&](const QPixmap& p) { panel.Picture4->setPicture(p); });
    if (dictionary)
        wearSkin(skin, *dictionary);
}

void wearSkin(const Skin& skin, Form1& dictionary)
{
    assign(skin, SkinFile::dictmain, [&](const QPixmap& p) { dictionary.setPicture(p); });
    assign(skin, SkinFile::dictbutton1, [&](const QPixmap& p) { dictionary.Picture1->setPicture(p); });
    assign(skin, SkinFile::dictbutton1, [&](const QPixmap& p) { dictionary.picclose->setPicture(p); });
    assign(skin, SkinFile::dictbutton2, [&](const QPixmap& p) { dictionary.picclosepress->setPicture(p); });
}

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

bool applyskin(Settings& settings, SkinLoader& skins, Form3& panel, Form1* dictionary)
{
    const Skin skin = skins.load(settings.text(Key::skinname, kBuiltInSkin));
    wearSkin(skin, panel, dictionary);
    return skin.isComplete();
}

bool applyskin(Settings& settings, SkinLoader& skins, Form1& dictionary)
{
    const Skin skin = skins.load(settings.text(Key::skinname, kBuiltInSkin));
    wearSkin(skin, dictionary);
    return skin.isComplete();
}

bool testskin(Settings& settings, const QString& programDir)
{
    SkinLoader skins(programDir);
    return testskin(settings, skins);
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
