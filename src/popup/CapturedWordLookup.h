#pragma once

#include "platform/Platform.h"

#include <QString>

namespace zarvik {

class HiddenState;
class PopupWindow;
class Settings;
class WordLookupSource;

// Watches the clipboard text 20 times a second. A change, made by the click watcher's copy
// keystroke or by the user, is looked up (shortened while nothing is found) and shown in the
// strip beside the pointer; Russian text that the English entries do not hold is looked up
// among the Russian words of the translations. After a capture the user's clipboard text and
// default sound are put back.
class CapturedWordLookup final {
public:
    // ownExeName is this program's executable name, used when the platform cannot name the
    // program that owns our own window.
    CapturedWordLookup(Platform& platform, Settings& settings, HiddenState& state, PopupWindow& popup,
                       WordLookupSource& source, const QString& ownExeName);
    CapturedWordLookup(const CapturedWordLookup&) = delete;
    CapturedWordLookup& operator=(const CapturedWordLookup&) = delete;

    // The main form's own window, written into the foreground cache at every tick.
    void setOwnWindow(WindowId window) { m_ownWindow = window; }

    // The tick, every 50 ms.
    void Timer3_Timer();
    // Ends a capture still waiting for its copy, as its expiry would (at exit).
    void endPendingCapture();

    // Longest clipboard text that is looked up.
    static constexpr int kMaxTextLength = 50;
    // How long after the copy keystroke a capture waits for its copy. A copy that changes
    // nothing (no selection), that is too long, or that arrives while our own program is
    // excluded is never processed; without this limit the sound would stay silenced and the
    // user's next copy would be mistaken for the capture and replaced by the old clipboard.
    static constexpr double kCaptureExpirySeconds = 1.0;

private:
    const QString& ownName();
    // Returns true when something is to be shown.
    bool lookUp();
    // Russian text that the English passes did not find, tried in the reverse index with its
    // endings taken off; true when it is found (the labels are then filled).
    bool lookUpRussian();
    void restoreSound();
    void expireStaleCapture();
    void putUsersClipboardBack();

    Platform& m_platform;
    Settings& m_settings;
    HiddenState& m_state;
    PopupWindow& m_popup;
    WordLookupSource& m_source;
    QString m_fallbackName;
    QString m_ownName;
    bool m_ownNameKnown = false;
    WindowId m_ownWindow = 0;
};

} // namespace zarvik
