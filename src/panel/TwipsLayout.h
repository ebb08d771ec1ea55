#pragma once

#include "app/Units.h"

#include <QWidget>

namespace zarvik {

// Places a control at a position and size given in twips, the units the forms are laid out in.
inline void setTwipsGeometry(QWidget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(twipsToPixels(x), twipsToPixels(y), twipsToPixels(width), twipsToPixels(height));
}

} // namespace zarvik
