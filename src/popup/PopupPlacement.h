#pragma once

#include <QRect>

namespace zarvik {

// Where the show step puts the strip, all in twips.
struct StripLayout {
    int label2Left = 0; // the translation starts where the headword's label ends
    int width = 0;      // outer width of the strip
    int left = 0;
    int top = 0;

    friend bool operator==(const StripLayout&, const StripLayout&) = default;
};

// The show step's arithmetic, apart from any widget. The pointer position is in pixels and
// is turned into twips with the fixed factor 15, whatever the screen's resolution.
class PopupPlacement final {
public:
    // The strip sits 16 pixels right of the pointer, level with it. When it would stick out
    // past the right edge of the screen it is put flush with that edge instead; it never
    // starts left of the screen's left edge (a strip wider than the screen is cut at the
    // right, where the translation ends, rather than at the headword), and when it would
    // reach below the bottom edge it moves up to end at that edge. `screen` is the monitor
    // under the pointer, in twips.
    static StripLayout place(int label1WidthTwips, int label2WidthTwips, int mxPixels, int myPixels,
                             const QRect& screenTwips, int heightTwips);
};

} // namespace zarvik
