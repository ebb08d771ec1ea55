#include "popup/PopupStrip.h"

#include "core/Units.h"
#include "dictionary/DisplayText.h"
#include "platform/Platform.h"
#include "popup/PopupPlacement.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>

namespace zarvik {

// A label of the strip. On one line it is a plain label; given a width to wrap in, it breaks
// its text at word boundaries, and inside a word too long for a line, so that no text reaches
// past that width however it is made.
class StripLabel final : public QLabel {
public:
    using QLabel::QLabel;

    // 0: one line, drawn by the label itself.
    void setWrapWidth(int pixels)
    {
        m_wrapWidth = pixels;
        update();
    }
    int wrapWidth() const { return m_wrapWidth; }
    int lineSpacing() const { return QFontMetrics(font()).lineSpacing(); }
    // The lines the text takes when wrapped in the width.
    int linesAt(int pixels) const
    {
        QTextLayout layout(text(), font());
        return layOut(layout, pixels);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (m_wrapWidth <= 0) {
            QLabel::paintEvent(event);
            return;
        }
        QTextLayout layout(text(), font());
        layOut(layout, m_wrapWidth);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        layout.draw(&painter, QPointF(0, 0));
    }

private:
    int layOut(QTextLayout& layout, int pixels) const
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        const int spacing = lineSpacing();
        int lines = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(pixels, 1));
            line.setPosition(QPointF(0, lines * spacing));
            ++lines;
        }
        layout.endLayout();
        return std::max(lines, 1);
    }

    int m_wrapWidth = 0;
};

namespace {

const QColor kBackground(0xFF, 0xFF, 0xC0);
const QColor kBorder(0x80, 0x80, 0x80);
constexpr int kLabelInsetTwips = 30;
constexpr int kWrapMarginPixels = 4;

QFont stripFont(bool bold)
{
    // DejaVu Sans is on every machine we run on and covers Cyrillic; the style hint lets
    // fontconfig pick another sans face that does if it is missing.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.0);
    font.setBold(bold);
    return font;
}

StripLabel* makeLabel(QWidget& window, bool bold)
{
    auto* label = new StripLabel(&window);
    // Dictionary text is data: a translation holding "<b>" must show as written.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setFont(stripFont(bold));
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label->palette();
    // The strip is always light yellow, so the text is always dark, whatever the theme.
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->move(twipsToPixels(kLabelInsetTwips), twipsToPixels(kLabelInsetTwips));
    // Sized by each text it shows (showStep). Left unsized, the label would be measured when
    // the strip is first shown, empty and off the screen, which reads the fonts at start-up.
    label->resize(0, 0);
    return label;
}

} // namespace

PopupStrip::PopupStrip(QWidget& window, QTimer& timer4, Platform& platform)
    : m_window(window), m_timer4(timer4), m_platform(platform),
      m_label1(makeLabel(window, true)), m_label2(makeLabel(window, false)),
      m_leftTwips(pixelsToTwips(kParkedPixels)), m_topTwips(pixelsToTwips(kParkedPixels))
{
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_window.installEventFilter(this);
}

QLabel* PopupStrip::Label2() const
{
    return m_label2;
}

void PopupStrip::Timer4_Timer()
{
    moveTwips(kParkedTwips, kParkedTwips);
    m_timer4.stop();
}

void PopupStrip::moveTwips(int left, int top)
{
    m_leftTwips = left;
    m_topTwips = top;
    m_window.move(twipsToPixels(left), twipsToPixels(top));
}

void PopupStrip::parkAtCapture()
{
    // The width is left as it is: an X window cannot be 0 pixels wide, and off the screen
    // it does not matter; the next show step sets it anyway.
    m_leftTwips = pixelsToTwips(kParkedPixels);
    m_topTwips = pixelsToTwips(kParkedPixels);
    m_window.move(kParkedPixels, kParkedPixels);
    m_window.resize(m_window.width(), twipsToPixels(kStripHeightTwips));
}

bool PopupStrip::countdownRunning() const
{
    return m_timer4.isActive();
}

void PopupStrip::stopCountdown()
{
    m_timer4.stop();
}

void PopupStrip::restartCountdown()
{
    m_timer4.stop();
    m_timer4.start();
}

void PopupStrip::showStep(const QString& label1, const QString& label2, QPoint pointerPixels)
{
    // The lines of a translation are shown one after the other, no longer than a screen
    // could show; a line wider than the monitor wraps (below).
    m_label1->setText(DisplayText::line(label1));
    m_label1->adjustSize();
    m_label2->setWrapWidth(0);
    m_label2->setText(DisplayText::line(label2));
    m_label2->adjustSize();
    // The strip has no visible title; its window name carries the start of the line it shows,
    // for screen readers and for anyone who asks the window server what is on the screen.
    m_window.setWindowTitle(DisplayText::line(m_label1->text() + m_label2->text(), DisplayText::kTitleChars));

    // The monitor under the pointer holds the strip, so that it is never cut by a screen
    // edge or split across two monitors.
    const QRect monitor = m_platform.screenGeometryAt(pointerPixels);
    const QRect monitorTwips(pixelsToTwips(monitor.x()), pixelsToTwips(monitor.y()), pixelsToTwips(monitor.width()),
                             pixelsToTwips(monitor.height()));
    const StripWrap wrap =
        PopupPlacement::wrap(pixelsToTwips(m_label1->width()), pixelsToTwips(m_label2->width()), monitorTwips.width());
    if (wrap.label1Width < pixelsToTwips(m_label1->width())) {
        // A headword that alone would fill the monitor: cut, so the translation has room.
        const int width = twipsToPixels(wrap.label1Width);
        m_label1->setText(QFontMetrics(m_label1->font()).elidedText(m_label1->text(), Qt::ElideRight, width));
        m_label1->resize(width, m_label1->height());
    }
    int heightTwips = kStripHeightTwips;
    if (wrap.wraps) {
        const int width = twipsToPixels(wrap.label2Width);
        // The last pixels of the label lie under the strip's right border: the text stays
        // clear of it.
        const int textWidth = std::max(width - kWrapMarginPixels, 1);
        const int lines = m_label2->linesAt(textWidth);
        m_label2->setWrapWidth(textWidth);
        m_label2->resize(width, lines * m_label2->lineSpacing());
        heightTwips = PopupPlacement::height(lines, pixelsToTwips(m_label2->lineSpacing()));
    }
    const StripLayout layout = PopupPlacement::place(wrap.label1Width, wrap.label2Width, pointerPixels.x(),
                                                     pointerPixels.y(), monitorTwips, heightTwips);
    m_label2->move(twipsToPixels(layout.label2Left), m_label2->y());
    // One line high for a line that fits, even should the form be shown without its activate
    // handler having sized it; as high as its lines for one that wraps.
    m_window.resize(twipsToPixels(layout.width), twipsToPixels(heightTwips));
    moveTwips(layout.left, layout.top);
    // The main form is never hidden; should it be (before the start-up has shown it), it is
    // shown here, without taking the focus.
    if (!m_window.isVisible())
        m_window.show();
    // Above any window raised since the last time; raising does not activate.
    m_window.raise();
}

bool PopupStrip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Paint) {
        QPainter painter(&m_window);
        painter.fillRect(m_window.rect(), kBackground);
        painter.setPen(kBorder);
        painter.drawRect(m_window.rect().adjusted(0, 0, -1, -1));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zarvik
