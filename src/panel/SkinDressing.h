#pragma once

#include <QString>

namespace zarvik {

class ArticleWindow;
class Form1;
class Form3;
class Settings;
class SkinLoader;

// Puts the current skin's pictures into the panel and, when it is loaded, the dictionary
// window. Every assignment stands alone: a picture that fails to load leaves its target as
// it was and the others go on. Returns whether the skin is whole (all seven pictures,
// the splash included, which is not dressed here but would fail the next skin test).
bool applyskin(Settings& settings, SkinLoader& skins, Form3& panel, Form1* dictionary);
// The same for the dictionary window alone (a window loaded afresh).
bool applyskin(Settings& settings, SkinLoader& skins, Form1& dictionary);

// The same for the article window.
bool applyskin(Settings& settings, SkinLoader& skins, ArticleWindow& article);

// The same operations with a loader of their own (nothing is kept between calls).
bool applyskin(Settings& settings, const QString& programDir, Form3& panel, Form1* dictionary);
bool applyskin(Settings& settings, const QString& programDir, Form1& dictionary);

} // namespace zarvik
