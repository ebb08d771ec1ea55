#pragma once

#include "core/PanelPresses.h"
#include "platform/Platform.h"

#include <QString>
#include <functional>
#include <optional>

namespace zarvik {

// The hidden text fields through which the pop-up machinery and the panel hand state to
// one another. They keep the text form ("1" on, "" or "0" off) because several handlers
// compare them as text. clk2 is reached only through its setter, so that every change of
// its text runs the change handler of the click watcher. The panel reaches it only as the
// listener of its presses, which raise the click flag Label3.
class HiddenState final : public PanelPresses {
public:
    HiddenState() = default;

    void panelPressed() override { Label3 = QStringLiteral("1"); }

    const QString& clk2() const { return m_clk2; }
    void setClk2(const QString& value)
    {
        if (value == m_clk2)
            return;
        m_clk2 = value;
        if (m_clk2Changed)
            m_clk2Changed();
    }
    void setClk2ChangeHandler(std::function<void()> handler) { m_clk2Changed = std::move(handler); }

    QString clk;
    QString Label3 = QStringLiteral("0");
    QString mx = QStringLiteral("Label1");
    QString my = QStringLiteral("Label2");
    QString curapp = QStringLiteral("Label4");
    QString clktrans;
    QString oldwave = QStringLiteral("oldwave");
    QString oldbuffer;
    QString word = QStringLiteral("Label3");
    QString wd = QStringLiteral("Label3");
    QString Label1 = QStringLiteral("Label1");
    QString Label2 = QStringLiteral("Label1");
    // The headword of the entry the strip last showed, as the dictionary spells it; "" until
    // one is shown. The tray menu offers its article.
    QString shownHeadword;
    // The foreground window that curapp was last looked up for.
    WindowId cachedForeground = 0;
    // oldwave holds a value read from the sound setting (not its initial placeholder), so
    // putting it back can never store the placeholder as the user's sound.
    bool oldwaveSaved = false;
    // Platform clock (seconds) of the latest capture step, for expiring a capture whose copy
    // never arrives.
    double captureStartedAt = 0.0;
    // The platform's count of clipboard owner changes just before the capture's copy.
    quint64 ownerChangesAtCapture = 0;
    // The capture has asked for its copy (the keystroke is sent, or the selection is on its
    // way to the clipboard), and the process it expects the copy from (0: cannot be told).
    bool captureCopyAsked = false;
    qint64 captureProgram = 0;
    // The platform's count of PRIMARY selections at the first press of the latest click pair
    // (none when it cannot tell): a terminal's double-click that selected nothing leaves it.
    std::optional<quint64> primaryChangesAtFirstPress;

private:
    QString m_clk2;
    std::function<void()> m_clk2Changed;
};

} // namespace zarvik
