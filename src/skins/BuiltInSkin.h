#pragma once

#include <QPixmap>
#include <QString>

namespace zarvik {

// The pictures of the built-in skin "(по умолчанию)", stored with the program as resources
// rather than in a folder, so that it can neither be missing nor broken.
class BuiltInSkin final {
public:
    BuiltInSkin();

    // The resource path of one of the seven skin files ("panelmain.jpg" ...).
    static QString resourcePath(const QString& fileName);

    QPixmap picpanelback;     // panelmain, 516 x 308
    QPixmap picpanelleft;     // panelbutton1, 17 x 27: handle of the closed panel
    QPixmap picpanelright;    // panelbutton2, 17 x 27: handle of the open panel
    QPixmap picdicback;       // dictmain, 378 x 207
    QPixmap picdicclose;      // dictbutton1, 23 x 21: close button released
    QPixmap picdicclosepress; // dictbutton2, 23 x 21: close button pressed
    QPixmap splash;           // splash, 370 x 217
};

} // namespace zarvik
