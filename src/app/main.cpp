#include "app/Artwork.h"
#include "app/Background.h"
#include "app/Form2.h"
#include "app/JournalCommand.h"
#include "app/StartupTrace.h"
#include "platform/PlatformFactory.h"
#include "platform/SessionKind.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDBusConnection>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <csignal>
#include <fontconfig/fontconfig.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// A logout (hang-up), a terminate request or Ctrl+C ends the program as the menu's "Выход"
// does: through the end of the event loop, so that whatever the program holds on the
// clipboard is handed on before it goes.
void quitOnEndSignals(QObject* context)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        QCoreApplication::exit(0);
    });
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], zarvik::kKeepClipboardArgument) == 0)
        return zarvik::runClipboardKeeper();
    if (const int code = zarvik::runJournalExport(argc, argv); code >= 0)
        return code;
    const auto session = zarvik::SessionEnvironment::current(argc, argv);
    // Chosen before the toolkit reads it: its windows and the program's X11 layer must meet
    // on one server.
    const QByteArray toolkitPlatform = zarvik::SessionKind::toolkitPlatform(session);
    if (!toolkitPlatform.isEmpty())
        qputenv("QT_QPA_PLATFORM", toolkitPlatform);
    zarvik::startupStep("main");
    QString error;
    if (!zarvik::displayReachable(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(zarvik::SessionKind::noDisplayMessage(session, error)));
        return 2;
    }
    zarvik::startupStep("display reachable");
    // Read before the toolkit (the store names itself, it needs no application object): the
    // splash decides when the fonts are read.
    zarvik::Settings settings;
    // The splash shows text at once: its font configuration is read while the toolkit
    // connects. Without it the fonts wait until the panel is up (Form2::readFontsAhead).
    // Not before the display check: a start that ends there has no use for them.
    std::future<void> fontConfiguration;
    if (zarvik::splashWanted(settings))
        fontConfiguration = zarvik::inBackground([] { FcInit(); });
    // Our own connection to the server is made while the toolkit makes its own.
    zarvik::PlatformAhead platformAhead = zarvik::connectPlatformAhead();
    QApplication app(argc, argv);
    if (fontConfiguration.valid())
        fontConfiguration.wait();
    zarvik::startupStep("application");
    app.setApplicationName(QStringLiteral("Zarvik5"));
    // A resident program: closing a window never ends it, only the exit command does.
    app.setQuitOnLastWindowClosed(false);

    auto platform = zarvik::createPlatform(std::move(platformAhead), &error);
    if (!platform) {
        std::fprintf(stderr, "zarvik: %s\n", qPrintable(error));
        return 2;
    }
    zarvik::startupStep("platform");
    // The toolkit connects to the session bus when the tray icon is added (to ask for a
    // notification-area watcher there) and when its accessibility bridge starts, and waits
    // for it. It is connected here instead, before any second thread of ours begins, while the
    // only others (the toolkit's and the clipboard reader's) wait on their sockets: where
    // there is no bus, the D-Bus library forks to try to start one, and a child forked while
    // another thread holds an allocator lock can hang before it runs anything (seen under the
    // address sanitizer), and the start with it.
    QDBusConnection::sessionBus();
    zarvik::startupStep("session bus");
    // The tray icon's picture is painted on a second thread while the main form is built, on
    // an image no other thread sees, the toolkit's thread-safe part; not before the toolkit is
    // up, nor where an early return would leave it running as the toolkit goes.
    auto trayPicture = zarvik::inBackground([] { return zarvik::Artwork::icon(zarvik::Artwork::kTraySize); });
    zarvik::Form2 form(*platform, settings, QCoreApplication::applicationDirPath());
    form.setTrayPicture([&trayPicture] { return trayPicture.get(); });
    zarvik::startupStep("main form built");
    zarvik::Main(form);
    // The toolkit's own dialogs (choosing a program in the options) and menus (the input
    // line's) speak Russian too. Loaded once the event loop runs: none of them can open
    // before, and the panel need not wait for the file.
    QTranslator toolkitRussian;
    QTimer::singleShot(0, &app, [&app, &toolkitRussian] {
        if (toolkitRussian.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            app.installTranslator(&toolkitRussian);
    });
    quitOnEndSignals(&app);
    zarvik::startupStep("start-up done");
    if (zarvik::lcStartup().isDebugEnabled())
        QTimer::singleShot(0, [] { zarvik::startupStep("event loop"); });
    return app.exec();
}
