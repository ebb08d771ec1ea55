#pragma once

#include "core/PanelPresses.h"
#include "platform/Platform.h"

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

namespace zarvik {

// Where a double-click capture stands.
enum class CapturePhase {
    // No capture: the next clipboard change is a plain copy.
    None,
    // The user's clipboard and sound are being saved; the copy has not been asked for yet, so
    // no clipboard change counts as the capture's copy.
    Saving,
    // The copy keystroke is sent (or, in a terminal, the selection is on its way to the
    // clipboard): the next change from the program asked may be the capture's copy.
    CopyAsked,
};

// The state through which the click watcher, the captured-word lookup and the panel hand the
// pop-up machinery to one another. The capture's own fields change only through the named
// steps below; clk2 only through its setter, so that every change of it runs the click
// watcher's change handler. The panel reaches this state only as the listener of its presses.
class HiddenState final : public PanelPresses {
public:
    HiddenState() = default;

    // --- The click pair.

    // A counted press of the left button is down (the first of a pair, or the second).
    bool clk = false;
    // The double-click window is open: the first click of a pair is over.
    bool clk2() const { return m_clk2; }
    void setClk2(bool on)
    {
        if (on == m_clk2)
            return;
        m_clk2 = on;
        if (m_clk2Changed)
            m_clk2Changed();
    }
    void setClk2ChangeHandler(std::function<void()> handler) { m_clk2Changed = std::move(handler); }
    // The platform's count of PRIMARY selections at the first press of the latest click pair
    // (none when it cannot tell): a terminal's double-click that selected nothing leaves it.
    std::optional<quint64> primaryChangesAtFirstPress;

    // --- Presses on the panel.

    void panelPressed() override { m_Label3 = true; }
    // The panel was pressed since the click watcher last looked.
    bool Label3() const { return m_Label3; }
    // The click watcher takes the press once: the click pair it began was inside the panel.
    bool takePanelPress() { return std::exchange(m_Label3, false); }

    // --- The capture.

    // A capture is under way (saving, or waiting for its copy).
    bool clktrans() const { return m_phase != CapturePhase::None; }
    CapturePhase capturePhase() const { return m_phase; }
    bool captureCopyAsked() const { return m_phase == CapturePhase::CopyAsked; }
    // Platform clock (seconds) of the latest capture step, for expiring a capture whose copy
    // never arrives.
    double captureStartedAt() const { return m_captureStartedAt; }
    // The platform's count of clipboard owner changes just before the copy was asked for.
    quint64 ownerChangesAtCapture() const { return m_ownerChangesAtCapture; }
    // The process the copy is expected from (0: the platform cannot tell).
    qint64 captureProgram() const { return m_captureProgram; }

    // The watcher begins saving the user's clipboard and sound at `now`.
    void startCapture(double now)
    {
        m_phase = CapturePhase::Saving;
        m_captureStartedAt = now;
    }
    // A later step of the capture at `now` (the save still running, the keystroke sent): the
    // expiry counts from the latest one.
    void captureStep(double now) { m_captureStartedAt = now; }
    // The watcher is about to ask `program` for the copy, with the owner count as it stands.
    void copyAsked(quint64 ownerChanges, qint64 program)
    {
        m_phase = CapturePhase::CopyAsked;
        m_ownerChangesAtCapture = ownerChanges;
        m_captureProgram = program;
    }
    // The only way a capture ends (clktrans goes off). Who calls it: the watcher, when it
    // abandons a capture before asking for the copy (the save failed or was overtaken, or a
    // terminal selected nothing); the lookup, when it has processed the capture's copy (also a
    // blank one), when the copy is overdue, and at exit. Nobody else: a plain copy, a native
    // copy or selection, and the lookup's passes leave a capture as it is.
    void endCapture() { m_phase = CapturePhase::None; }

    // --- What was saved and what is shown.

    // The user's clipboard text as last seen (or as a capture saved it).
    QString oldbuffer;
    // The user's default sound, saved by a capture before it silenced the sound; none until a
    // capture has read it, so that putting it back never writes a value the user never had.
    std::optional<QString> oldwave;
    // The executable name of the foreground window, and the window it was looked up for; none
    // until the first look-up (no program then: neither excluded nor a terminal).
    std::optional<QString> curapp;
    WindowId cachedForeground = 0;
    // The point beside which the strip shows, (mx, my): the pointer at the capture or the copy;
    // none until a capture or a lookup has placed it.
    std::optional<QPoint> mxy;
    // The text being looked up (shortened pass by pass), and the text as it was copied; both
    // "" until the first lookup.
    QString word;
    QString wd;
    // The strip's two lines. An empty Label1 means there is nothing to show (no entry, and the
    // question marks are off); Label2 then keeps the text it had.
    QString Label1;
    QString Label2;
    // The headword of the entry the strip last showed, as the dictionary spells it; "" until
    // one is shown. The tray menu offers its article.
    QString shownHeadword;

private:
    bool m_clk2 = false;
    std::function<void()> m_clk2Changed;
    bool m_Label3 = false;
    CapturePhase m_phase = CapturePhase::None;
    double m_captureStartedAt = 0.0;
    quint64 m_ownerChangesAtCapture = 0;
    qint64 m_captureProgram = 0;
};

} // namespace zarvik
