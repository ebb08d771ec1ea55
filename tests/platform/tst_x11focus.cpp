// Without a window manager nobody publishes the active window: the platform falls back to
// the input focus, asked at a bounded rate. Runs on a bare Xvfb (with-x.sh, no --wm).
#include "platform/PlatformFactory.h"
#include "platform/X11Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace zarvik;

class TestX11Focus : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<X11Platform> m_platform;

    static void focus(WindowId window)
    {
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    }
    template <typename F>
    static bool eventually(F condition)
    {
        QElapsedTimer t;
        t.start();
        while (!condition() && t.elapsed() < 5000)
            QTest::qWait(10);
        return condition();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(displayReachable(nullptr));
        QString error;
        m_platform = X11Platform::create(m_dir.filePath(QStringLiteral("registry.json")), &error);
        QVERIFY2(m_platform, qPrintable(error));
    }

    void foregroundIsTheFocusWindow()
    {
        QWidget first, second;
        first.setWindowTitle(QStringLiteral("first"));
        second.setWindowTitle(QStringLiteral("second"));
        first.show();
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        focus(first.winId());
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() == first.winId(); }));
        focus(second.winId());
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() == second.winId(); }));
        QCOMPARE(m_platform->windowExeName(m_platform->foregroundWindow()),
                 QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    }

    void focusIsAskedAtABoundedRate()
    {
        QElapsedTimer t;
        t.start();
        const quint64 before = m_platform->requestsSent();
        for (int i = 0; i < 2000; ++i)
            m_platform->foregroundWindow();
        const qint64 ms = t.elapsed();
        const quint64 sent = m_platform->requestsSent() - before;
        // One question per 50 ms at most (plus the one at the start).
        QVERIFY2(sent <= quint64(ms / 50 + 2), qPrintable(QStringLiteral("%1 requests in %2 ms").arg(sent).arg(ms)));
    }
};

QTEST_MAIN(TestX11Focus)
#include "tst_x11focus.moc"
