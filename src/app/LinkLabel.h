#pragma once

#include <QLabel>

namespace zarvik {

// A label that acts as a link: blue text, the pointing hand over it, `clicked` on a left
// click released over it.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    // The links' blue.
    static QColor linkColour() { return QColor(0, 0, 255); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

// A plain label of the splash or the about box, sized to its text at its place.
QLabel* placedLabel(QWidget* parent, const QString& text, QPoint position);

} // namespace zarvik
