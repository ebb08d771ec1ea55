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

// How wide the strip's two labels may be on a monitor, in twips. A line that fits is left as
// it is; a longer translation wraps onto further lines within the monitor's width, the
// headword staying whole on the first line.
struct StripWrap {
    int label1Width = 0; // the headword's label; cut only when it alone would leave no room
    int label2Width = 0; // the translation's label: its one-line width, or the width it wraps in
    bool wraps = false;

    friend bool operator==(const StripWrap&, const StripWrap&) = default;
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

    // The widths the labels are given on a monitor `monitorWidthTwips` wide: the strip is
    // never wider than the monitor. The headword keeps its width up to two thirds of the
    // monitor (a longer one is cut), so that the translation always has a third to wrap in.
    static StripWrap wrap(int label1WidthTwips, int label2WidthTwips, int monitorWidthTwips);
    // The strip's height for a translation of `lines` lines of `lineTwips` each: the one-line
    // strip's 300 twips and a line more for each further line.
    static int height(int lines, int lineTwips);
};

} // namespace zarvik
