#pragma once

#include <QListWidget>

namespace zarvik {

// The result list of the panel and of the dictionary window: plain lines, no selection, no
// scroll bars, drawn over the skin, never holding the keyboard focus.
class ResultList final : public QListWidget {
    Q_OBJECT
public:
    explicit ResultList(QWidget* parent = nullptr);

    // Replaces every line.
    void setLines(const QStringList& lines);
    QStringList lines() const;

    // Pixel height of one line. The sizing rule of the panel reserves 208 twips (13.9 pixels)
    // per line after a first line of 255 twips (17 pixels); a 13-pixel line therefore always
    // fits, so ten lines show without a scroll bar in the height the rule gives.
    static constexpr int kLinePixels = 13;
    // DejaVu Sans at this pixel size carries Cyrillic and fits the line height above.
    static constexpr int kFontPixels = 11;
};

} // namespace zarvik
