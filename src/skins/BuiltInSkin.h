#pragma once

#include "skins/Skin.h"

#include <QPixmap>
#include <QString>
#include <vector>

namespace zarvik {

// The pictures of the built-in skin "(по умолчанию)", stored with the program as resources
// rather than in a folder, so that it can neither be missing nor broken.
class BuiltInSkin final {
public:
    // Makes the resources reachable by their paths (picture() does so itself).
    BuiltInSkin();

    // The resource path of one of the seven skin files ("panelmain.jpg" ...).
    static QString resourcePath(const QString& fileName);

    // One picture (panelmain 516 x 308, panelbutton1/2 17 x 27: the handle of the closed and
    // of the open panel, dictmain 378 x 207, dictbutton1/2 23 x 21: the close button
    // released and pressed, splash 370 x 217), decoded the first time it is asked for and
    // kept: a start without the splash never decodes it, and the start-up puts the panel on
    // the screen before it decodes what only the hidden dictionary window shows.
    static const QPixmap& picture(SkinFile file);
    // Starts decoding the given pictures on a second thread, for a start-up that will show
    // them; picture() then takes them from there, waiting for the decoding if it has not
    // ended, rather than decoding them itself. Called on the interface thread only.
    static void decodeAhead(std::vector<SkinFile> files);
};

} // namespace zarvik
