#include "panel/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace zarvik {

MouseArea::MouseArea(QWidget* parent) : QWidget(parent) {}

void MouseArea::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button(), event->position(), event->globalPosition().toPoint());
    event->accept();
}

void MouseArea::mouseMoveEvent(QMouseEvent* event)
{
    emit moved(event->position(), event->globalPosition().toPoint());
    event->accept();
}

void MouseArea::mouseReleaseEvent(QMouseEvent* event)
{
    emit released(event->button(), event->position());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

PictureBox::PictureBox(QWidget* parent) : MouseArea(parent) {}

void PictureBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    paintPicture(this, m_picture);
}

void paintPicture(QWidget* widget, const QPixmap& picture)
{
    if (picture.isNull())
        return;
    QPainter painter(widget);
    painter.drawPixmap(0, 0, picture);
}

} // namespace zarvik
