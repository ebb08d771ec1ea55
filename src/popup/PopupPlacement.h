#pragma once

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
    // past the right edge of the screen it is put flush with that edge instead, which may give
    // a negative left edge for a strip wider than the screen. There is no adjustment at the
    // bottom.
    static StripLayout place(int label1WidthTwips, int label2WidthTwips, int mxPixels, int myPixels,
                             int screenWidthTwips);
};

} // namespace zarvik
