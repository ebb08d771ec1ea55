// Draws the pictures of a skin and writes them as JPEG files into the folder given on the
// command line. The committed pictures of the built-in skin in src/skins/builtin were made
// with it:
//   QT_QPA_PLATFORM=offscreen make-builtin-skin src/skins/builtin
// and the build draws the skins shipped as folders with another colour scheme:
//   QT_QPA_PLATFORM=offscreen make-builtin-skin --scheme night build/program/skins/Night
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

// The colours of one skin. The panel and the dictionary window write their lists in black
// on the body, so every body stays light; the character of a skin is in its strips, frames
// and splash.
struct Scheme {
    QColor stripTop, stripBottom, stripEdge; // title strips and handles
    QColor stripText;                        // writing on the strips and the splash
    QColor bodyTop, bodyBottom;              // behind the lists
    QColor listFrame;                        // the frame of the dictionary window's list
    QColor outside;                          // what the panel's outline cuts away
    QColor closeTop, closeBottom;            // the released close button
    QString splashLine;                      // under the name on the splash
};

const Scheme kBuiltIn{{0x4a, 0x7d, 0xb8}, {0x1f, 0x4a, 0x7c}, {0x16, 0x36, 0x5c}, Qt::white,
                      {0xff, 0xfb, 0xe8}, {0xf2, 0xe9, 0xc8}, {0xc8, 0xbc, 0x90}, {0x40, 0x40, 0x40},
                      {0xd9, 0x5b, 0x4a}, {0xa8, 0x33, 0x27}, QStringLiteral("англо-русский словарь")};
// Graphite strips over a cool silver body, an amber close button.
const Scheme kNight{{0x55, 0x5b, 0x66}, {0x1e, 0x21, 0x27}, {0x0b, 0x0c, 0x10}, {0xe8, 0xec, 0xf2},
                    {0xf1, 0xf3, 0xf6}, {0xc3, 0xc8, 0xd0}, {0x8a, 0x90, 0x9a}, {0x18, 0x18, 0x1c},
                    {0xf0, 0xa8, 0x3c}, {0xb8, 0x6a, 0x10}, QStringLiteral("ночная тема")};
// Light mint strips with dark green writing over a pale green body.
const Scheme kMint{{0xb9, 0xe8, 0xc0}, {0x74, 0xc4, 0x8a}, {0x3d, 0x8a, 0x56}, {0x14, 0x4a, 0x26},
                   {0xf6, 0xfc, 0xf3}, {0xdc, 0xf1, 0xd5}, {0x9c, 0xcf, 0x9f}, {0x6d, 0x8f, 0x72},
                   {0x5f, 0xb0, 0x6f}, {0x2f, 0x7d, 0x45}, QStringLiteral("мятная тема")};

const Scheme* scheme = &kBuiltIn;

// Top to bottom, from `top` at y0 to `bottom` at y1.
QLinearGradient verticalGradient(qreal y0, qreal y1, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(0, y0, 0, y1);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QLinearGradient stripGradient(int height)
{
    return verticalGradient(0, height, scheme->stripTop, scheme->stripBottom);
}

QFont font(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// A picture of width x height filled with `fill`, then drawn on by draw(painter, rect) with
// antialiasing.
template <typename Draw>
QImage picture(int width, int height, const QColor& fill, Draw draw)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, image.rect());
    p.end();
    return image;
}

// The name written on a title strip, left-aligned and centred in its height.
void stripTitle(QPainter& p, const QRect& place, const QString& title)
{
    p.setPen(scheme->stripText);
    p.setFont(font(11, true));
    p.drawText(place, Qt::AlignVCenter | Qt::AlignLeft, title);
}

// 516 x 308: the strip along the top 24 pixels with its rounded left end, the body from
// column 92 down; what the outline cuts away is plain grey.
QImage panelMain()
{
    using namespace PanelMask;
    return picture(kWidth, kHeight, scheme->outside, [](QPainter& p, const QRect&) {
        p.fillRect(QRect(kBodyLeft, 24, kWidth - kBodyLeft, kHeight - 24),
                   verticalGradient(25, kHeight, scheme->bodyTop, scheme->bodyBottom));
        p.setPen(scheme->stripEdge);
        p.drawRect(QRectF(kBodyLeft + 0.5, 24.5, kWidth - kBodyLeft - 2, kHeight - 26));
        // The window is 383 pixels wide: its right edge gets a border of its own.
        p.drawLine(QPointF(382.5, 24), QPointF(382.5, kHeight - 2));

        QPainterPath strip;
        strip.addRoundedRect(QRectF(0.5, 0.5, kWidth - 1.0, 24.0), 12, 12);
        p.fillPath(strip, stripGradient(25));
        p.setPen(QPen(scheme->stripEdge, 1));
        p.drawPath(strip);
        // A lighter line under the top edge gives the strip some relief.
        p.setPen(QColor(255, 255, 255, 70));
        p.drawLine(QPointF(12, 2.5), QPointF(kWidth - 4, 2.5));

        // Grip marks on the drag area between the handle and the input line.
        QColor grip = scheme->stripText;
        grip.setAlpha(120);
        p.setPen(grip);
        for (int x = 22; x <= 28; x += 3)
            p.drawLine(QPointF(x + 0.5, 7), QPointF(x + 0.5, 18));
        stripTitle(p, QRect(33, 0, 58, 25), QStringLiteral("Zarvik"));

        // The bed of the input line (the line itself is drawn over it).
        p.setPen(scheme->stripEdge);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(95.5, 3.5, 284, 19));
    });
}

