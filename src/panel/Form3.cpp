#include "panel/Form3.h"

#include "core/Units.h"
#include "panel/IncrementalSearch.h"
#include "panel/PanelFocusProxy.h"
#include "panel/PanelGeometry.h"
#include "panel/PanelMask.h"
#include "panel/PictureBox.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "panel/TwipsLayout.h"
#include "platform/Platform.h"
#include "platform/ToolkitWindows.h"
#include "settings/Settings.h"
#include "skins/Skin.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>

namespace zarvik {

using namespace PanelGeometry;

namespace {
// Where the panel waits, off every screen, until its activation places it.
constexpr int kParkedPixels = -10000;
// How long the opening panel waits for the compositor to focus its proxy: a new window is
// focused within a frame or two; a compositor that does not do it at all must not hold the
// panel up for long.
constexpr int kProxyFocusWaitMs = 500;
} // namespace

Form3::Form3(Platform& platform, Settings& settings, PanelPresses& presses, const QString& programDir,
             TextControls textControls, QWidget* parent)
    // Outside the window manager's care: a manager keeps new windows on the screen and would
    // pull the closed panel, which lies mostly past the right edge, back into view.
    : QWidget(parent,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      m_platform(platform), m_settings(settings), m_presses(presses), m_programDir(programDir)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QString());
    // Decided before the window is made: a see-through window needs a visual with alpha.
    m_seeThrough = m_platform.compositingManager();
    if (m_seeThrough)
        setAttribute(Qt::WA_TranslucentBackground);

    // Children are stacked in creation order: the strip's mouse areas lie under the handle,
    // the input line and the list, as the transparent labels of the design do.
    Picture1 = placeControl<PictureBox>(this, "Picture1", 0, 0, 6015, 4605);

    Label4 = placeControl<MouseArea>(Picture1, "Label4", 240, 0, 5775, 405);

    Picture2 = placeControl<PictureBox>(Picture1, "Picture2", 0, 0, 255, 405);

    Label3 = placeControl<MouseArea>(Picture2, "Label3", 0, 0, 315, 435);

    Picture3 = placeControl<PictureBox>(this, "Picture3", 2130, 4770, 285, 345);
    Picture3->hide();
    Picture4 = placeControl<PictureBox>(this, "Picture4", 2460, 4770, 315, 345);
    Picture4->hide();

    // The system's pointing hand has its hot spot at the fingertip, like the drawn cursor.
    Picture2->setCursor(Qt::PointingHandCursor);
    Label4->setCursor(Qt::PointingHandCursor);

    Picture1->setFocusPolicy(Qt::ClickFocus);
    // A press on the background is a press on the panel too: without this the click watcher
    // would take it for a click elsewhere and close the panel under the user.
    Picture1->installEventFilter(this);
    wireLabel(Label3);
    wireLabel(Label4);

    Timer1.setInterval(100);
    Timer2.setInterval(7000);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    // Enabled in the design: it ticks once 100 ms after the form is created.
    Timer1.start();

    if (PanelFocusProxy::wantedHere()) {
        m_focusProxy = std::make_unique<PanelFocusProxy>(this);
        m_restackWatch = watchManagedRestacks([this] { keepOnTop(); });
    }

    Form_Load();
    if (textControls == TextControls::WithTheForm)
        makeTextControls();
}

Form3::~Form3() = default;

void Form3::makeTextControls()
{
    if (Text1)
        return;
    // Made last, they lie above the strip's mouse areas, as in the design.
    Text1 = placeControl<SearchInput>(Picture1, "Text1", 1440, 60, 4245, 285);
    List1 = placeControl<ResultList>(Picture1, "List1", 1440, 420, 4245, m_listHeight);
    // The input line keeps the keyboard: the list and the background hand it on.
    List1->setFocusPolicy(Qt::ClickFocus);
    List1->setFocusProxy(Text1);
    Picture1->setFocusProxy(Text1);
    // A press on the list is a press on the panel, as one on the background is.
    List1->viewport()->installEventFilter(this);

    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text1, &SearchInput::escapePressed, this, [this] { closingSequence(); });
    connect(Text1, &SearchInput::stepPressed, this, [this](int delta) { Text1_Step(delta); });
    connect(Text1, &SearchInput::enterPressed, this, [this] { openArticle(List1->lineToOpen()); });
    connect(List1, &ResultList::lineActivated, this, [this](const QString& line) { openArticle(line); });
    connect(Text1, &SearchInput::pressed, this, [this] {
        m_presses.panelPressed();
        if (!isClosedPosition() && !isActiveWindow())
            takeKeyboard();
    });
    // One empty line.
    List1->setLines({QString()});
    // Children made after the form was shown are not shown with it.
    Text1->show();
    List1->show();
}

