#pragma once

#include <QString>

class QTimer;

namespace zarvik {

class HiddenState;
class PanelControl;
class Platform;
class PopupWindow;
class Settings;

// Notices, by polling, a double-click of the left button in another program (with Caps Lock
// held, by option) and then asks that program to copy its selection; the captured-word
// lookup picks the copy up from the clipboard. It also hides the strip at every press and
// closes the open panel after a click outside it.
class ClickWatcher final {
public:
    ClickWatcher(Platform& platform, Settings& settings, HiddenState& state, PopupWindow& popup, QTimer& timer2,
                 const QString& programDir);
    ClickWatcher(const ClickWatcher&) = delete;
    ClickWatcher& operator=(const ClickWatcher&) = delete;

    // The panel that an outside click closes; none until it exists.
    void setPanel(PanelControl* panel) { m_panel = panel; }

    // The poll, every 10 ms.
    void Timer1_Timer();
    // The double-click window has run out.
    void Timer2_Timer();
    // Runs at every change of clk2.
    void clk2_Change();

    // The silent sound that replaces the default sound while the copy keystroke is sent.
    QString silentSound() const;

    // The pause between the second press and the copy keystroke, so that the program under
    // the pointer has selected the word before it is asked to copy it.
    static constexpr double kCopyDelaySeconds = 0.15;
    // How much longer than the pause the copy may wait for the user's clipboard to be saved
    // (a large picture or text offered in many formats takes a while).
    static constexpr double kClipboardSaveLimitSeconds = 3.0;

private:
    void capture();
    void abandonCapture();
    void waitSeconds(double seconds);

    Platform& m_platform;
    Settings& m_settings;
    HiddenState& m_state;
    PopupWindow& m_popup;
    QTimer& m_timer2;
    QString m_programDir;
    PanelControl* m_panel = nullptr;
};

} // namespace zarvik
