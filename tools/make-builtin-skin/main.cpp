// Draws the pictures of the built-in skin and writes them as JPEG files into the folder
// given on the command line. The committed pictures in src/skins/builtin were made with it:
//   QT_QPA_PLATFORM=offscreen make-builtin-skin src/skins/builtin
#include "panel/PanelMask.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

using namespace zarvik;

namespace {

const QColor kStripTop(0x4a, 0x7d, 0xb8);
const QColor kStripBottom(0x1f, 0x4a, 0x7c);
const QColor kStripEdge(0x16, 0x36, 0x5c);
const QColor kBodyTop(0xff, 0xfb, 0xe8);
const QColor kBodyBottom(0xf2, 0xe9, 0xc8);
const QColor kOutside(0x40, 0x40, 0x40);

QLinearGradient stripGradient(int height)
{
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, kStripTop);
    gradient.setColorAt(1, kStripBottom);
    return gradient;
}

QFont font(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QImage canvas(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// 516 x 308: the strip along the top 24 pixels with its rounded left end, the body from
// column 92 down; what the outline cuts away is plain grey.
QImage panelMain()
{
    using namespace PanelMask;
    QImage image = canvas(kWidth, kHeight, kOutside);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(0, 25, 0, kHeight);
    body.setColorAt(0, kBodyTop);
    body.setColorAt(1, kBodyBottom);
    p.fillRect(QRect(kBodyLeft, 24, kWidth - kBodyLeft, kHeight - 24), body);
    p.setPen(kStripEdge);
    p.drawRect(QRectF(kBodyLeft + 0.5, 24.5, kWidth - kBodyLeft - 2, kHeight - 26));
    // The window is 383 pixels wide: its right edge gets a border of its own.
    p.drawLine(QPointF(382.5, 24), QPointF(382.5, kHeight - 2));

    QPainterPath strip;
    strip.addRoundedRect(QRectF(0.5, 0.5, kWidth - 1.0, 24.0), 12, 12);
    p.fillPath(strip, stripGradient(25));
    p.setPen(QPen(kStripEdge, 1));
    p.drawPath(strip);
    // A lighter line under the top edge gives the strip some relief.
    p.setPen(QColor(255, 255, 255, 70));
    p.drawLine(QPointF(12, 2.5), QPointF(kWidth - 4, 2.5));

    // Grip marks on the drag area between the handle and the input line.
    p.setPen(QColor(255, 255, 255, 120));
    for (int x = 22; x <= 28; x += 3)
        p.drawLine(QPointF(x + 0.5, 7), QPointF(x + 0.5, 18));
    p.setPen(Qt::white);
    p.setFont(font(11, true));
    p.drawText(QRect(33, 0, 58, 25), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Zarvik"));

    // The bed of the input line (the line itself is drawn over it).
    p.setPen(kStripEdge);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(95.5, 3.5, 284, 19));
    p.end();
    return image;
}

// 17 x 27: the handle, an arrow pointing the way the panel will go.
QImage panelButton(bool open)
{
    QImage image = canvas(17, 27, kStripBottom);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), stripGradient(27));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal cx = 10, cy = 12.5;
    QPolygonF arrow;
    if (open)
        arrow << QPointF(cx - 3, cy - 5) << QPointF(cx + 3, cy) << QPointF(cx - 3, cy + 5);
    else
        arrow << QPointF(cx + 3, cy - 5) << QPointF(cx - 3, cy) << QPointF(cx + 3, cy + 5);
    p.drawPolygon(arrow);
    p.end();
    return image;
}

// 378 x 207: title strip with the close button's place at the right, a light body.
QImage dictMain()
{
    QImage image = canvas(378, 207, kBodyTop);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 23, 0, 207);
    body.setColorAt(0, kBodyTop);
    body.setColorAt(1, kBodyBottom);
    p.fillRect(QRect(0, 23, 378, 184), body);
    p.fillRect(QRect(0, 0, 378, 23), stripGradient(23));
    p.setPen(Qt::white);
    p.setFont(font(11, true));
    p.drawText(QRect(8, 0, 330, 23), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Zarvik — словарь"));
    p.setPen(kStripEdge);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 377, 206));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(49.5, 29.5, 322, 20));
    p.setPen(QColor(0xc8, 0xbc, 0x90));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6.5, 54.5, 366, 146));
    p.end();
    return image;
}

// 23 x 21: the close button, released or pressed.
QImage dictButton(bool pressed)
{
    QImage image = canvas(23, 21, kStripBottom);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (pressed) {
        p.fillRect(image.rect(), kStripEdge);
    } else {
        QLinearGradient g(0, 0, 0, 21);
        g.setColorAt(0, QColor(0xd9, 0x5b, 0x4a));
        g.setColorAt(1, QColor(0xa8, 0x33, 0x27));
        p.fillRect(image.rect(), g);
    }
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal shift = pressed ? 1 : 0;
    p.drawLine(QPointF(7 + shift, 6 + shift), QPointF(15 + shift, 14 + shift));
    p.drawLine(QPointF(15 + shift, 6 + shift), QPointF(7 + shift, 14 + shift));
    p.setPen(QColor(255, 255, 255, pressed ? 40 : 110));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 22, 20));
    p.end();
    return image;
}

// 370 x 217: the splash screen.
QImage splash()
{
    QImage image = canvas(370, 217, kStripBottom);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 370, 217);
    g.setColorAt(0, kStripTop);
    g.setColorAt(1, kStripEdge);
    p.fillRect(image.rect(), g);
    p.setPen(Qt::white);
    p.setFont(font(44, true));
    p.drawText(QRect(0, 40, 370, 70), Qt::AlignCenter, QStringLiteral("Zarvik"));
    p.setFont(font(15, false));
    p.drawText(QRect(0, 110, 370, 30), Qt::AlignCenter, QStringLiteral("англо-русский словарь"));
    p.setPen(QColor(255, 255, 255, 160));
    p.setFont(font(11, false));
    p.drawText(QRect(0, 180, 362, 30), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("загрузка…"));
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-builtin-skin OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const struct {
        const char* name;
        QImage image;
    } pictures[] = {
        {"panelmain.jpg", panelMain()},       {"panelbutton1.jpg", panelButton(false)},
        {"panelbutton2.jpg", panelButton(true)}, {"dictmain.jpg", dictMain()},
        {"dictbutton1.jpg", dictButton(false)}, {"dictbutton2.jpg", dictButton(true)},
        {"splash.jpg", splash()},
    };
    for (const auto& picture : pictures) {
        const QString path = out.filePath(QString::fromLatin1(picture.name));
        if (!picture.image.save(path, "JPG", 92)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