void Form3::wireLabel(MouseArea* label)
{
    // Positions come from the screen position and the panel's own top, so that a drag stays
    // exact even when the window server reports the window's last move late.
    const auto yWithin = [this](QPoint global) { return pixelsToTwips(global.y()) - m_top; };
    connect(label, &MouseArea::pressed, this, [this, yWithin](Qt::MouseButton button, QPointF, QPoint global) {
        Label_MouseDown(button, yWithin(global), global);
    });
    connect(label, &MouseArea::moved, this, [this, yWithin](QPointF, QPoint global) { Label_MouseMove(yWithin(global)); });
    connect(label, &MouseArea::released, this, [this](Qt::MouseButton, QPointF) { Label_MouseUp(); });
}

void Form3::Form_Load()
{
    // The outline; the window is narrower and shorter than the mask, which does not matter.
    // Where a compositing manager blends windows (XWayland's among them, which draws a shaped
    // window's cut-off corners black), the window is see-through and only its contents are
    // cut to the outline; elsewhere the window itself is shaped.
    if (m_seeThrough)
        Picture1->setMask(PanelMask::region());
    else
        setMask(PanelMask::region());
    // Parked, topmost by its window flags, until the activation places it.
    m_left = pixelsToTwips(kParkedPixels);
    m_top = pixelsToTwips(kParkedPixels);
    m_height = 0;
    move(kParkedPixels, kParkedPixels);
    resize(kWidthPixels, 0);
    // The panel's own connection to the dictionary.
    m_data1.setDatabaseName(m_programDir + QStringLiteral("/zarvik.bdd"));
    // One empty line (the list's height; see makeTextControls for the list).
    m_listHeight = listHeight(1);
    // Only the strip shows.
    setHeightTwips(kStripHeight);
}

void Form3::Form_Activate()
{
    const QRect monitor = monitorTwips();
    const int w = monitor.x() + monitor.width();
    if (m_left != openLeft(w))
        setLeft(closedLeft(w, extra()));
    placeTop(monitor);
}

void Form3::placeTop(const QRect& monitor)
{
    const QString stored =
        m_settings.text(Key::PanelPos, QString::number(monitor.y() + monitor.height() / 2.0, 'g', 7));
    const TopPlacement placement = activationTop(stored, monitor.y(), monitor.height());
    if (placement.store)
        m_settings.writePanelPos(static_cast<float>(placement.top));
    setTop(placement.top);
}

void Form3::monitorsChanged()
{
    // Not placed yet (or placed while a slide runs): the activation will do it.
    if (m_placedOn.isNull() || m_sliding != 0)
        return;
    const QRect before = m_placedOn;
    const QRect now = monitorTwips();
    if (now == before)
        return;
    // The panel keeps its state on the new right edge: open stays open, anything else closes.
    const bool wasOpen = m_left == openLeft(before.x() + before.width());
    const int w = now.x() + now.width();
    setLeft(wasOpen ? openLeft(w) : closedLeft(w, extra()));
    placeTop(now);
}

void Form3::Text1_Change()
{
    if (autoHideOn())
        Timer2.start();
    const IncrementalSearch::Decision decision = IncrementalSearch::decide(Text1->text());
    if (decision.action == IncrementalSearch::Action::ClearInput) {
        // Runs this step again, for the empty text.
        Text1->setText(QString());
        return;
    }
    List1->setLines(IncrementalSearch::lines(decision, *m_lister));
    const int lines = List1->count();
    m_listHeight = listHeight(lines);
    setTwipsGeometry(List1, 1440, 420, 4245, m_listHeight);
    setHeightTwips(formHeight(lines, Text1->text().isEmpty()));
}

void Form3::Text1_Step(int delta)
{
    // Moving through the list is activity on the panel, as typing is.
    if (autoHideOn())
        Timer2.start();
    List1->moveMark(delta);
}

