#include "app/Form2.h"

#include "app/Artwork.h"
#include "app/TrayCommands.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "app/Units.h"
#include "app/about.h"
#include "app/frmSplash.h"
#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PanelCommands.h"
#include "platform/Module1.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "skins/Skins.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

namespace zarvik {

Form2::Form2(Platform& platform, Settings& settings, const QString& programDir)
    : QWidget(nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                  Qt::X11BypassWindowManagerHint),
      m_platform(platform), m_settings(settings), m_programDir(programDir), m_strip(*this, Timer4, platform),
      m_lookupSource(m_data1), m_watcher(platform, settings, m_state, m_strip, Timer2, programDir),
      m_lookup(platform, settings, m_state, m_strip, m_lookupSource,
               QFileInfo(QCoreApplication::applicationFilePath()).fileName())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());

    m_lookup.setOwnWindow(static_cast<WindowId>(winId()));
    m_state.setClk2ChangeHandler([this] { m_watcher.clk2_Change(); });
    connect(&Timer1, &QTimer::timeout, this, [this] { m_watcher.Timer1_Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [this] { m_watcher.Timer2_Timer(); });
    connect(&Timer3, &QTimer::timeout, this, [this] { m_lookup.Timer3_Timer(); });
    connect(&Timer4, &QTimer::timeout, this, [this] { m_strip.Timer4_Timer(); });

    Timer1.setInterval(10);
    Timer2.setInterval(250);
    Timer3.setInterval(50);
    Timer4.setInterval(3000);
    // Enabled in the form's definition: they run from the moment the form exists.
    Timer1.start();
    Timer3.start();
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
    targets.removeTrayIcon = [this] { m_trayIcon->Remove(); };
    // Every setting is on disk the moment it is written, so ending the event loop loses
    // nothing; the windows go with the process.
    targets.quit = [] { QCoreApplication::exit(0); };
    targets.chmViewerRegistered = &desktopHasChmViewer;
    m_trayCommands = std::make_unique<TrayCommands>(m_platform, m_settings, m_programDir, std::move(targets));
    m_trayMenu = std::make_unique<TrayMenu>(*m_trayCommands);
    connect(m_trayIcon.get(), &TrayIcon::Click, this, [this] { m_trayCommands->mnuopen_Click(); });
    connect(m_trayIcon.get(), &TrayIcon::RightClick, this, [this] { m_trayMenu->popup(m_platform.cursorPos()); });
}

void Form2::showAbout()
{
    about box(m_platform, m_data1.databaseName());
    box.exec();
}

// Placeholder until the options dialog lands; the options work provides the real one.
void Form2::showOptions() {}

Form2::~Form2()
{
    // The unload handler: the icon leaves the notification area with the form.
    m_trayIcon->Remove();
    // The watcher must not reach a panel that is going away.
    setPanel(nullptr);
}

Form3& Form2::form3()
{
    if (!m_form3) {
        m_form3 = std::make_unique<Form3>(m_platform, m_settings, m_state, m_programDir);
        setPanel(m_form3.get());
        // Any button but the left on the handle or strip pops up the tray menu.
        m_form3->setMenuHook([this](QPoint at) { m_trayMenu->popup(at); });
    }
    return *m_form3;
}

DictionaryWindow& Form2::form1()
{
    if (!m_form1) {
        // A window loaded again after Escape gets the current skin at once, so it never
        // comes back without its pictures.
        m_form1 = std::make_unique<DictionaryWindow>(
            m_platform, m_programDir, [this](Form1& form) { applyskin(m_settings, m_programDir, form); });
    }
    return *m_form1;
}

void Form2::mnuopen_Click()
{
    // The panel's closing sequence itself hands the keyboard back to the user's program; the
    // main form is the pop-up strip and never takes it.
    mnuopen(m_settings, form3(), form1(), {});
}

void Form2::Form_Load()
{
    // 1. Tell the vendor a copy started, in the background, when the machine is online.
    if (Module1::InternetCheck(m_platform))
        m_homePage.navigate(m_homePageAddress);
    // 2. The double-click window follows the desktop's setting.
    Timer2.setInterval(m_platform.doubleClickTime());
    // 3. Parked off-screen; the zero size is corrected by the activate handler.
    setGeometry(-10000, -10000, 1, 1);
    // 4. The splash screen, painted before anything else happens.
    if (m_settings.numberIs(Key::ShowSplash, 1)) {
        m_splash = std::make_unique<frmSplash>(m_platform, m_settings, m_programDir);
        m_splash->Show();
        m_splashShown = true;
        emit splashShown(*m_splash);
    }
    // 5. The dictionary beside the program.
    m_data1.setDatabaseName(m_programDir + QStringLiteral("/zarvik.bdd"));
    // 6. The clipboard text to compare with and to put back.
    m_state.oldbuffer = m_platform.clipboardText();
    // 7. One yield, so that enabled timers may fire.
    m_platform.processEvents();

    // 8-13. Each of these steps stands alone: none of them throws, and a picture or setting
    // that cannot be read leaves its own target as it was.
    // 9. A broken skin folder falls back to the built-in skin before anything is dressed.
    testskin(m_settings, m_programDir);
    // 10. Dressing the panel and the dictionary window loads them, hidden.
    applyskin(m_settings, m_programDir, form3(), &form1().form());
    // 11. The icon in the notification area, with its tip.
    m_trayIcon->Add(QIcon(QPixmap::fromImage(Artwork::icon(32))));
    // 12. The splash goes (nothing when it was not shown).
    m_splash.reset();
    // 13. The panel comes up closed at the right screen edge.
    if (m_settings.numberIs(Key::ShowPanel, 1))
        form3().show();
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

} // namespace zarvik
