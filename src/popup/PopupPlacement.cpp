#include "popup/PopupPlacement.h"

#include "app/Units.h"

namespace zarvik {

namespace {
constexpr int kGapRightOfPointerTwips = 240;
}

StripLayout PopupPlacement::place(int label1WidthTwips, int label2WidthTwips, int mxPixels, int myPixels,
                                  int screenWidthTwips)
{
    StripLayout layout;
    layout.label2Left = label1WidthTwips;
    layout.width = layout.label2Left + label2WidthTwips;
    const int x = pixelsToTwips(mxPixels) + kGapRightOfPointerTwips;
    layout.left = x + layout.width > screenWidthTwips ? screenWidthTwips - layout.width : x;
    layout.top = pixelsToTwips(myPixels);
    return layout;
}

} // namespace zarvik
