#include "app/Form2.h"
#include "app/StartupTrace.h"
#include "platform/PlatformFactory.h"
#include "platform/SessionKind.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
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
    QApplication app(argc, argv);
    zarvik::startupStep("application");
    app.setApplicationName(QStringLiteral("Zarvik5"));
    // A resident program: closing a window never ends it, only the exit command does.
    app.setQuitOnLastWindowClosed(false);
    // The toolkit's own dialogs (choosing a program in the options) speak Russian too.
    QTranslator toolkitRussian;
    if (toolkitRussian.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&toolkitRussian);
    zarvik::startupStep("toolkit translation");

    auto platform = zarvik::createPlatform(&error);
    if (!platform) {
        std::fprintf(stderr, "zarvik: %s\n", qPrintable(error));
        return 2;
    }
    zarvik::startupStep("platform");
    zarvik::Settings settings;
    zarvik::Form2 form(*platform, settings, QCoreApplication::applicationDirPath());
    zarvik::startupStep("main form built");
    zarvik::Main(form);
    zarvik::startupStep("start-up done");
    if (zarvik::lcStartup().isDebugEnabled())
        QTimer::singleShot(0, [] { zarvik::startupStep("event loop"); });
    return app.exec();
}
