#include "app/Form2.h"

#include "app/Artwork.h"
#include "app/Background.h"
#include "app/ChmViewerQuery.h"
#include "app/StartupTrace.h"
#include "app/TrayCommands.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "app/about.h"
#include "app/frmSplash.h"
#include "core/Units.h"
#include "core/WordRecorder.h"
#include "forms/options.h"
#include "journal/Journal.h"
#include "journal/JournalRecorder.h"
#include "panel/ArticleWindow.h"
#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/JournalWindow.h"
#include "panel/PanelCommands.h"
#include "panel/SearchInput.h"
#include "panel/SkinDressing.h"
#include "platform/Module1.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "skins/Skins.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QPixmap>
#include <cstdio>
#include <fontconfig/fontconfig.h>

namespace zarvik {

namespace {
constexpr int kDictionaryWindowLoadDelayMs = 500;
} // namespace

Form2::Form2(Platform& platform, Settings& settings, const QString& programDir)
    : QWidget(nullptr,
              // WindowTransparentForInput gives the window an empty input shape: a click on
              // the strip reaches the word under it, as if the strip were not there.
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                  Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput),
      m_platform(platform), m_settings(settings), m_programDir(programDir), m_strip(*this, Timer4, platform),
      m_lookupSource(m_data1), m_watcher(platform, settings, m_state, m_strip, Timer2, programDir),
      m_lookup(platform, settings, m_state, m_strip, m_lookupSource,
               QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
      m_native(platform, m_lookup, [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); }),
      m_schedule(platform, m_state)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());

    // The option is read at every word, so switching it off stops the next one.
    m_journalRecorder = std::make_unique<JournalRecorder>(
        Journal::defaultFolder(), [this] { return m_settings.numberIs(Key::KeepJournal, 1); });
    m_lookup.setRecorder(m_journalRecorder.get());

    m_state.setClk2ChangeHandler([this] { m_watcher.clk2_Change(); });
    // Every tick that can start or end the work of a poll is followed by the schedule.
    connect(&Timer1, &QTimer::timeout, this, [this] {
        m_watcher.Timer1_Timer();
        applySchedule();
    });
    connect(&Timer2, &QTimer::timeout, this, [this] {
        m_watcher.Timer2_Timer();
        applySchedule();
    });
    connect(&Timer3, &QTimer::timeout, this, [this] {
        m_lookup.Timer3_Timer();
        applySchedule();
    });
    // A monitor plugged in or out moves the panel to the desktop's new right edge; the strip
    // asks for the monitors at every show and needs no telling.
    m_platform.setMonitorsChangedHandler([this] {
        if (m_form3)
            m_form3->monitorsChanged();
    });
    connect(&Timer4, &QTimer::timeout, this, [this] { m_strip.Timer4_Timer(); });

    // A press wakes the click watcher: its first tick comes one interval later, and the
    // platform keeps the press for it, however short it was.
    m_platform.setLeftButtonPressHandler([this] {
        m_schedule.leftButtonPressed();
        applySchedule();
    });
    // A new clipboard owner is looked at at once rather than at the next tick: the copy
    // keystroke of a capture shows its strip that much sooner.
    m_platform.setClipboardOwnerChangeHandler([this] {
        m_native.platformClipboardChanged();
        m_lookup.Timer3_Timer();
        applySchedule();
    });
    // Copies and selections of native Wayland programs, which the X11 view never sees.
    m_platform.setNativeSelectionHandler([this](SelectionKind kind, const QString& text) {
        m_native.selectionChanged(kind, text);
        applySchedule();
    });

    Timer1.setInterval(10);
    Timer2.setInterval(250);
    Timer3.setInterval(50);
    Timer4.setInterval(3000);
    // With nothing to do yet, both polls sleep until the desktop reports a press or a copy
    // (or run all the time on a platform that cannot report them).
    applySchedule();
    wireShell();
}