void Form3::openArticle(const QString& line)
{
    if (line.isEmpty() || !m_articleHook)
        return;
    // The panel stays open where it is and keeps its auto-hide: closing it first would cost
    // the slide before the article shows. The keyboard now belongs to the article window, so
    // the panel's closing no longer hands it back to the program the user was in before.
    m_previousWindow = 0;
    if (autoHideOn())
        Timer2.start();
    m_articleHook(line);
}

void Form3::Timer1_Timer()
{
    Timer1.stop();
}

void Form3::Timer2_Timer()
{
    closingSequence();
}

void Form3::Label_MouseDown(Qt::MouseButton button, double y, QPoint globalPixels)
{
    m_presses.panelPressed();
    if (autoHideOn())
        Timer2.stop();
    if (button == Qt::LeftButton) {
        m_drag = true;
        m_moved = false;
        m_grab = y;
        // Restarted, so that the 100 ms are measured from this press.
        Timer1.start();
        return;
    }
    if (m_menuHook)
        m_menuHook(globalPixels);
}

void Form3::Label_MouseMove(double y)
{
    if (!m_drag)
        return;
    // Until it has moved, the panel stands where the press found it, so y - grab is how far
    // the pointer has gone; a hand that shakes a little while clicking moves nothing.
    if (!m_moved && !dragStarts(y - m_grab, QApplication::startDragDistance()))
        return;
    m_moved = true;
    const QRect monitor = monitorTwips();
    setTop(dragTop(m_top + y - m_grab, monitor.y(), monitor.height()));
}

void Form3::Label_MouseUp()
{
    m_settings.writePanelPos(static_cast<float>(m_top));
    // Only a press of the left button opens or closes; the others brought up the menu.
    const bool leftPress = m_drag;
    m_drag = false;
    if (autoHideOn())
        Timer2.start();
    // A press that has not moved the panel is a click, however long it was held: an
    // unhurried click easily lasts longer than Timer1's 100 ms, which no longer decides.
    if (!leftPress || m_moved)
        return; // a drag, or the release of another button
    if (isClosedPosition()) {
        openingSequence();
        if (autoHideOn())
            Timer2.start();
        else
            Timer2.stop();
    } else {
        closingSequence();
    }
}

void Form3::openingSequence()
{
    // The input line and the list slide out with the panel.
    makeTextControls();
    ++m_sliding;
    const int e = extra();
    const int from = m_left;
    for (int position : slidePositions(from, -1)) {
        setLeft(position);
        pause(kSlidePauseSeconds);
    }
    setLeft(from - 5500 + e);
    Picture2->setPicture(Picture4->picture());
    --m_sliding;
    // The panel stands outside the window manager's care, so a click on it does not bring
    // the keyboard along: the open panel asks for it.
    takeKeyboard();
}

void Form3::takeKeyboard()
{
    if (!isActiveWindow()) {
        const WindowId before = m_platform.foregroundWindow();
        if (before != static_cast<WindowId>(winId()))
            m_previousWindow = before;
    }
    raise();
    makeTextControls();
    if (m_focusProxy && !isClosedPosition()) {
        m_focusProxy->setKeyTarget(Text1);
        // The compositor lets the focus move on from the proxy to another window of ours
        // only; the toolkit's own activation would carry a stale time, so the focus is set
        // at the server's current time. The proxy is raised not only when the panel has lost
        // the focus: once the proxy was withdrawn the compositor's keyboard focus is
        // elsewhere, though the panel may still hold the X focus.
        if ((!m_focusProxy->isVisible() || !isActiveWindow()) && m_focusProxy->raiseForFocus(kProxyFocusWaitMs))
            focusToolkitWindow(static_cast<WindowId>(winId()));
    } else {
        activateWindow();
    }
    Text1->setFocus();
}

void Form3::keepOnTop()
{
    // One raise for a burst of restacks (a window dragged about sends many), once the event
    // loop has them all.
    if (m_raisePending)
        return;
    m_raisePending = true;
    QTimer::singleShot(0, this, [this] {
        m_raisePending = false;
        if (!isVisible())
            return;
        raise();
        // A menu popped up from the handle stays above the handle.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->raise();
    });
}

