#include "popup/PopupPlacement.h"

#include "core/Units.h"

#include <algorithm>

namespace zarvik {

namespace {
constexpr int kGapRightOfPointerTwips = 240;
}

StripLayout PopupPlacement::place(int label1WidthTwips, int label2WidthTwips, int mxPixels, int myPixels,
                                  const QRect& screenTwips, int heightTwips)
{
    StripLayout layout;
    layout.label2Left = label1WidthTwips;
    layout.width = layout.label2Left + label2WidthTwips;
    const int right = screenTwips.x() + screenTwips.width();
    const int bottom = screenTwips.y() + screenTwips.height();
    const int x = pixelsToTwips(mxPixels) + kGapRightOfPointerTwips;
    layout.left = x + layout.width > right ? right - layout.width : x;
    layout.left = std::max(layout.left, screenTwips.x());
    layout.top = pixelsToTwips(myPixels);
    if (layout.top + heightTwips > bottom)
        layout.top = bottom - heightTwips;
    layout.top = std::max(layout.top, screenTwips.y());
    return layout;
}

} // namespace zarvik
