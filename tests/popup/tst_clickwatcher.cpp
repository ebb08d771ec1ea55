#include "FakePopupWindow.h"

#include "core/PanelControl.h"
#include "platform/Module1.h"
#include "platform/fake/FakePlatform.h"
#include "popup/ClickWatcher.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace zarvik;

namespace {

const QString kProgramDir = QStringLiteral("/opt/zarvik");
const QString kSilent = QStringLiteral("/opt/zarvik/null.wav");

class FakePanel final : public PanelControl {
public:
    FakePanel(QTimer& timer2) : m_timer2(timer2) {}
    int left = 0;
    int closes = 0;
    bool timer2RanDuringClose = false;
    int leftTwips() const override { return left; }
    bool isOpenPosition() const override { return left == 1024 * 15 - 5750; }
    void closingSequence() override
    {
        ++closes;
        timer2RanDuringClose = m_timer2.isActive();
    }

private:
    QTimer& m_timer2;
};

// One watcher with everything it touches.
struct Rig {
    explicit Rig(const QString& iniPath)
        : settings(iniPath), popup(platform), panel(timer2),
          watcher(platform, settings, state, popup, timer2, kProgramDir)
    {
        timer2.setInterval(400);
        state.setClk2ChangeHandler([this] {
            platform.note(QStringLiteral("clk2:") + (state.clk2() ? QStringLiteral("1") : QString()) +
                          (timer2.isActive() ? QStringLiteral(" timer2-on") : QStringLiteral(" timer2-off")));
            watcher.clk2_Change();
        });
        platform.setForegroundWindow(7);
        platform.setWindowExeName(7, QStringLiteral("kwrite"));
        platform.setScreenSize(QSize(1024, 768));
        platform.setRegistryValue(kDefaultSoundKey, QString(), QStringLiteral("ding.wav"));
        platform.setClipboardText(QStringLiteral("user text"));
    }

    // One tick of the poll with the button as given.
    void tick(bool down)
    {
        platform.setLeftButtonDown(down);
        watcher.Timer1_Timer();
    }
    // Plays a script: D a tick with the button down, U a tick with it up, T the end of the
    // double-click window (only when Timer2 is on, as a real timer would).
    void play(const QString& script)
    {
        for (const QChar c : script) {
            if (c == QLatin1Char('D'))
                tick(true);
            else if (c == QLatin1Char('U'))
                tick(false);
            else if (c == QLatin1Char('T') && timer2.isActive())
                watcher.Timer2_Timer();
        }
    }

    FakePlatform platform;
    Settings settings;
    HiddenState state;
    FakePopupWindow popup;
    QTimer timer2;
    FakePanel panel;
    ClickWatcher watcher;
};

} // namespace