void Form3::closingSequence()
{
    ++m_sliding;
    if (Text1)
        Text1->setText(QString());
    const int e = extra();
    // Steps from wherever the panel is: on a closed panel it slides further out and back.
    for (int i = 0; i < kSlideSteps; ++i) {
        setLeft(m_left + kSlideStep);
        pause(kSlidePauseSeconds);
    }
    Timer2.stop();
    Picture2->setPicture(Picture3->picture());
    setLeft(closedLeft(rightEdge(), e));
    --m_sliding;
    // Unmapped, the proxy lets the compositor give the focus back to the window it took it
    // from.
    if (m_focusProxy)
        m_focusProxy->withdraw();
    // Typing goes back to the program the user was in, not to a panel pushed off the screen.
    if (m_previousWindow != 0) {
        m_platform.activateWindow(m_previousWindow);
        m_previousWindow = 0;
    }
}

bool Form3::isClosedPosition() const
{
    return m_left == closedLeft(rightEdge(), extra());
}

bool Form3::isOpenPosition() const
{
    return m_left == openLeft(rightEdge());
}

void Form3::wearSkin(const Skin& skin)
{
    const auto wear = [&skin](SkinFile file, PictureBox* target) {
        const QPixmap& picture = skin.picture(file);
        if (!picture.isNull())
            target->setPicture(picture);
    };
    wear(SkinFile::panelmain, Picture1);
    // The handle as shown matches the panel's state: a panel restyled while open keeps the
    // handle of an open panel rather than pointing the wrong way until its next slide.
    const bool open = isVisible() && !isClosedPosition();
    wear(open ? SkinFile::panelbutton2 : SkinFile::panelbutton1, Picture2);
    wear(SkinFile::panelbutton1, Picture3);
    wear(SkinFile::panelbutton2, Picture4);
}

bool Form3::event(QEvent* event)
{
    // X delivers the activation some time after the press or the focus request that caused
    // it, often in the middle of a slide; placing the panel then would snap it back to the
    // closed position halfway out, so the placement waits until no slide runs.
    if (event->type() == QEvent::WindowActivate && m_sliding == 0)
        Form_Activate();
    return QWidget::event(event);
}

void Form3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Showing a form activates it; the placement must not wait for the window manager.
    if (!event->spontaneous() && m_sliding == 0)
        Form_Activate();
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_presses.panelPressed();
        // A press on the open panel's input line or list must reach the keyboard too.
        if (!isClosedPosition() && !isActiveWindow())
            takeKeyboard();
    }
    return QWidget::eventFilter(watched, event);
}

QRect Form3::monitorTwips() const
{
    const std::optional<float> stored = m_settings.panelPos();
    const std::optional<double> storedPixels =
        stored ? std::optional<double>(double(*stored) / kTwipsPerPixel) : std::nullopt;
    const QRect monitor = panelMonitor(m_platform.monitors(), storedPixels);
    return QRect(pixelsToTwips(monitor.x()), pixelsToTwips(monitor.y()), pixelsToTwips(monitor.width()),
                 pixelsToTwips(monitor.height()));
}

int Form3::rightEdge() const
{
    const QRect monitor = monitorTwips();
    return monitor.x() + monitor.width();
}

int Form3::extra() const
{
    return extraStrip(m_settings.numberIs(Key::bigpanel, 1));
}

bool Form3::autoHideOn() const
{
    return m_settings.numberIs(Key::hide5sec, 1);
}

void Form3::setLeft(int twips)
{
    m_left = twips;
    m_placedOn = monitorTwips();
    placeWindow();
}

void Form3::setTop(double twips)
{
    m_top = twips;
    placeWindow();
}

void Form3::setHeightTwips(int twips)
{
    m_height = twips;
    placeWindow();
}

void Form3::placeWindow()
{
    // A list that would reach below the monitor lifts the window for as long as it is that
    // tall; the panel's own top (the stored place) stays, and the window comes back down to
    // it when the list shrinks or the panel closes. The parked panel is not on any monitor.
    const double top = m_left == pixelsToTwips(kParkedPixels) ? m_top : shownTop(m_platform.monitors(), m_top, m_height);
    // Moved and sized at once: a window that grew first would show its list below the screen
    // for a moment.
    setGeometry(twipsToPixels(m_left), twipsToPixels(top), kWidthPixels, twipsToPixels(m_height));
}

void Form3::pause(double seconds)
{
    const double start = m_platform.clockSeconds();
    while (m_platform.clockSeconds() - start < seconds)
        m_platform.processEvents();
}

} // namespace zarvik
