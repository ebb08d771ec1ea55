#pragma once

#include <QCursor>
#include <QImage>

namespace zarvik {

// Zarvik's own pictures, drawn rather than stored, so that one drawing serves the tray icon,
// the desktop icons written at build time and the about box at any size.
namespace Artwork {

// The size at which the tray shows the program's icon.
inline constexpr int kTraySize = 32;
// The program's icon, size x size pixels.
QImage icon(int size);
// The vendor's logo of the about box, 88 x 31 pixels.
QImage logo();
// The pointer over links: a pointing hand of 32 x 32 pixels, hot spot at the fingertip (6, 0).
QImage handPointer();
QCursor handCursor();

} // namespace Artwork

} // namespace zarvik
