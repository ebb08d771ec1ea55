#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>

namespace zarvik {

class Platform;

// The program's one icon in the notification area, over Qt's tray icon (which speaks both
// the XEmbed tray protocol and StatusNotifierItem). It turns what the user does with the
// mouse on the icon into three events: a left press is a Click, the second press of a
// double-click a DblClick (so a double-click runs the Click handler once), a right click a
// RightClick.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(Platform& platform, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon with the tip as it stands now.
    void Add(const QIcon& icon);
    // Takes the icon out of the notification area; nothing when it is not there.
    void Remove();
    // The tip. Changing it leaves a shown icon as it is: the new text appears at the next Add.
    QString ScreenTip() const { return m_screenTip; }
    void setScreenTip(const QString& tip) { m_screenTip = tip; }

    // What the notification area has been given: whether the icon is there, and its tip.
    bool shown() const { return m_icon != nullptr; }
    QString shownTip() const;
    QIcon shownIcon() const;

    // One activation as Qt reports it (public so that tests replay sequences of them).
    void activate(QSystemTrayIcon::ActivationReason reason);

    // The tip as the notification area gets it: at most 63 characters.
    static QString fittedTip(const QString& tip);

signals:
    void Click();
    void DblClick();
    void RightClick();

private:
    Platform& m_platform;
    QString m_screenTip = QStringLiteral(" ");
    std::unique_ptr<QSystemTrayIcon> m_icon;
    // Clock time of the press that may begin a double-click, and of the second press that
    // already raised DblClick; negative when there is none.
    double m_firstPressAt = -1;
    double m_pairClosedAt = -1;
};

} // namespace zarvik
