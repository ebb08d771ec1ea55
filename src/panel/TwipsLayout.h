#pragma once

#include "core/Units.h"

#include <QWidget>

namespace zarvik {

// Places a control at a position and size given in twips, the units the forms are laid out in.
inline void setTwipsGeometry(QWidget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(twipsToPixels(x), twipsToPixels(y), twipsToPixels(width), twipsToPixels(height));
}

// Creates a named control of a form at its twips position.
template <typename Control>
Control* placeControl(QWidget* parent, const char* name, int x, int y, int width, int height)
{
    auto* control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    setTwipsGeometry(control, x, y, width, height);
    return control;
}

} // namespace zarvik
