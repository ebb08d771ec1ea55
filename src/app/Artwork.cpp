#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zarvik::Artwork {

namespace {

// The colours of the built-in skin's strip and of the pop-up strip, so that the icon looks
// like the program it stands for.
const QColor kBlueTop(0x4a, 0x7d, 0xb8);
const QColor kBlueBottom(0x1f, 0x4a, 0x7c);
const QColor kBlueEdge(0x16, 0x36, 0x5c);
const QColor kStripYellow(0xff, 0xff, 0xc0);
const QColor kInk(0x1a, 0x1a, 0x1a);

QImage transparentCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An outline fitted into the box, its proportions kept.
void drawOutline(QPainter& p, const QPainterPath& outline, const QRectF& box, const QColor& colour)
{
    const QRectF bounds = outline.boundingRect();
    const double scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-bounds.center().x(), -bounds.center().y());
    p.fillPath(t.map(outline), colour);
}

// A letter as a filled outline fitted into the box, so that its size does not depend on the
// font's metrics at small pixel sizes.
void drawLetter(QPainter& p, const QString& letter, const QRectF& box, const QColor& colour)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, letter);
    drawOutline(p, path, box, colour);
}

// The icon's two letters as outlines of our own, in a box of 60 x 72 units: the icon must
// not wait for the fonts (it is shown before the program reads them, see Form2) and looks
// the same whatever fonts the desktop has.
QPainterPath letterZ()
{
    QPainterPath z;
    z.addPolygon(QPolygonF({{0, 0}, {60, 0}, {60, 12}, {19, 60}, {60, 60}, {60, 72}, {0, 72}, {0, 60}, {41, 12}, {0, 12}}));
    z.closeSubpath();
    return z;
}

// A half circle in `circle`, open to the right and drawn out to x = right.
QPainterPath roundOnTheLeft(const QRectF& circle, double right)
{
    QPainterPath shape;
    shape.moveTo(right, circle.top());
    shape.lineTo(circle.center().x(), circle.top());
    shape.arcTo(circle, 90, 180);
    shape.lineTo(right, circle.bottom());
    shape.closeSubpath();
    return shape;
}

QPainterPath letterYa()
{
    // A mirrored R: the stem on the right, the bowl to its left, the leg down to the left.
    const QPainterPath bowl = roundOnTheLeft(QRectF(0, 0, 40, 40), 48);
    const QPainterPath hole = roundOnTheLeft(QRectF(14, 13, 14, 14), 48);
    QPainterPath stem;
    stem.addRect(QRectF(46, 0, 14, 72));
    QPainterPath leg;
    leg.addPolygon(QPolygonF({{18, 36}, {34, 36}, {16, 72}, {0, 72}}));
    leg.closeSubpath();
    return bowl.subtracted(hole).united(stem).united(leg);
}

} // namespace

QImage icon(int size)
{
    QImage image = transparentCanvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double edge = std::max(1.0, s / 32.0);

    // A blue rounded square, the panel's strip colour.
    const QRectF square(edge / 2, edge / 2, s - edge, s - edge);
    QLinearGradient blue(0, 0, 0, s);
    blue.setColorAt(0, kBlueTop);
    blue.setColorAt(1, kBlueBottom);
    p.setPen(QPen(kBlueEdge, edge));
    p.setBrush(blue);
    p.drawRoundedRect(square, s * 0.18, s * 0.18);

    // A big white Z for the program's name.
    drawOutline(p, letterZ(), QRectF(s * 0.12, s * 0.10, s * 0.50, s * 0.56), Qt::white);

    // The light-yellow translation strip across the lower right corner, with a Russian letter
    // on it once the icon is large enough to show one.
    const QRectF strip(s * 0.40, s * 0.52, s * 0.52, s * 0.38);
    p.setPen(QPen(kBlueEdge, edge * 0.75));
    p.setBrush(kStripYellow);
    p.drawRoundedRect(strip, s * 0.06, s * 0.06);
    if (size >= 20)
        drawOutline(p, letterYa(), strip.adjusted(s * 0.10, s * 0.06, -s * 0.10, -s * 0.06), kInk);
    return image;
}

QImage logo()
{
    constexpr int kWidth = 88;
    constexpr int kHeight = 31;
    QImage image = transparentCanvas(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient blue(0, 0, 0, kHeight);
    blue.setColorAt(0, kBlueTop);
    blue.setColorAt(1, kBlueBottom);
    p.setPen(QPen(kBlueEdge, 1));
    p.setBrush(blue);
    p.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 4, 4);
    p.drawImage(QPoint(3, 3), icon(25));
    drawLetter(p, QStringLiteral("Zarvik"), QRectF(31, 7, 52, 17), Qt::white);
    return image;
}

QImage handPointer()
{
    QImage image = transparentCanvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The index finger points up from the hot spot (6, 0); the palm with its folded fingers
    // and the thumb lie below and to the right.
    QPainterPath hand;
    hand.addRoundedRect(QRectF(3.5, 0.5, 5, 14), 2.5, 2.5);  // index finger
    hand.addRoundedRect(QRectF(8, 7.5, 4.5, 8), 2, 2);       // middle finger
    hand.addRoundedRect(QRectF(12, 8.5, 4.5, 7.5), 2, 2);    // ring finger
    hand.addRoundedRect(QRectF(16, 9.5, 4, 7), 2, 2);        // little finger
    hand.addRoundedRect(QRectF(3.5, 12, 17, 10), 3, 3);      // palm
    QPainterPath thumb;
    thumb.moveTo(4, 15);
    thumb.lineTo(0.8, 12.5);
    thumb.quadTo(-0.2, 14.5, 1.5, 16.5);
    thumb.lineTo(5, 20);
    hand = hand.united(thumb).simplified();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    return image;
}

QCursor handCursor()
{
    return QCursor(QPixmap::fromImage(handPointer()), 6, 0);
}

} // namespace zarvik::Artwork
