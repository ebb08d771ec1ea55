#pragma once

#include <QListWidget>

namespace zarvik {

// The result list of the panel and of the dictionary window: plain lines, no selection, no
// scroll bars, drawn over the skin, never holding the keyboard focus.
class ResultList final : public QListWidget {
    Q_OBJECT
public:
    explicit ResultList(QWidget* parent = nullptr);

    // Replaces every line; no line is marked then.
    void setLines(const QStringList& lines);
    QStringList lines() const;

    // The line the keyboard has reached (Down, Up), drawn highlighted: -1 for none. The list
    // has no selection of its own, so a click still leaves it as it was.
    int markedRow() const { return m_marked; }
    void setMarkedRow(int row);
    // One step down (+1) or up (-1); from no mark, Down reaches the first line and Up the
    // last. The empty line of an empty input is never marked.
    void moveMark(int delta);
    // The line an opening takes: the marked one, else the first; "" for none.
    QString lineToOpen() const;

    // Whether the line of the row shows cut at the list's right edge.
    bool isCut(int row) const;
    // The tool tip at a point of the list: a cut line's whole text (as text, however it is
    // made); "" where the list's own tool tip shows.
    QString lineToolTipAt(QPoint viewportPosition) const;

    // Pixel height of one line. The sizing rule of the panel reserves 208 twips (13.9 pixels)
    // per line after a first line of 255 twips (17 pixels); a 13-pixel line therefore always
    // fits, so ten lines show without a scroll bar in the height the rule gives.
    static constexpr int kLinePixels = 13;
    // DejaVu Sans at this pixel size carries Cyrillic and fits the line height above.
    static constexpr int kFontPixels = 11;

signals:
    // A double-click on the line of the row.
    void lineActivated(const QString& line);

protected:
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_marked = -1;
};

} // namespace zarvik