void Form2::wireShell()
{
    m_trayIcon = std::make_unique<TrayIcon>(m_platform);
    m_trayIcon->setScreenTip(QStringLiteral("Zarvik 5.0"));
    TrayTargets targets;
    targets.panelTopTwips = [this] { return form3().topTwips(); };
    targets.openDictionary = [this] { mnuopen_Click(); };
    targets.showOptions = [this] { showOptions(); };
    targets.showAbout = [this] { showAbout(); };
    targets.showJournal = [this] { showJournal(); };
    targets.removeTrayIcon = [this] { m_trayIcon->Remove(); };
    // Every setting is on disk the moment it is written, so ending the event loop loses
    // nothing; the windows go with the process.
    targets.quit = [] { QCoreApplication::exit(0); };
    auto* chmViewer = new ChmViewerQuery(this);
    targets.askChmViewer = [chmViewer](std::function<void(bool)> answer) { chmViewer->ask(std::move(answer)); };
    targets.shownHeadword = [this] { return m_state.shownHeadword; };
    targets.openArticle = [this](const QString& headword) { articleWindow().openHeadword(headword); };
    m_trayCommands = std::make_unique<TrayCommands>(m_platform, m_settings, m_programDir, std::move(targets));
    m_trayMenu = std::make_unique<TrayMenu>(*m_trayCommands);
    connect(m_trayIcon.get(), &TrayIcon::Click, this, [this] {
        // The icon opens the panel on the press; the release that follows is no click outside
        // the panel, or a press held past the slide would shut the panel it just opened.
        m_state.panelPressed();
        m_trayCommands->mnuopen_Click();
    });
    connect(m_trayIcon.get(), &TrayIcon::RightClick, this, [this] { m_trayMenu->popup(m_platform.cursorPos()); });
}

void Form2::showAbout()
{
    about box(m_platform, m_data1.databaseName());
    box.exec();
}

void Form2::showJournal()
{
    if (!m_journalWindow) {
        // A short wait for another copy's write: this connection runs on the interface thread.
        m_journal = std::make_unique<Journal>(Journal::defaultFolder(), 250);
        JournalWindow::Hooks hooks;
        hooks.openArticle = [this](const QString& word) { articleWindow().openHeadword(word); };
        hooks.transcription = [this](const QString& word) { return m_data1.transcription(word); };
        m_journalWindow = std::make_unique<JournalWindow>(*m_journal, std::move(hooks));
        m_journalWindow->wearSkin(m_skins.load(m_settings.text(Key::skinname, kBuiltInSkin)));
    } else {
        m_journalWindow->reload();
    }
    m_journalWindow->show();
    m_journalWindow->raise();
    m_journalWindow->activateWindow();
}

Form2::~Form2()
{
    // The window goes before its journal.
    m_journalWindow.reset();
    m_platform.setLeftButtonPressHandler({});
    m_platform.setClipboardOwnerChangeHandler({});
    m_platform.setNativeSelectionHandler({});
    m_platform.setMonitorsChangedHandler({});
    // An exit in the middle of a capture leaves neither the word on the clipboard nor the
    // sound silenced.
    m_lookup.endPendingCapture();
    // The unload handler: the icon leaves the notification area with the form.
    m_trayIcon->Remove();
    // The watcher must not reach a panel that is going away, nor an open dialog this form.
    setPanel(nullptr);
    delete m_options;
}

void Form2::applySchedule()
{
    // A running timer is left alone: starting it again would put its next tick off.
    const auto apply = [](QTimer& timer, bool needed) {
        if (!needed)
            timer.stop();
        else if (!timer.isActive())
            timer.start();
    };
    apply(Timer1, m_schedule.watcherNeeded());
    apply(Timer3, m_schedule.lookupNeeded());
}

