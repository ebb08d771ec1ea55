#include "popup/ClickWatcher.h"

#include "core/PanelControl.h"
#include "core/Units.h"
#include "platform/Module1.h"
#include "popup/HiddenState.h"
#include "popup/PopupWindow.h"
#include "popup/TerminalPrograms.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QTimer>

namespace zarvik {

ClickWatcher::ClickWatcher(Platform& platform, Settings& settings, HiddenState& state, PopupWindow& popup,
                           QTimer& timer2, const QString& programDir)
    : m_platform(platform), m_settings(settings), m_state(state), m_popup(popup), m_timer2(timer2),
      m_programDir(programDir)
{
}

QString ClickWatcher::silentSound() const
{
    return m_programDir + QStringLiteral("/null.wav");
}

void ClickWatcher::Timer1_Timer()
{
    // Kept to three cheap reads per tick; the program's name is asked for only when another
    // window comes to the front.
    const WindowId foreground = m_platform.foregroundWindow();
    const QString apps = m_settings.text(Key::Apps);
    if (foreground != m_state.cachedForeground) {
        m_state.cachedForeground = foreground;
        m_state.curapp = Module1::GetWindowExeName(m_platform, foreground);
    }
    // No program is known before the first look-up: nothing to exclude yet.
    if (m_state.curapp && isExcluded(*m_state.curapp, apps)) {
        // The presses made while an excluded program is in front are its own: they are
        // consumed here. Left queued, they would be played back to the first tick after
        // another window comes to the front and pair with its clicks into a capture.
        m_platform.forgetButtonChanges();
        return;
    }

    if (m_platform.leftButtonDown()) {
        // Any press hides a shown strip, counted or not.
        if (m_popup.leftTwips() != kParkedTwips) {
            m_popup.moveTwips(kParkedTwips, kParkedTwips);
            if (m_popup.countdownRunning())
                m_popup.stopCountdown();
        }
        if (m_settings.capsLockMode() && !m_platform.capsLockDown())
            return;
        // The first press of what may become a double-click: a selection made from here on
        // is the gesture's own.
        if (!m_state.clk && !m_state.clk2())
            m_state.primaryChangesAtFirstPress = m_platform.primarySelectionChanges();
        m_state.clk = true;
        if (m_state.clk2())
            capture();
        return;
    }

    if (m_state.clk) {
        // The change handler may slide the panel shut first; the window opens after that.
        m_state.setClk2(true);
        m_state.clk = false;
        m_timer2.start();
    } else {
        m_state.clk = false;
    }
}

void ClickWatcher::Timer2_Timer()
{
    m_state.setClk2(false);
    m_timer2.stop();
}

void ClickWatcher::clk2_Change()
{
    if (!m_state.clk2())
        return;
    if (m_state.takePanelPress())
        return;
    if (!m_settings.numberIs(Key::lastfocus, 1))
        return;
    if (!m_panel)
        return;
    if (!m_panel->isOpenPosition())
        return;
    m_panel->closingSequence();
}

void ClickWatcher::capture()
{
    // Decided now: the lookup's ticks during the waits below put our own name in curapp.
    const bool toTerminal = m_state.curapp && TerminalPrograms::isTerminal(*m_state.curapp);
    const WindowId target = m_state.cachedForeground;
    m_state.mxy = m_platform.cursorPos();

    // Closed before the wait below, so that a tick running inside it cannot start a second
    // capture.
    m_timer2.stop();
    m_state.setClk2(false);

    // Caps Lock was pressed for this gesture, not to type in capitals.
    if (m_settings.capsLockMode())
        m_platform.undoCapsLockPress();

    // A clipboard that cannot be read reads as "" from the platform; the capture then goes
    // on and the lookup will put "" back, which is the best that can be done.
    m_state.oldbuffer = m_platform.clipboardText();
    // The text alone is not the user's clipboard: a picture or rich text would come back as
    // plain text or not at all. Everything it holds is read during the wait below, fresh
    // from its owner.
    quint64 ownerChangesAtSave = m_platform.clipboardOwnerChanges();
    m_platform.saveClipboard();
    m_popup.stopCountdown();

    // The silent value found here is our own, left by a capture whose copy has not been
    // processed yet (a triple click, or a copy that changed nothing): keeping the value saved
    // earlier is what protects the user's sound from being replaced by silence for good.
    const QString silent = silentSound();
    const QString sound = Module1::ReadRegString(m_platform, kDefaultSoundKey, QString());
    if (sound != silent) {
        m_state.oldwave = sound;
        // Kept where a restart finds it, should the program end before the sound is back.
        Module1::WriteRegString(m_platform, kSavedSoundKey, QString(), kSavedSoundMark + sound);
    }
    Module1::WriteRegString(m_platform, kDefaultSoundKey, QString(), silent);
    // Nothing that happens before the copy is asked for below counts as its copy.
    m_state.startCapture(m_platform.clockSeconds());

    waitSeconds(kCopyDelaySeconds);
    // The copy would replace what is being saved, so it waits for the save, within bounds.
    // Only a clipboard kept whole can be put back whole: a clipboard too large to keep, or an
    // owner too slow to hand everything over in time, ends the capture here, before it has
    // touched anything. The user's clipboard weighs more than one translation.
    const double saveStart = m_platform.clockSeconds();
    const auto waitForSave = [&] {
        while (m_platform.clipboardSaveState() == ClipboardSave::Pending
               && m_platform.clockSeconds() - saveStart < kClipboardSaveLimitSeconds) {
            // The lookup gives up on a capture whose copy is long in coming; this one has not
            // been asked for yet.
            m_state.captureStep(m_platform.clockSeconds());
            m_platform.processEvents();
        }
    };
    waitForSave();
    // A new owner since the save began means the user (or a program of theirs) copied during
    // the wait, before our keystroke: the save read the clipboard that copy replaced, and
    // putting it back would lose the newest copy. So the clipboard is saved again, as often
    // as it changes, within the same time limit.
    while (m_platform.clipboardSaveState() == ClipboardSave::Saved
           && m_platform.clipboardOwnerChanges() != ownerChangesAtSave
           && m_platform.clockSeconds() - saveStart < kClipboardSaveLimitSeconds) {
        ownerChangesAtSave = m_platform.clipboardOwnerChanges();
        m_platform.saveClipboard();
        waitForSave();
    }
    if (m_platform.clipboardSaveState() != ClipboardSave::Saved
        || m_platform.clipboardOwnerChanges() != ownerChangesAtSave) {
        abandonCapture();
        return;
    }

    // A terminal selects on the double-click itself; one on blank space selects nothing and
    // leaves the selection of some earlier gesture, which is no word the user pointed at now.
    // The wait above let the terminal take the selection for a word.
    if (toTerminal && m_state.primaryChangesAtFirstPress
        && m_platform.primarySelectionChanges() == m_state.primaryChangesAtFirstPress) {
        abandonCapture();
        return;
    }

    // What the clipboard holds now is what the save read: no owner came since it began.
    m_state.oldbuffer = m_platform.clipboardText();
    // In a terminal the copy is ours: the selection goes to the clipboard from this process.
    const qint64 program = toTerminal ? QCoreApplication::applicationPid() : m_platform.windowProcess(target);
    m_state.copyAsked(m_platform.clipboardOwnerChanges(), program);
    if (toTerminal)
        m_platform.copyPrimarySelection();
    else
        m_platform.sendCopyKeystroke();
    // The lookup gives the copy a short time from here to arrive before it gives up.
    m_state.captureStep(m_platform.clockSeconds());
    m_popup.parkAtCapture();
}

void ClickWatcher::abandonCapture()
{
    if (m_state.oldwave)
        Module1::WriteRegString(m_platform, kDefaultSoundKey, QString(), *m_state.oldwave);
    m_state.endCapture();
    m_popup.parkAtCapture();
}

void ClickWatcher::repairSilencedSound()
{
    // A capture silences the default sound for a moment; a program killed in that moment
    // (or a crash) leaves it silenced, and no later capture would know the user's value.
    const QString saved = Module1::ReadRegString(m_platform, kSavedSoundKey, QString());
    if (!saved.startsWith(kSavedSoundMark))
        return;
    if (Module1::ReadRegString(m_platform, kDefaultSoundKey, QString()) != silentSound())
        return;
    Module1::WriteRegString(m_platform, kDefaultSoundKey, QString(), saved.mid(kSavedSoundMark.size()));
}

void ClickWatcher::waitSeconds(double seconds)
{
    // The platform clock is monotonic, so the wait also ends across midnight.
    const double start = m_platform.clockSeconds();
    while (m_platform.clockSeconds() - start < seconds)
        m_platform.processEvents();
}

} // namespace zarvik
