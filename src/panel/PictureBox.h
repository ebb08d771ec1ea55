#pragma once

#include <QPixmap>
#include <QWidget>

namespace zarvik {

// A rectangle that reports the mouse: the transparent labels of the forms that take drags
// and clicks, and the base of the picture boxes.
class MouseArea : public QWidget {
    Q_OBJECT
public:
    explicit MouseArea(QWidget* parent = nullptr);

signals:
    // Positions are pixels within the widget; global positions are screen pixels.
    void pressed(Qt::MouseButton button, QPointF position, QPoint globalPosition);
    void moved(QPointF position, QPoint globalPosition);
    void released(Qt::MouseButton button, QPointF position);
    // A left press and release that both landed on the widget.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// Draws `picture` unscaled from the top-left corner of `widget`, from its paint event; a null
// picture leaves the background as it is.
void paintPicture(QWidget* widget, const QPixmap& picture);

// A picture box: shows its picture unscaled from its top-left corner. The invisible ones
// only hold a picture for another box to copy.
class PictureBox final : public MouseArea {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QPixmap& picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace zarvik