Form3& Form2::form3()
{
    if (!m_form3) {
        // Its input line and list wait for the fonts (see readFontsAhead).
        m_form3 = std::make_unique<Form3>(m_platform, m_settings, m_state, m_programDir,
                                          Form3::TextControls::WhenNeeded);
        setPanel(m_form3.get());
        // Any button but the left on the handle or strip pops up the tray menu.
        m_form3->setMenuHook([this](QPoint at) { m_trayMenu->popup(at); });
        m_form3->setArticleHook([this](const QString& line) { articleWindow().openLine(line); });
    }
    return *m_form3;
}

DictionaryWindow& Form2::form1()
{
    if (!m_form1) {
        // A window loaded again after Escape gets the current skin at once, so it never
        // comes back without its pictures.
        m_form1 = std::make_unique<DictionaryWindow>(
            m_platform, m_programDir, [this](Form1& form) {
                applyskin(m_settings, m_skins, form);
                form.setArticleHook([this](const QString& line) { articleWindow().openLine(line); });
            });
    }
    return *m_form1;
}

ArticleWindow& Form2::articleWindow()
{
    // Made at the first opening, not at start: a user who never reads an article pays
    // nothing for it. Then kept, hidden between openings, so that the next opening only lays
    // out its text.
    if (!m_article) {
        m_article = std::make_unique<ArticleWindow>(m_platform, m_programDir);
        applyskin(m_settings, m_skins, *m_article);
        // An article read is a word met, as a strip shown is; a headword the dictionary does
        // not have (a link to a missing entry) is not. The window's own reader answers, so the
        // pop-up machinery's current result is left alone.
        connect(m_article.get(), &ArticleWindow::articleShown, this, [this](const QString& headword) {
            DictionaryReader& reader = m_article->Data1();
            reader.exactLookup(headword, DictionaryReader::Table::EngRus, 1);
            if (reader.recordCount() == 0)
                return;
            reader.moveFirst();
            m_journalRecorder->wordShown(reader.field(0), reader.field(1), LookupSource::Panel);
        });
    }
    return *m_article;
}

void Form2::mnuopen_Click()
{
    // The panel's closing sequence itself hands the keyboard back to the user's program; the
    // main form is the pop-up strip and never takes it.
    mnuopen(m_settings, form3(), form1(), {});
}

options* Form2::optionsDialog() const
{
    return m_options;
}

void Form2::showOptions()
{
    if (m_options) {
        m_options->show();
        m_options->raise();
        m_options->activateWindow();
        return;
    }
    OptionsHost host;
    host.applySkin = [this] {
        if (m_article)
            applyskin(m_settings, m_skins, *m_article);
        return applyskin(m_settings, m_skins, form3(), m_form1 ? m_form1->loaded() : nullptr);
    };
    host.showPanel = [this](bool show) {
        // A panel switched off while open is shut first, so that its auto-hide stops and it
        // does not come back open when it is switched on again.
        if (!show && form3().isVisible() && !form3().isClosedPosition())
            form3().closingSequence();
        form3().setVisible(show);
    };
    m_options = new options(m_settings, m_platform, m_skins, std::move(host));
    m_options->Form_Load();
    m_options->show();
}

