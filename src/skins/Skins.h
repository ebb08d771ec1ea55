#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

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

// The same with a loader of its own (nothing is kept between calls).
bool testskin(Settings& settings, const QString& programDir);

} // namespace zarvik
