#pragma once

#include "skins/Skin.h"

#include <QPixmap>
#include <QString>

namespace zarvik {

// The pictures of the built-in skin "(по умолчанию)", stored with the program as resources
// rather than in a folder, so that it can neither be missing nor broken.
class BuiltInSkin final {
public:
    // Makes the resources reachable (picture() does so itself).
    BuiltInSkin();

    // One picture (panelmain 516 x 308, panelbutton1/2 17 x 27: the handle of the closed and
    // of the open panel, dictmain 378 x 207, dictbutton1/2 23 x 21: the close button
    // released and pressed, splash 370 x 217), made the first time it is asked for and kept.
    // The build stores them as raw pixels, so making one is a copy: no image plugin to find
    // and no JPEG to decode, at start-up or later.
    static const QPixmap& picture(SkinFile file);
};

} // namespace zarvik
