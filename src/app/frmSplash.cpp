#include "app/frmSplash.h"

#include "app/LinkLabel.h"
#include "app/Vendor.h"
#include "core/Units.h"
#include "platform/Monitors.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "skins/BuiltInSkin.h"
#include "skins/Skin.h"
#include "skins/Skins.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWindow>
#include <cmath>

namespace zarvik {

namespace {

// The band that carries the texts: light, so that black text and blue links read on any
// skin's picture.
constexpr int kBandTop = 156;

} // namespace

frmSplash::frmSplash(Platform& platform, Settings& settings, SkinLoader& skins, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_platform(platform), m_settings(settings), m_skins(skins)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Zarvik"));
    setFixedSize(clientSize());
    m_picture = BuiltInSkin::picture(SkinFile::splash).toImage();

    Label2 = placedLabel(this, Vendor::kProductName, {10, 6});
    QFont title;
    title.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    title.setPointSizeF(13.5);
    Label2->setFont(title);
    QPalette white = Label2->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label2->setPalette(white);
    Label2->adjustSize();

    Label3 = placedLabel(this, Vendor::kOwnershipNotice, {10, kBandTop + 3});
    Label4 = placedLabel(this, Vendor::kWebCaption, {10, kBandTop + 21});
    Label6 = new LinkLabel(Vendor::kWebSite, this);
    Label6->move(Label4->geometry().right() + 6, Label4->y());
    Label8 = placedLabel(this, Vendor::kMailCaption, {10, kBandTop + 39});
    Label9 = new LinkLabel(Vendor::kSupportAddress, this);
    Label9->move(Label6->x(), Label8->y());
    for (QLabel* l : {Label3, Label4, Label8}) {
        QPalette black = l->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(black);
    }

    connect(Label6, &LinkLabel::clicked, this, [this] { m_platform.openDocument(Vendor::kWebSite); });
    connect(Label9, &LinkLabel::clicked, this, [this] { m_platform.openDocument(Vendor::kSupportMailto); });
}

frmSplash::~frmSplash() = default;

QSize frmSplash::clientSize()
{
    return {twipsToPixels(5550), twipsToPixels(3255)};
}

void frmSplash::Form_Load()
{
    // Read before the start-up checks the skin: a broken skin folder is still tried here, and
    // whatever cannot be read leaves the built-in picture.
    const QString skin = m_settings.text(Key::skinname);
    if (skin == kBuiltInSkin)
        return;
    // Through the skin loader, so that the skin test that follows reuses this decode.
    const QPixmap picture = m_skins.picture(skin, SkinFile::splash);
    if (picture.isNull())
        return;
    m_picture = picture.toImage().scaled(clientSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_fromSkin = true;
}

void frmSplash::Form_Activate()
{
    // A window can only paint once the server has mapped and exposed it; wait for that
    // (bounded, in case no window manager ever maps it), paint at once and let the painted
    // picture reach the screen before the start-up goes on.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 1000) {
        m_platform.processEvents();
        QThread::msleep(2);
    }
    repaint();
    QGuiApplication::sync();
    m_platform.processEvents();
}

void frmSplash::Show()
{
    Form_Load();
    move(Monitors::centredAtPointer(m_platform, size()));
    show();
    raise();
    Form_Activate();
    // Counted from the moment it is painted.
    m_shownAt = m_platform.clockSeconds();
}

int frmSplash::remainingMs(double shownSeconds)
{
    const double left = kShortestShowSeconds - shownSeconds;
    return left > 0 ? static_cast<int>(std::ceil(left * 1000)) : 0;
}

void frmSplash::startupDone()
{
    const int remaining = isVisible() ? remainingMs(m_platform.clockSeconds() - m_shownAt) : 0;
    if (remaining == 0) {
        finish();
        return;
    }
    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, &frmSplash::finish, Qt::UniqueConnection);
    m_closeTimer.start(remaining);
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    // The links take their own presses; anywhere else a click sends the splash away, also
    // while the start-up still runs.
    event->accept();
    finish();
}

void frmSplash::finish()
{
    m_closeTimer.stop();
    hide();
    if (m_finished)
        return;
    m_finished = true;
    emit finished();
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(rect(), m_picture);
    p.fillRect(QRect(0, kBandTop, width(), height() - kBandTop), QColor(255, 255, 255, 215));
}

} // namespace zarvik
