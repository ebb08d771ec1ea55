// The floor for the time from start to the first window and to the tray icon: an empty Qt
// program that shows one small frameless window outside the window manager, as the panel
// is shown, and puts a plain icon into the notification area. No dictionary, no pictures,
// no timers: what any Qt program pays before it can show anything.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                | Qt::X11BypassWindowManagerHint);
    const QRect screen = app.primaryScreen()->geometry();
    window.setGeometry(screen.right() - 40, screen.top() + 200, 40, 120);
    window.show();
    QPixmap picture(32, 32);
    picture.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    return app.exec();
}
