#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace zarvik {

// The open panel's way to the keyboard in a Wayland session.
//
// There the panel is an override-redirect window on XWayland, and the compositor's window
// manager part undoes any focus an X client sets on its own, except a move between two
// windows of the program that has the compositor's focus. So while the panel is open, a tiny
// managed window of ours is mapped: the compositor gives it the focus as it does any new
// window, after which the panel may take the keyboard from it. Whatever reaches the proxy
// itself all the same is passed on to the panel's input line. On a plain X11 desktop none of
// this is needed: the panel sets the focus itself.
// No Q_OBJECT: the window has no signals or slots of its own.
class PanelFocusProxy final : public QWidget {
public:
    // The proxy is wanted: a Wayland session whose windows the toolkit puts on XWayland
    // ("xcb"). A toolkit on the compositor itself ("wayland") makes no X windows at all.
    static bool wanted(bool waylandSession, const QString& toolkitPlatform);
    // Decided from this process: its session and its toolkit platform.
    static bool wantedHere();

    explicit PanelFocusProxy(QWidget* keyTarget);

    // Maps the proxy and waits (at most `waitMs`, the event loop running) until the
    // compositor has given it the focus. False when the focus did not come in time.
    bool raiseForFocus(int waitMs);
    // Unmaps it: the compositor gives the focus back to the window that had it before.
    void withdraw();
    // Where keys that reach the proxy go.
    void setKeyTarget(QWidget* target) { m_keyTarget = target; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_keyTarget;
};

} // namespace zarvik
