// Shows the open panel with a list of results, and the dictionary window beside it, on a
// real display for a screenshot:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/panel_viewer 5 &
//   import -window root /tmp/panel.png
#include "DictionaryDouble.h"

#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PanelCommands.h"
#include "panel/SearchInput.h"
#include "panel/SkinDressing.h"
#include "platform/Platform.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

using namespace zarvik;

namespace {
// Just enough of a desktop for the panel: a clock, event dispatch and the screen size.
class ViewerPlatform final : public Platform {
public:
    ViewerPlatform() { m_clock.start(); }
    WindowId foregroundWindow() override { return 0; }
    void activateWindow(WindowId) override {}
    QString windowExeName(WindowId) override { return {}; }
    bool leftButtonDown() override { return false; }
    bool capsLockDown() override { return false; }
    QPoint cursorPos() override { return {}; }
    int doubleClickTime() override { return 400; }
    void sendCopyKeystroke() override {}
    QString clipboardText() override { return {}; }
    void writeClipboardText(const QString&) override {}
    QString readRegString(const QString&, const QString&) override { return {}; }
    void writeRegString(const QString&, const QString&, const QString&) override {}
    bool internetConnected() override { return false; }
    void openDocument(const QString&) override {}
    double clockSeconds() override { return m_clock.nsecsElapsed() / 1e9; }
    void processEvents() override { QCoreApplication::processEvents(); }
    QSize screenSize() override { return QGuiApplication::primaryScreen()->size(); }
    void forgetButtonChanges() override {}
    quint64 clipboardOwnerChanges() override { return 0; }
    QRect screenGeometryAt(QPoint) override { return QGuiApplication::primaryScreen()->geometry(); }
    void saveClipboard() override {}
    ClipboardSave clipboardSaveState() override { return ClipboardSave::Idle; }
    void restoreClipboard(const QString&) override {}
    void copyPrimarySelection() override {}

private:
    QElapsedTimer m_clock;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;
    QTemporaryDir dir;
    ViewerPlatform platform;
    Settings settings(dir.filePath(QStringLiteral("Zarvik5.ini")));
    settings.writeFlag(Key::hide5sec, false);
    HiddenState state;
    DictionaryDouble dict;

    Form3 panel(platform, settings, state, dir.path());
    panel.setLister(dict);
    applyskin(settings, dir.path(), panel, nullptr);
    panel.show();
    DictionaryWindow dictionary(platform, dir.path(), [&](Form1& form) {
        form.setLister(dict);
        applyskin(settings, dir.path(), form);
    });

    QTimer::singleShot(300, [&] {
        mnuopen(settings, panel, dictionary, {});
        panel.Text1->setText(QStringLiteral("c"));
        dictionary.show();
        dictionary.form().move(100, 100);
        dictionary.form().Text1->setText(QStringLiteral("ca"));
    });
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
