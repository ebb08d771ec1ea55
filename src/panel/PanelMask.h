#pragma once

#include <QImage>
#include <QRegion>

namespace zarvik {

// The panel's outline: a 516 x 308 picture whose inside is the window. Outside are a one-pixel
// frame, the rounded left end of the 24-pixel strip and everything left of the body below it.
namespace PanelMask {

inline constexpr int kWidth = 516;
inline constexpr int kHeight = 308;
// First column of the body below the strip.
inline constexpr int kBodyLeft = 92;

// First column inside the outline on the given row, or -1 for a row that is wholly outside.
int firstInsideColumn(int row);
// The outline as a window region (needs no display).
QRegion region();
// The outline as a two-colour picture: white inside, black outside.
QImage image();

} // namespace PanelMask
} // namespace zarvik
