#include "platform/SessionKind.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace zarvik;

// The choices made before the toolkit starts, and what the program says when it finds no X
// server to run on.
class TestSessionKind : public QObject {
    Q_OBJECT

private slots:
    void toolkitPlatform_data()
    {
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("userPlatform");
        QTest::addColumn<bool>("platformArgument");
        QTest::addColumn<QByteArray>("chosen");
        QTest::newRow("x11 session") << QByteArray("x11") << QByteArray() << QByteArray() << false << QByteArray();
        QTest::newRow("x11 session with a stray wayland socket")
            << QByteArray("x11") << QByteArray("wayland-0") << QByteArray() << false << QByteArray();
        QTest::newRow("wayland session") << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray() << false
                                         << QByteArray("xcb");
        QTest::newRow("wayland session, socket not named")
            << QByteArray("wayland") << QByteArray() << QByteArray() << false << QByteArray("xcb");
        QTest::newRow("compositor started from a console")
            << QByteArray("tty") << QByteArray("wayland-1") << QByteArray() << false << QByteArray("xcb");
        QTest::newRow("console without compositor") << QByteArray("tty") << QByteArray() << QByteArray() << false
                                                    << QByteArray();
        QTest::newRow("nothing known") << QByteArray() << QByteArray() << QByteArray() << false << QByteArray();
        QTest::newRow("user chose wayland") << QByteArray("wayland") << QByteArray("wayland-0")
                                            << QByteArray("wayland") << false << QByteArray();
        QTest::newRow("user chose offscreen") << QByteArray("wayland") << QByteArray("wayland-0")
                                              << QByteArray("offscreen") << false << QByteArray();
        QTest::newRow("user chose on the command line")
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray() << true << QByteArray();
    }
    void toolkitPlatform()
    {
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, userPlatform);
        QFETCH(bool, platformArgument);
        QFETCH(QByteArray, chosen);
        SessionEnvironment env;
        env.sessionType = sessionType;
        env.waylandDisplay = waylandDisplay;
        env.qpaPlatform = userPlatform;
        env.platformArgument = platformArgument;
        QCOMPARE(SessionKind::toolkitPlatform(env), chosen);
    }

    void platformArgumentRead()
    {
        char program[] = "zarvik";
        char flag[] = "-platform";
        char name[] = "wayland";
        char* argv[] = {program, flag, name, nullptr};
        QVERIFY(SessionEnvironment::current(3, argv).platformArgument);
        QVERIFY(!SessionEnvironment::current(1, argv).platformArgument);
    }

    // The real program, started where no X server answers: one line on standard error, status 2.
    void noXServer_data()
    {
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QString>("advice");
        QTest::newRow("wayland session without XWayland") << QByteArray("wayland") << QByteArray()
                                                          << QStringLiteral("turn XWayland on");
        QTest::newRow("wayland session, XWayland gone") << QByteArray("wayland") << QByteArray(":4242")
                                                        << QStringLiteral("turn XWayland on");
        QTest::newRow("no session at all") << QByteArray() << QByteArray() << QStringLiteral("xvfb-run -a");
    }
    void noXServer()
    {
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, display);
        QFETCH(QString, advice);
        if (!display.isEmpty() && QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X4242")))
            QSKIP("a server runs on :4242");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!sessionType.isEmpty()) {
            env.insert(QStringLiteral("XDG_SESSION_TYPE"), QString::fromLatin1(sessionType));
            // No compositor listens there: the program must not need one to say what is wrong.
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("zarvik-test-no-such-socket"));
        }
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        env.insert(QStringLiteral("ZARVIK_OFFLINE"), QStringLiteral("1"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik"), {});
        QVERIFY(program.waitForStarted(10000));
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished(5000);
            QFAIL("the program did not end by itself");
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY2(err.startsWith(QStringLiteral("zarvik: ")), qPrintable(err));
        QVERIFY2(err.contains(advice), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSessionKind)
#include "tst_sessionkind.moc"
