#pragma once

#include "app/HomePageProbe.h"
#include "app/TickSchedule.h"
#include "dictionary/DictionaryReader.h"
#include "popup/CapturedWordLookup.h"
#include "popup/ClickWatcher.h"
#include "popup/DictionaryLookupSource.h"
#include "popup/HiddenState.h"
#include "popup/NativeSelectionWatcher.h"
#include "popup/PopupStrip.h"
#include "skins/Skin.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <future>
#include <memory>

namespace zarvik {

class ArticleWindow;
class DictionaryWindow;
class Journal;
class JournalRecorder;
class JournalWindow;
class Form3;
class frmSplash;
class TrayCommands;
class TrayIcon;
class TrayMenu;
class Platform;
class Settings;
class PanelControl;
class options;

// The main form: never hidden, parked off-screen; it holds the hidden state and the timers
// of the pop-up machinery, runs the start-up and doubles as the pop-up strip.
class Form2 final : public QWidget {
    Q_OBJECT
public:
    Form2(Platform& platform, Settings& settings, const QString& programDir);
    ~Form2() override;

    HiddenState& state() { return m_state; }
    DictionaryReader& Data1() { return m_data1; }
    // Reads the skins (the splash and the options dialog take their pictures from it too).
    SkinLoader& skins() { return m_skins; }
    QString programDir() const { return m_programDir; }

    // Where the start-up takes the tray icon's picture from; by default it is drawn there.
    void setTrayPicture(std::function<QImage()> picture) { m_trayPicture = std::move(picture); }
    // The start-up sequence (load handler).
    void Form_Load();
    // Every activation gives the form its 4000 x 300 twips.
    void Form_Activate();

    // The panel the click watcher closes on an outside click; none until it exists.
    void setPanel(PanelControl* panel)
    {
        m_panel = panel;
        m_watcher.setPanel(panel);
    }
    PanelControl* panel() const { return m_panel; }

    // The dictionary panel and the dictionary window, loaded (hidden) when first addressed.
    Form3& form3();
    DictionaryWindow& form1();
    // The article window, made when first opened.
    ArticleWindow& articleWindow();
    ArticleWindow* articleWindowIfMade() const { return m_article.get(); }
    // The tray command "Словарь...": opens or closes the panel, or shows the dictionary
    // window when the panel is switched off.
    void mnuopen_Click();
    // Opens the options dialog, or brings the open one forward (its controls are not
    // reloaded). The dialog unloads itself when it closes.
    void showOptions();
    options* optionsDialog() const;
    // The about box, modal.
    void showAbout();
    // The journal of looked-up words: the window, loaded when first asked for, brought
    // forward when open.
    void showJournal();
    JournalWindow* journalWindow() const { return m_journalWindow.get(); }
    // Keeps the journal from the words the strip shows (and the panel's, once it reports them).
    JournalRecorder& journalRecorder() { return *m_journalRecorder; }
    // The notification-area icon, the tray menu and its commands.
    TrayIcon& TrayIcon1() { return *m_trayIcon; }
    TrayMenu& trayMenu() { return *m_trayMenu; }
    TrayCommands& trayCommands() { return *m_trayCommands; }
    // Whether this start-up showed the splash screen.
    bool splashWasShown() const { return m_splashShown; }
    // The background request of the start-up, and where it goes (tests point it at loopback).
    const HomePageProbe& homePage() const { return m_homePage; }
    void setHomePageAddress(const QUrl& address) { m_homePageAddress = address; }

    // The pop-up machinery: the strip (with Label1, Label2 and Timer4), the click watcher
    // (Timer1, Timer2, clk2) and the captured-word lookup (Timer3).
    PopupStrip& strip() { return m_strip; }
    ClickWatcher& watcher() { return m_watcher; }
    CapturedWordLookup& lookup() { return m_lookup; }
    // What native programs of a Wayland session copy and select.
    NativeSelectionWatcher& nativeSelections() { return m_native; }

    QTimer Timer1; // 10 ms, click watcher, while it has work (see TickSchedule)
    QTimer Timer2; // double-click window
    QTimer Timer3; // 50 ms, captured-word lookup, while a capture waits for its copy
    QTimer Timer4; // 3000 ms, hides the pop-up

signals:
    // The splash screen is on the screen, painted; the start-up goes on when this returns.
    void splashShown(frmSplash& splash);

private:
    // Starts or stops the two polls as the schedule says.
    void applySchedule();
    void wireShell();
    void readFontsAhead();

    Platform& m_platform;
    Settings& m_settings;
    QString m_programDir;
    SkinLoader m_skins{m_programDir};
    HiddenState m_state;
    DictionaryReader m_data1;
    PanelControl* m_panel = nullptr;
    PopupStrip m_strip;
    DictionaryLookupSource m_lookupSource;
    ClickWatcher m_watcher;
    CapturedWordLookup m_lookup;
    NativeSelectionWatcher m_native;
    TickSchedule m_schedule;
    HomePageProbe m_homePage;
    QUrl m_homePageAddress = kHomePage;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<DictionaryWindow> m_form1;
    std::unique_ptr<ArticleWindow> m_article;
    QPointer<options> m_options;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::function<QImage()> m_trayPicture;
    std::unique_ptr<TrayCommands> m_trayCommands;
    std::unique_ptr<TrayMenu> m_trayMenu;
    std::unique_ptr<frmSplash> m_splash;
    // The recorder writes on a thread of its own, begun at the first word; the window reads
    // through a connection of its own, made when it is first opened.
    std::unique_ptr<JournalRecorder> m_journalRecorder;
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<JournalWindow> m_journalWindow;
    bool m_splashShown = false;
    // Last, so that the reading is waited for before any other member goes.
    std::future<void> m_fontsRead;
};

// The entry procedure: shows the main form modeless, which runs its load handler and then
// its activate handler.
void Main(Form2& form);
// Whether this start-up begins with the splash screen.
bool splashWanted(const Settings& settings);

} // namespace zarvik
