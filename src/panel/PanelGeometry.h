#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QRect>
#include <QString>
#include <array>
#include <optional>

namespace zarvik {

// Where the dictionary panel stands and how tall it is. All values are twips but the monitors';
// W is the right edge of the panel's monitor and H its height, read anew by the callers every
// time.
namespace PanelGeometry {

// The panel's width is fixed in pixels; everything else is twips.
inline constexpr int kWidthPixels = 383;
// Height of the panel with an empty input: the strip alone.
inline constexpr int kStripHeight = 380;
// A slide moves the panel four times by this much before the final position is set.
inline constexpr int kSlideStep = 1000;
inline constexpr int kSlideSteps = 4;
inline constexpr double kSlidePauseSeconds = 0.03;

// The extra part of the strip that stays on screen with the large panel.
int extraStrip(bool bigpanel);
// Left edge of the closed panel: only the handle (and with E the strip up to the body) shows.
int closedLeft(int screenWidth, int extra);
// Left edge of the open panel.
int openLeft(int screenWidth);
// The four intermediate left edges of a slide from `from`; direction -1 opens, +1 closes.
std::array<int, kSlideSteps> slidePositions(int from, int direction);

// Height of the result list for the given number of lines (at least one).
int listHeight(int lines);
// Height of the panel: the list plus the strip above it, or the bare strip when the list
// holds its single empty line.
int formHeight(int lines, bool inputEmpty);

// The monitor the panel lives on (logical pixels): the one that holds the desktop's right
// edge; of several that share that edge, the one whose rows hold the stored top (pixels),
// else the primary, else the highest. The list must not be empty.
QRect panelMonitor(const QList<Monitor>& monitors, std::optional<double> storedTopPixels);

// The top edge that the activation puts the panel at, given the stored PanelPos text (the
// reader passes the monitor's middle as its default, so an absent key arrives as that text).
// `monitorTop` and `monitorHeight` are the rows of the panel's monitor.
struct TopPlacement {
    double top;
    // The stored value was unusable and the middle must be written back.
    bool store;
};
TopPlacement activationTop(const QString& storedPanelPos, int monitorTop, int monitorHeight);
// Where the window's top is shown: the panel stays whole on its monitor (the one
// panelMonitor picks for `top`), moving up from `top` as far as its height needs, and never
// above the monitor's top. `top` is the panel's own place (what PanelPos stores), which this
// leaves alone; a panel that fits is shown at it. `top` and `height` are twips, the monitors
// logical pixels.
double shownTop(const QList<Monitor>& monitors, double top, int height);
// A press on the handle or strip becomes a drag once the pointer has gone `dragDistancePixels`
// (the toolkit's drag distance) up or down from where the button went down; until then the
// panel stays where it is, and the release is a click however long the button was held.
// Only the vertical movement counts: the panel follows the pointer up and down alone, so a
// press that wandered sideways has not moved it.
bool dragStarts(double movedTwips, int dragDistancePixels);
// Where a drag may put the panel's top: its strip stays whole on its monitor, so the handle
// can always be reached again.
double dragTop(double top, int monitorTop, int monitorHeight);

} // namespace PanelGeometry
} // namespace zarvik
