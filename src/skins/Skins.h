#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

class Form1;
class Form3;
class Settings;
class Skin;
class SkinLoader;

// The skin operations: a skin is the built-in one, "(по умолчанию)", or a folder of seven
// JPEG pictures under the program folder's "skins" folder.
namespace Skins {

// The seven files of a skin folder, in the order in which the skin test loads them.
QStringList fileNames();
// The folder of a named skin.
QString folder(const QString& programDir, const QString& skinName);

} // namespace Skins

// The skin test: when the stored skin is a folder and any of its seven pictures fails to
// load, `skinname` is reset to the built-in skin. Returns whether the stored skin was usable.
bool testskin(Settings& settings, SkinLoader& skins);

// Puts the current skin's pictures into the panel and, when it is loaded, the dictionary
// window. Every assignment stands alone: a picture that fails to load leaves its target as
// it was and the others go on. Returns whether the skin is whole (all seven pictures,
// the splash included, which is not dressed here but would fail the next skin test).
bool applyskin(Settings& settings, SkinLoader& skins, Form3& panel, Form1* dictionary);
// The same for the dictionary window alone (a window loaded afresh).
bool applyskin(Settings& settings, SkinLoader& skins, Form1& dictionary);

// Dresses the forms in a skin already loaded; null pictures leave their targets as they were.
void wearSkin(const Skin& skin, Form3& panel, Form1* dictionary);
void wearSkin(const Skin& skin, Form1& dictionary);

// The same operations with a loader of their own (nothing is kept between calls).
bool testskin(Settings& settings, const QString& programDir);
bool applyskin(Settings& settings, const QString& programDir, Form3& panel, Form1* dictionary);
bool applyskin(Settings& settings, const QString& programDir, Form1& dictionary);

} // namespace zarvik
