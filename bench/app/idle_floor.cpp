// The floor for the resident program's idle cost: a Qt program on the same display running
// the same 10 ms and 50 ms timers, doing nothing in them.
#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTimer fast;
    QTimer slow;
    int ticks = 0;
    QObject::connect(&fast, &QTimer::timeout, [&ticks] { ++ticks; });
    QObject::connect(&slow, &QTimer::timeout, [&ticks] { ++ticks; });
    fast.start(10);
    slow.start(50);
    return app.exec();
}