void Form2::Form_Load()
{
    // Tell the vendor a copy started, in the background, when the machine is online.
    if (Module1::InternetCheck(m_platform))
        m_homePage.navigate(m_homePageAddress);
    // The double-click window follows the desktop's setting.
    Timer2.setInterval(m_platform.doubleClickTime());
    // Parked off-screen; the zero size is corrected by the activate handler.
    setGeometry(-10000, -10000, 1, 1);
    // The splash screen, painted before anything else happens.
    if (splashWanted(m_settings)) {
        m_splash = std::make_unique<frmSplash>(m_platform, m_settings, m_skins);
        // Gone from the screen, it goes from memory too (later: it is the one that tells).
        connect(m_splash.get(), &frmSplash::finished, this, [this] {
            if (m_splash)
                m_splash.release()->deleteLater();
        });
        m_splash->Show();
        m_splashShown = true;
        if (m_splash) // not clicked away already
            emit splashShown(*m_splash);
        startupStep("splash shown");
    }
    // A default sound that an interrupted run left silenced is the user's again.
    m_watcher.repairSilencedSound();
    // The dictionary beside the program.
    m_data1.setDatabaseName(m_programDir + QStringLiteral("/zarvik.bdd"));
    // The clipboard text to compare with and to put back. In a Wayland session XWayland
    // hands the native clipboard to X11 programs only later (once one of them is in front):
    // until then the X11 clipboard is empty, and what the user had copied would arrive as a
    // fresh copy.
    m_state.oldbuffer = m_platform.clipboardText();
    if (m_state.oldbuffer.isEmpty())
        m_state.oldbuffer = m_platform.nativeClipboardAtStart();
    // Where native Wayland programs cannot be watched, the user hears it once, here.
    m_native.start();
    startupStep("clipboard read");
    // One yield, so that enabled timers may fire.
    m_platform.processEvents();
    startupStep("events yielded");

    // Each of these steps stands alone: none of them throws, and a picture or setting
    // that cannot be read leaves its own target as it was.
    // A broken skin folder falls back to the built-in skin before anything is dressed.
    testskin(m_settings, m_skins);
    startupStep("skin checked");
    // Dressing the panel loads it, hidden. The dictionary window, hidden too, waits (below).
    applyskin(m_settings, m_skins, form3(), m_form1 ? m_form1->loaded() : nullptr);
    startupStep("panel dressed");
    // The icon in the notification area, with its tip.
    m_trayIcon->Add(QIcon(QPixmap::fromImage(m_trayPicture ? m_trayPicture() : Artwork::icon(Artwork::kTraySize))));
    startupStep("tray icon added");
    // The splash goes once it has been seen (nothing when it was not shown, or was clicked
    // away); the start-up does not wait for it.
    if (m_splash)
        m_splash->startupDone();
    // The panel comes up closed at the right screen edge.
    if (m_settings.numberIs(Key::ShowPanel, 1))
        form3().show();
    startupStep("panel shown");
    readFontsAhead();
    // Only now: making our native window costs the toolkit a dozen round trips to the server,
    // which the panel need not wait for. No capture can be looked up before this (the polls
    // sleep until the first press or copy, and the event loop has not run).
    m_lookup.setOwnWindow(static_cast<WindowId>(winId()));
    // Loading and dressing the hidden dictionary window (its pictures decoded) would delay
    // the panel by a few milliseconds; half a second later the panel has been painted and the
    // user has not yet reached for the window, whose first opening is then as quick as any.
    // Opened sooner, it is loaded then.
    QTimer::singleShot(kDictionaryWindowLoadDelayMs, this, [this] { form1().form(); });
}

void Form2::readFontsAhead()
{
    // Nothing on the screen so far needs the fonts: the closed panel shows pictures only,
    // the tray icon is drawn without a font's letters, the strip waits off the screen. So
    // the font configuration and the toolkit's font database, several milliseconds of
    // reading, are read only now, on a second thread; read earlier they held up the panel
    // on a machine with few cores. The panel's input line and list are made once they are
    // read; a panel opened sooner makes them itself. fontconfig and the toolkit's database
    // may be entered from two threads at once.
    m_fontsRead = inBackground([this] {
        FcInit();
        QFontDatabase::families();
        QMetaObject::invokeMethod(this, [this] { form3().makeTextControls(); }, Qt::QueuedConnection);
    });
}

void Form2::Form_Activate()
{
    resize(twipsToPixels(4000), twipsToPixels(300));
}

void Main(Form2& form)
{
    form.Form_Load();
    form.show();
    form.Form_Activate();
}

bool splashWanted(const Settings& settings)
{
    return settings.numberIs(Key::ShowSplash, 1);
}

} // namespace zarvik