class TestClickWatcher : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<Rig> m_rig;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const QString ini = m_dir.filePath(QStringLiteral("Zarvik5.ini"));
        QFile::remove(ini);
        m_rig = std::make_unique<Rig>(ini);
    }
    void cleanup() { m_rig.reset(); }

    void doubleClickStateTable_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("threeclk"); // "" for absent
        QTest::addColumn<bool>("capsHeld");
        QTest::addColumn<int>("captures");
        QTest::addColumn<bool>("clk");
        QTest::addColumn<bool>("clk2");
        QTest::addColumn<bool>("timer2On");

        QTest::newRow("idle") << "UUU" << "" << false << 0 << false << false << false;
        QTest::newRow("press is counted") << "D" << "" << false << 0 << true << false << false;
        QTest::newRow("first click arms the window") << "DU" << "" << false << 0 << false << true << true;
        QTest::newRow("double click captures once") << "DUDU" << "" << false << 1 << false << true << true;
        QTest::newRow("capture leaves the watcher pressed") << "DUD" << "" << false << 1 << true << false << false;
        QTest::newRow("held button is one press") << "DDDDDDDDU" << "" << false << 0 << false << true << true;
        QTest::newRow("held second press captures once") << "DUDDDDDDD" << "" << false << 1 << true << false << false;
        QTest::newRow("up ticks keep the window open") << "DUUUUUDU" << "" << false << 1 << false << true << true;
        QTest::newRow("triple click captures twice") << "DUDUDU" << "" << false << 2 << false << true << true;
        QTest::newRow("window runs out") << "DUT" << "" << false << 0 << false << false << false;
        QTest::newRow("press after the window is a new first click") << "DUTDU" << "" << false << 0 << false << true
                                                                      << true;
        QTest::newRow("timeout between pairs") << "DUTDUDU" << "" << false << 1 << false << true << true;
        QTest::newRow("Caps Lock mode without Caps Lock") << "DUDU" << "True" << false << 0 << false << false << false;
        QTest::newRow("Caps Lock mode with Caps Lock") << "DUDU" << "True" << true << 1 << false << true << true;
        QTest::newRow("lower-case true is plain mode") << "DUDU" << "true" << false << 1 << false << true << true;
        QTest::newRow("False is plain mode") << "DUDU" << "False" << false << 1 << false << true << true;
    }
    void doubleClickStateTable()
    {
        QFETCH(QString, script);
        QFETCH(QString, threeclk);
        QFETCH(bool, capsHeld);
        QFETCH(int, captures);
        QFETCH(bool, clk);
        QFETCH(bool, clk2);
        QFETCH(bool, timer2On);
        Rig& r = *m_rig;
        if (!threeclk.isEmpty())
            r.settings.write(Key::threeclk, threeclk);
        r.platform.setCapsLockDown(capsHeld);

        r.play(script);

        QCOMPARE(r.platform.sentKeys(), captures);
        QCOMPARE(r.popup.captureParks, captures);
        QCOMPARE(r.state.clk, clk);
        QCOMPARE(r.state.clk2(), clk2);
        QCOMPARE(r.timer2.isActive(), timer2On);
        QCOMPARE(r.state.capturePhase(), captures ? CapturePhase::CopyAsked : CapturePhase::None);
    }

    void pressHidesTheStrip_data()
    {
        QTest::addColumn<QString>("threeclk");
        QTest::newRow("plain mode") << "False";
        QTest::newRow("Caps Lock mode, press not counted") << "True";
    }
    void pressHidesTheStrip()
    {
        QFETCH(QString, threeclk);
        Rig& r = *m_rig;
        r.settings.write(Key::threeclk, threeclk);
        r.popup.putOnScreen();

        r.tick(true);

        QCOMPARE(r.popup.left, kParkedTwips);
        QCOMPARE(r.popup.top, kParkedTwips);
        QVERIFY(!r.popup.countdown);
        r.platform.clearLog();
        r.tick(true); // already parked: left alone
        QVERIFY(!r.platform.log().join(QLatin1Char(' ')).contains(QLatin1String("strip-move")));
    }

    void excludedProgramIsIgnored()
    {
        Rig& r = *m_rig;
        r.settings.write(Key::Apps, QStringLiteral("notepad.exe;kwrite;"));
        r.popup.putOnScreen();

        r.play(QStringLiteral("DUDUDU"));

        QCOMPARE(r.platform.sentKeys(), 0);
        QVERIFY(!r.state.clk);
        QVERIFY(!r.state.clk2());
        QVERIFY(!r.timer2.isActive());
        QVERIFY(r.popup.onScreen()); // left to its countdown
        QVERIFY(r.popup.countdown);
        QCOMPARE(r.state.curapp, std::optional<QString>(QStringLiteral("kwrite")));
    }

    void unnamedProgramIsExcludedByAnyList()
    {
        Rig& r = *m_rig;
        r.settings.write(Key::Apps, QStringLiteral("notepad.exe;"));
        r.platform.setForegroundWindow(8); // no name known
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(r.platform.sentKeys(), 0);
        r.settings.write(Key::Apps, QString());
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(r.platform.sentKeys(), 1);
    }

    void exeNameAskedOnlyWhenForegroundChanges()
    {
        Rig& r = *m_rig;
        r.play(QStringLiteral("UUUUUDUDU"));
        QCOMPARE(r.platform.exeNameLookups(), 1);
        r.platform.setForegroundWindow(9);
        r.play(QStringLiteral("UUU"));
        QCOMPARE(r.platform.exeNameLookups(), 2);
        // The lookup writes our own window into the cache between polls.
        r.state.cachedForeground = 1234;
        r.play(QStringLiteral("U"));
        QCOMPARE(r.platform.exeNameLookups(), 3);
    }

    void panelRules_data()
    {
        QTest::addColumn<bool>("label3"); // the panel was pressed
        QTest::addColumn<QString>("lastfocus"); // "" for absent (default 1)
        QTest::addColumn<QString>("panelState"); // open, closed, none
        QTest::addColumn<int>("closes");
        QTest::addColumn<bool>("label3After");
        QTest::newRow("outside click closes the open panel") << false << "" << "open" << 1 << false;
        QTest::newRow("lastfocus 1 closes") << false << "1" << "open" << 1 << false;
        QTest::newRow("lastfocus 0 keeps it") << false << "0" << "open" << 0 << false;
        QTest::newRow("panel not open") << false << "1" << "closed" << 0 << false;
        QTest::newRow("press on the panel only resets the flag") << true << "1" << "open" << 0 << false;
        QTest::newRow("no panel: nothing") << false << "1" << "none" << 0 << false;
    }
    void panelRules()
    {
        QFETCH(bool, label3);
        QFETCH(QString, lastfocus);
        QFETCH(QString, panelState);
        QFETCH(int, closes);
        QFETCH(bool, label3After);
        Rig& r = *m_rig;
        if (!lastfocus.isEmpty())
            r.settings.write(Key::lastfocus, lastfocus);
        if (label3)
            r.state.panelPressed();
        const int openLeft = 1024 * 15 - 5750;
        r.panel.left = panelState == QLatin1String("open") ? openLeft : openLeft + 4000;
        if (panelState != QLatin1String("none"))
            r.watcher.setPanel(&r.panel);

        r.play(QStringLiteral("DU"));

        QVERIFY(r.state.clk2());
        QCOMPARE(r.panel.closes, closes);
        QCOMPARE(r.state.Label3(), label3After);
        // The double-click window opens only after the slide.
        QVERIFY(!r.panel.timer2RanDuringClose);
        QVERIFY(r.timer2.isActive());
        // Closing clk2 again runs the handler with nothing to do.
        r.watcher.Timer2_Timer();
        QCOMPARE(r.panel.closes, closes);
    }

    void captureRunsInOrder()
    {
        Rig& r = *m_rig;
        r.platform.setLogClipboardReads(true);
        r.platform.setPointer(QPoint(300, 200));
        r.platform.setSecondsPerEventDispatch(0.05);
        CapturePhase clktransDuringWait = CapturePhase::None;
        r.platform.onProcessEvents([&] { clktransDuringWait = r.state.capturePhase(); });
        r.play(QStringLiteral("DU"));
        r.popup.countdown = true; // a strip shown meanwhile
        r.popup.left = kParkedTwips;
        r.popup.top = kParkedTwips;
        r.platform.clearLog();

        r.tick(true);

        QStringList log = r.platform.log();
        log.removeAll(QStringLiteral("clipboard-read")); // keep only the one that matters
        const QStringList expected{
            QStringLiteral("cursor"),
            QStringLiteral("clk2: timer2-off"),
            QStringLiteral("clipboard-save"),
            QStringLiteral("countdown-stop"),
            QStringLiteral("reg-read"),
            QStringLiteral("reg-write:saved:ding.wav"),
            QStringLiteral("reg-write:") + kSilent,
            QStringLiteral("keys:^{Insert}"),
            QStringLiteral("strip-park"),
        };
        QCOMPARE(log, expected);
        const QStringList full = r.platform.log();
        // Read at the capture, and again fresh once the save is done, just before the copy.
        QCOMPARE(full.count(QStringLiteral("clipboard-read")), 2);
        QCOMPARE(full.indexOf(QStringLiteral("clipboard-read")), 2); // after clk2, before the countdown
        QCOMPARE(full.lastIndexOf(QStringLiteral("clipboard-read")), full.indexOf(QStringLiteral("keys:^{Insert}")) - 1);
        QCOMPARE(r.state.mxy, std::optional<QPoint>(QPoint(300, 200)));
        QCOMPARE(r.state.oldbuffer, QStringLiteral("user text"));
        QCOMPARE(r.state.oldwave, std::optional<QString>(QStringLiteral("ding.wav")));
        QCOMPARE(clktransDuringWait, CapturePhase::Saving);
        QCOMPARE(r.platform.registryWrites().size(), 2);
        QCOMPARE(r.platform.registryWrites().first().subkey, kSavedSoundKey);
        QCOMPARE(r.platform.registryWrites().last().subkey, kDefaultSoundKey);
        QCOMPARE(r.platform.registryWrites().last().valueName, QString());
    }

    void waitDispatchesEventsAndEndsOnTheClock_data()
    {
        QTest::addColumn<double>("secondsPerDispatch");
        QTest::newRow("10 ms per dispatch") << 0.01;
        QTest::newRow("50 ms per dispatch") << 0.05;
        QTest::newRow("just under the wait") << 0.149;
        QTest::newRow("one long dispatch") << 0.4;
    }
    void waitDispatchesEventsAndEndsOnTheClock()
    {
        QFETCH(double, secondsPerDispatch);
        Rig& r = *m_rig;
        r.platform.setSecondsPerEventDispatch(secondsPerDispatch);
        r.play(QStringLiteral("DU"));
        const int dispatchesBefore = r.platform.eventDispatches();
        double lastDispatchStart = -1;
        double start = -1;
        r.platform.onProcessEvents([&] { lastDispatchStart = r.platform.clockSeconds() - secondsPerDispatch; });
        double keysAt = -1;
        r.platform.onCopyKeystroke([&] { keysAt = r.platform.clockSeconds(); });
        start = r.platform.clockSeconds();

        r.tick(true);

        const int dispatches = r.platform.eventDispatches() - dispatchesBefore;
        QVERIFY(dispatches >= 1);
        // The pause is 150 ms.
        QVERIFY(keysAt - start >= 0.15);
        // It ends at the first look that finds the time up, not later.
        QVERIFY(lastDispatchStart - start < 0.15);
    }

    void secondCaptureKeepsTheUsersSound()
    {
        // Triple click while the first copy has not been processed: the registry holds our
        // silent sound when the second capture reads it.
        Rig& r = *m_rig;
        r.play(QStringLiteral("DUDUDU"));
        QCOMPARE(r.platform.sentKeys(), 2);
        QCOMPARE(r.state.oldwave, std::optional<QString>(QStringLiteral("ding.wav")));
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kSilent);
    }

    void missingSoundIsSavedAsEmpty()
    {
        Rig& r = *m_rig;
        r.platform.setRegistryValue(kDefaultSoundKey, QString(), QString());
        r.play(QStringLiteral("DUD"));
        QCOMPARE(r.state.oldwave, std::optional<QString>(QString()));
    }

    void captureWithStripParkedStopsCountdownAndParksAgain()
    {
        Rig& r = *m_rig;
        r.play(QStringLiteral("DU"));
        r.popup.countdown = true;
        r.tick(true);
        QVERIFY(!r.popup.countdown);
        QCOMPARE(r.popup.captureParks, 1);
        QVERIFY(!r.popup.onScreen());
    }

    // Clicks made while an excluded program (or no named program) is in front are that
    // program's: none of them may complete a double-click once another window is in front.
    void excludedPressesAreConsumed_data()
    {
        QTest::addColumn<WindowId>("excludedWindow");
        QTest::addColumn<int>("clicksThere");
        QTest::addColumn<int>("clicksHere");
        QTest::newRow("double-click in the excluded program, then nothing") << WindowId(5) << 2 << 0;
        QTest::newRow("click in the excluded program, then one click here") << WindowId(5) << 1 << 1;
        QTest::newRow("click on the desktop, then one click here") << WindowId(0) << 1 << 1;
        QTest::newRow("triple click in the excluded program, then one here") << WindowId(5) << 3 << 1;
    }
    void excludedPressesAreConsumed()
    {
        QFETCH(WindowId, excludedWindow);
        QFETCH(int, clicksThere);
        QFETCH(int, clicksHere);
        Rig& r = *m_rig;
        r.settings.write(Key::Apps, QStringLiteral("featherpad;"));
        r.platform.setWindowExeName(5, QStringLiteral("featherpad"));
        r.tick(false); // the watcher has seen the editor in front
        r.platform.setForegroundWindow(excludedWindow);
        // Clicks quicker than the poll: each one queued whole before the next poll.
        for (int i = 0; i < clicksThere; ++i)
            r.platform.queueClick();
        r.watcher.Timer1_Timer();
        r.platform.setForegroundWindow(7);
        for (int i = 0; i < clicksHere; ++i)
            r.platform.queueClick();
        for (int i = 0; i < 8; ++i)
            r.watcher.Timer1_Timer();

        QCOMPARE(r.platform.sentKeys(), 0);
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.clipboardText(), QStringLiteral("user text"));
        // The watcher still works: a double-click here is one.
        r.watcher.Timer2_Timer();
        r.platform.queueClick();
        r.platform.queueClick();
        for (int i = 0; i < 4; ++i)
            r.watcher.Timer1_Timer();
        QCOMPARE(r.platform.sentKeys(), 1);
    }

    void terminalsGetNoKeystroke_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("xterm: the selection is taken from PRIMARY") << "xterm" << 0 << "word";
        QTest::newRow("gnome-terminal's server") << "gnome-terminal-server" << 0 << "word";
        QTest::newRow("an editor gets Ctrl+Insert") << "kwrite" << 1 << "user text";
        QTest::newRow("names are exact: xterm-like is no terminal") << "xterms" << 1 << "user text";
    }
    void terminalsGetNoKeystroke()
    {
        QFETCH(QString, program);
        QFETCH(int, keys);
        QFETCH(QString, clipboard);
        Rig& r = *m_rig;
        r.platform.setWindowExeName(7, program);
        r.platform.setPrimaryText(QStringLiteral("word"));
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(r.platform.sentKeys(), keys);
        QCOMPARE(r.platform.log().contains(QStringLiteral("primary-copy")), keys == 0);
        QCOMPARE(r.platform.clipboardText(), clipboard);
        QCOMPARE(r.state.oldbuffer, QStringLiteral("user text"));
        QCOMPARE(r.state.capturePhase(), CapturePhase::CopyAsked);
    }

    // In a terminal only a selection made since the first press of the double-click is
    // taken: one on blank space selects nothing and leaves an older selection behind.
    void terminalTakesOnlyTheGesturesSelection_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("reported");   // the platform can tell a new selection
        QTest::addColumn<QString>("selected"); // "before", "between" the clicks, "during" the wait
        QTest::addColumn<bool>("captured");
        QTest::newRow("selected by the double-click") << "xterm" << true << "during" << true;
        QTest::newRow("selected between the clicks") << "xterm" << true << "between" << true;
        QTest::newRow("blank space: the old selection is left") << "xterm" << true << "before" << false;
        QTest::newRow("cannot be told: taken as before") << "xterm" << false << "before" << true;
        QTest::newRow("no terminal: the copy keystroke decides") << "kwrite" << true << "before" << true;
    }
    void terminalTakesOnlyTheGesturesSelection()
    {
        QFETCH(QString, program);
        QFETCH(bool, reported);
        QFETCH(QString, selected);
        QFETCH(bool, captured);
        Rig& r = *m_rig;
        r.platform.setWindowExeName(7, program);
        r.platform.setReportsPrimaryChanges(reported);
        r.platform.setPrimaryText(QStringLiteral("reads"));
        // Outlives the callback that reads it: the wait after the second press runs it.
        bool done = false;
        if (selected == QLatin1String("during")) {
            r.platform.onProcessEvents([&] {
                if (!done)
                    r.platform.setPrimaryText(QStringLiteral("word"));
                done = true;
            });
        }
        r.play(QStringLiteral("DU"));
        if (selected == QLatin1String("between"))
            r.platform.setPrimaryText(QStringLiteral("word"));
        r.play(QStringLiteral("DU"));
        const bool terminal = program == QLatin1String("xterm");
        QCOMPARE(r.platform.log().contains(QStringLiteral("primary-copy")), terminal && captured);
        QCOMPARE(r.platform.sentKeys(), terminal ? 0 : 1);
        QCOMPARE(r.state.capturePhase(), captured ? CapturePhase::CopyAsked : CapturePhase::None);
        QCOMPARE(r.platform.clipboardText(),
                 !terminal || !captured ? QStringLiteral("user text") : selected == QLatin1String("before") ? QStringLiteral("reads") : QStringLiteral("word"));
    }

    // The copy waits for the user's clipboard to be saved; one too large to keep is never
    // replaced by a capture.
    void copyWaitsForTheClipboardSave_data()
    {
        QTest::addColumn<int>("saveResult");
        QTest::addColumn<int>("pendingDispatches");
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("clktrans");
        QTest::newRow("saved during the pause") << int(ClipboardSave::Saved) << 3 << 1 << true;
        QTest::newRow("saved after the pause") << int(ClipboardSave::Saved) << 40 << 1 << true;
        QTest::newRow("owner too slow: no copy") << int(ClipboardSave::Saved) << 100000 << 0 << false;
        QTest::newRow("too large: no copy") << int(ClipboardSave::TooLarge) << 3 << 0 << false;
        QTest::newRow("incomplete: no copy") << int(ClipboardSave::Incomplete) << 3 << 0 << false;
    }
    void copyWaitsForTheClipboardSave()
    {
        QFETCH(int, saveResult);
        QFETCH(int, pendingDispatches);
        QFETCH(int, keys);
        QFETCH(bool, clktrans);
        Rig& r = *m_rig;
        r.platform.setSecondsPerEventDispatch(0.01);
        r.platform.setClipboardSaveResult(ClipboardSave(saveResult), pendingDispatches);
        ClipboardSave atCopy = ClipboardSave::Idle;
        r.platform.onCopyKeystroke([&] { atCopy = r.platform.clipboardSaveState(); });
        const double start = r.platform.clockSeconds();
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(r.platform.sentKeys(), keys);
        QCOMPARE(r.state.clktrans(), clktrans);
        if (keys == 1)
            QCOMPARE(atCopy, ClipboardSave::Saved);
        // Never longer than the pause (150 ms) and the save's own limit (3 s).
        QVERIFY(r.platform.clockSeconds() - start <= 0.15 + 3.0 + 0.05);
        // Nothing copied: the user's sound is back at once.
        if (keys == 0)
            QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), QStringLiteral("ding.wav"));
    }

    // A default sound left silenced by a run that ended during a capture is repaired at the
    // next start; anything else is left alone.
    void silencedSoundIsRepairedAtStart_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("saved"); // the kept value, mark included
        QTest::addColumn<QString>("expected");
        const QString mark = kSavedSoundMark;
        QTest::newRow("left silenced, saved value kept") << kSilent << mark + "ding.wav" << "ding.wav";
        QTest::newRow("left silenced, the user had none") << kSilent << mark << "";
        QTest::newRow("left silenced, nothing kept") << kSilent << "" << kSilent;
        QTest::newRow("the user's own sound") << "bell.oga" << mark + "ding.wav" << "bell.oga";
    }
    void silencedSoundIsRepairedAtStart()
    {
        QFETCH(QString, current);
        QFETCH(QString, saved);
        QFETCH(QString, expected);
        Rig& r = *m_rig;
        r.platform.setRegistryValue(kDefaultSoundKey, QString(), current);
        r.platform.setRegistryValue(kSavedSoundKey, QString(), saved);
        r.watcher.repairSilencedSound();
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), expected);
    }

    void captureKeepsTheUsersSoundForARestart()
    {
        Rig& r = *m_rig;
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kSilent);
        // The run ends here (killed): the next start finds the sound to put back.
        Rig next(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        next.platform.setRegistryValue(kDefaultSoundKey, QString(), kSilent);
        next.platform.setRegistryValue(kSavedSoundKey, QString(),
                                       r.platform.registryValue(kSavedSoundKey, QString()));
        next.watcher.repairSilencedSound();
        QCOMPARE(next.platform.registryValue(kDefaultSoundKey, QString()), QStringLiteral("ding.wav"));
    }

    // In the Caps Lock mode the press of Caps Lock made for the gesture is undone, once per
    // capture, before the copy.
    void capsLockPressIsUndone_data()
    {
        QTest::addColumn<QString>("threeclk");
        QTest::addColumn<int>("undos");
        QTest::newRow("Caps Lock mode") << "True" << 1;
        QTest::newRow("plain mode") << "False" << 0;
    }
    void capsLockPressIsUndone()
    {
        QFETCH(QString, threeclk);
        QFETCH(int, undos);
        Rig& r = *m_rig;
        r.settings.write(Key::threeclk, threeclk);
        r.platform.setCapsLockDown(true);
        r.play(QStringLiteral("DUDU"));
        QCOMPARE(int(r.platform.log().count(QStringLiteral("caps-undo"))), undos);
        if (undos)
            QVERIFY(r.platform.log().indexOf(QStringLiteral("caps-undo")) <
                    r.platform.log().indexOf(QStringLiteral("keys:^{Insert}")));
    }
};

QTEST_GUILESS_MAIN(TestClickWatcher)
#include "tst_clickwatcher.moc"
