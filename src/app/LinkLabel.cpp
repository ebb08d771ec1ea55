#include "app/LinkLabel.h"

#include "app/Artwork.h"

#include <QMouseEvent>

namespace zarvik {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, linkColour());
    setPalette(palette);
    setCursor(Artwork::handCursor());
    adjustSize();
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

QLabel* placedLabel(QWidget* parent, const QString& text, QPoint position)
{
    auto* l = new QLabel(text, parent);
    l->move(position);
    l->adjustSize();
    return l;
}

} // namespace zarvik
