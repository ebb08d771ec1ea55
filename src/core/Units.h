#pragma once

namespace zarvik {

// Positions and sizes in the logic are twips; the desktop works in pixels. The pop-up's
// placement uses the fixed factor whatever the screen's resolution, and so does everything
// else, so that all of the program agrees on one conversion.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int twipsToPixels(double twips)
{
    // Round half away from zero so that -10000 twips and 10000 twips park symmetrically.
    return static_cast<int>(twips >= 0 ? (twips / kTwipsPerPixel) + 0.5 : (twips / kTwipsPerPixel) - 0.5);
}

inline constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace zarvik
