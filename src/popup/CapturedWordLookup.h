#pragma once

#include "core/WordRecorder.h"
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

    // Told of every word whose translation the strip showed, once the strip is up; none by
    // default.
    void setRecorder(WordRecorder* recorder) { m_recorder = recorder; }

    // The main form's own window, written into the foreground cache at every tick.
    void setOwnWindow(WindowId window) { m_ownWindow = window; }

    // The tick, every 50 ms.
    void Timer3_Timer();
    // Ends a capture still waiting for its copy, as its expiry would (at exit).
    void endPendingCapture();

    // A text that a program the platform cannot see itself (a native Wayland program) has
    // copied: translated as any copy is, by the same rules.
    void nativeCopy(const QString& text);
    // A word that such a program has selected (a double-click selects one): translated as a
    // capture is, without a keystroke and without touching the clipboard. A selection that is
    // not one word, or one made while only Caps Lock double-clicks count, shows nothing.
    void nativeWordSelected(const QString& text);
    // A selection of one word: no white space, at most kMaxTextLength characters.
    static bool isOneWord(const QString& text);

    // Longest clipboard text that is looked up.
    static constexpr int kMaxTextLength = 50;
    // How long after the copy keystroke a capture waits for its copy. A copy that changes
    // nothing (no selection), that is too long, or that arrives while our own program is
    // excluded is never processed; without this limit the sound would stay silenced and the
    // user's next copy would be mistaken for the capture and replaced by the old clipboard.
    static constexpr double kCaptureExpirySeconds = 1.0;
    // The show step puts the strip this many pixels right of the point it is given; where the
    // pointer is unknown the point lies as far left of the monitor's middle.
    static constexpr int kNativePlaceGapPixels = 16;

private:
    const QString& ownName();
    // How a lookup came about: by a copy on the clipboard the platform sees, by the copy of a
    // capture there, by a copy in a native program, or by a word selected there.
    enum class Origin { Clipboard, CaptureCopy, NativeCopy, NativeSelection };
    // Runs the checks of a clipboard text and the lookup; shared by the tick and native copies.
    void processClipboardText(const QString& text, bool captureCopied, bool native);
    // Returns true when something is to be shown. `nativeText` is the text of a native copy.
    bool lookUp(Origin origin, const QString& nativeText = QString());
    // " [rʌn]" for the headword when the option asks for it and the entry has one, else "".
    QString transcriptionOf(const QString& headword);
    // Russian text that the English passes did not find, tried in the reverse index with its
    // endings taken off; true when it is found (the labels are then filled).
    bool lookUpRussian();
    // Shows the result (or hides an earlier strip for the marker) and restarts the countdown.
    void finishLookup();
    // Where the strip goes for a lookup made now: beside the pointer when the platform knows
    // where it is, else at a fixed place of the monitor the pointer was last seen on.
    QPoint placeForNow();
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
    WordRecorder* m_recorder = nullptr;
    // The word the current lookup found (empty for a miss), reported once the strip shows it.
    struct Found {
        QString headword;
        QString line;
        LookupSource source = LookupSource::Copy;
    } m_found;
};

} // namespace zarvik
