#include "app/Form2.h"

#include "app/Units.h"
#include "platform/Module1.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>

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
}

Form2::~Form2() = default;

void Form2::Form_Load()
{
    // 2. The double-click window follows the desktop's setting.
    Timer2.setInterval(m_platform.doubleClickTime());
    // 3. Parked off-screen; the zero size is corrected by the activate handler.
    setGeometry(-10000, -10000, 1, 1);
    // 5. The dictionary beside the program.
    m_data1.setDatabaseName(m_programDir + QStringLiteral("/zarvik.bdd"));
    // 6. The clipboard text to compare with and to put back.
    m_state.oldbuffer = m_platform.clipboardText();
    // 7. One yield, so that enabled timers may fire.
    m_platform.processEvents();
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