// 17 x 27: the handle, an arrow pointing the way the panel will go.
QImage panelButton(bool open)
{
    return picture(17, 27, scheme->stripBottom, [open](QPainter& p, const QRect& all) {
        p.fillRect(all, stripGradient(27));
        p.setPen(Qt::NoPen);
        p.setBrush(scheme->stripText);
        const qreal cx = 10, cy = 12.5;
        QPolygonF arrow;
        if (open)
            arrow << QPointF(cx - 3, cy - 5) << QPointF(cx + 3, cy) << QPointF(cx - 3, cy + 5);
        else
            arrow << QPointF(cx + 3, cy - 5) << QPointF(cx - 3, cy) << QPointF(cx + 3, cy + 5);
        p.drawPolygon(arrow);
    });
}

// 378 x 207: title strip with the close button's place at the right, a light body.
QImage dictMain()
{
    return picture(378, 207, scheme->bodyTop, [](QPainter& p, const QRect&) {
        p.fillRect(QRect(0, 23, 378, 184), verticalGradient(23, 207, scheme->bodyTop, scheme->bodyBottom));
        p.fillRect(QRect(0, 0, 378, 23), stripGradient(23));
        stripTitle(p, QRect(8, 0, 330, 23), QStringLiteral("Zarvik — словарь"));
        p.setPen(scheme->stripEdge);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 377, 206));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(49.5, 29.5, 322, 20));
        p.setPen(scheme->listFrame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6.5, 54.5, 366, 146));
    });
}

// 23 x 21: the close button, released or pressed.
QImage dictButton(bool pressed)
{
    return picture(23, 21, scheme->stripBottom, [pressed](QPainter& p, const QRect& all) {
        if (pressed)
            p.fillRect(all, scheme->stripEdge);
        else
            p.fillRect(all, verticalGradient(0, 21, scheme->closeTop, scheme->closeBottom));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        const qreal shift = pressed ? 1 : 0;
        p.drawLine(QPointF(7 + shift, 6 + shift), QPointF(15 + shift, 14 + shift));
        p.drawLine(QPointF(15 + shift, 6 + shift), QPointF(7 + shift, 14 + shift));
        p.setPen(QColor(255, 255, 255, pressed ? 40 : 110));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 22, 20));
    });
}

// 370 x 217: the splash screen.
QImage splash()
{
    return picture(370, 217, scheme->stripBottom, [](QPainter& p, const QRect& all) {
        QLinearGradient g(0, 0, 370, 217);
        g.setColorAt(0, scheme->stripTop);
        g.setColorAt(1, scheme->stripEdge);
        p.fillRect(all, g);
        p.setPen(scheme->stripText);
        p.setFont(font(44, true));
        p.drawText(QRect(0, 40, 370, 70), Qt::AlignCenter, QStringLiteral("Zarvik"));
        p.setFont(font(15, false));
        p.drawText(QRect(0, 110, 370, 30), Qt::AlignCenter, scheme->splashLine);
        QColor faint = scheme->stripText;
        faint.setAlpha(160);
        p.setPen(faint);
        p.setFont(font(11, false));
        p.drawText(QRect(0, 180, 362, 30), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("загрузка…"));
    });
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--scheme")) {
        if (args[1] == QLatin1String("night"))
            scheme = &kNight;
        else if (args[1] == QLatin1String("mint"))
            scheme = &kMint;
        else if (args[1] != QLatin1String("builtin"))
            args.clear();
        args = args.mid(2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: make-builtin-skin [--scheme builtin|night|mint] OUTPUT-FOLDER\n");
        return 2;
    }
    // The folder name may be Cyrillic: it comes decoded from the locale's encoding.
    const QDir out(args[0]);
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[0]));
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
