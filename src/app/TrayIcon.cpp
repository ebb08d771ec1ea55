#include "app/TrayIcon.h"

#include "platform/Platform.h"

#include <cstdio>

namespace zarvik {

namespace {

// The tip field of the notification areas of old held 64 characters with its terminating
// NUL; a longer tip is cut to what fits rather than shown without an end.
constexpr int kTipCharacters = 63;

} // namespace

TrayIcon::TrayIcon(Platform& platform, QObject* parent) : QObject(parent), m_platform(platform) {}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::fittedTip(const QString& tip)
{
    return tip.left(kTipCharacters);
}

void TrayIcon::Add(const QIcon& icon)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Said once per run: the program is fully usable without its icon (double-click,
        // clipboard, panel), but the user should learn why none appeared.
        static bool told = false;
        if (!told) {
            told = true;
            std::fprintf(stderr, "zarvik: no notification area (system tray) is running on this desktop, so "
                                 "Zarvik shows no icon; translation and the panel work without it\n");
        }
    }
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(fittedTip(m_screenTip));
    m_icon->show();
}

void TrayIcon::Remove()
{
    if (!m_icon)
        return;
    m_icon->hide();
    m_icon.reset();
}

QString TrayIcon::shownTip() const
{
    return m_icon ? m_icon->toolTip() : QString();
}

QIcon TrayIcon::shownIcon() const
{
    return m_icon ? m_icon->icon() : QIcon();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason)
{
    const double now = m_platform.clockSeconds();
    const double window = m_platform.doubleClickTime() / 1000.0;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // Qt's XEmbed icon reports a double-click as one press and the double-click; a host
        // that reports the second press as a press of its own gets it taken as the
        // double-click, not as a second click.
        if (m_firstPressAt >= 0 && now - m_firstPressAt <= window) {
            m_firstPressAt = -1;
            m_pairClosedAt = now;
            emit DblClick();
        } else {
            m_firstPressAt = now;
            emit Click();
        }
        break;
    case QSystemTrayIcon::DoubleClick:
        // Already raised when the second press came as a press of its own.
        if (m_pairClosedAt >= 0 && now - m_pairClosedAt <= window) {
            m_pairClosedAt = -1;
        } else {
            m_firstPressAt = -1;
            emit DblClick();
        }
        break;
    case QSystemTrayIcon::Context:
        emit RightClick();
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

} // namespace zarvik
