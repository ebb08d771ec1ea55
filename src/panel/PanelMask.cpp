#include "panel/PanelMask.h"

#include <array>

namespace zarvik::PanelMask {

namespace {
// Last outside column of rows 1 to 24: the semicircular left end of the strip.
constexpr std::array<int, 24> kStripEnd{16, 11, 8, 7, 5, 4, 3, 2, 2, 1, 1, 1, 1,
                                        1,  1,  2, 2, 3, 4, 5, 7, 8, 11, 16};
} // namespace

int firstInsideColumn(int row)
{
    if (row <= 0 || row >= kHeight - 1)
        return -1;
    if (row <= static_cast<int>(kStripEnd.size()))
        return kStripEnd[static_cast<size_t>(row - 1)] + 1;
    return kBodyLeft;
}

QRegion region()
{
    QRegion outline;
    // Rows with the same left end are merged into one rectangle, so the body is one piece.
    int bandTop = -1;
    int bandLeft = -1;
    const auto flush = [&](int bandEnd) {
        if (bandLeft >= 0)
            outline += QRect(bandLeft, bandTop, (kWidth - 1) - bandLeft, bandEnd - bandTop);
    };
    for (int row = 0; row < kHeight; ++row) {
        const int left = firstInsideColumn(row);
        if (left != bandLeft) {
            flush(row);
            bandTop = row;
            bandLeft = left;
        }
    }
    flush(kHeight);
    return outline;
}

QImage image()
{
    QImage mask(kWidth, kHeight, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(0);
    for (int row = 0; row < kHeight; ++row) {
        const int left = firstInsideColumn(row);
        if (left < 0)
            continue;
        for (int column = left; column < kWidth - 1; ++column)
            mask.setPixel(column, row, 1);
    }
    return mask;
}

} // namespace zarvik::PanelMask
