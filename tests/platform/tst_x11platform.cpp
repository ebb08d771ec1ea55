// The X11 platform against a real X server (Xvfb + openbox, started by with-x.sh), driven
// with xdotool and xclip and a Tk text window as "another program".
#include "platform/X11Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "../ReadyChild.h"
#include <QTimer>
#include <QWidget>

#include <memory>

using namespace zarvik;

namespace {

// The double-click time the desktop is set to for this test: one no toolkit has by default.
constexpr int kDesktopDoubleClickMs = 321;

const QString kTextWindowScript = QStringLiteral(ZARVIK_SOURCE_DIR "/tests/e2e/lib/textwindow.tcl");
const QString kSilentOwner = QStringLiteral(ZARVIK_SILENT_OWNER);
const QString kClipboardManager = QStringLiteral(ZARVIK_CLIPBOARD_MANAGER);

// Runs a command to its end while the event loop keeps going (our own clipboard answers
// from it), and returns its standard output.
QByteArray run(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return {};
    if (!input.isNull()) {
        p.write(input);
        p.closeWriteChannel();
    }
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 10000)
        QTest::qWait(5);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
    }
    return p.readAllStandardOutput();
}

void xdotool(const QStringList& args)
{
    run(QStringLiteral("xdotool"), args);
}

using Child = ReadyChild;

// A Tk text window titled `title`; its X window id in `window`.
bool startTextWindow(Child& child, const QString& title, const QString& text, WindowId& window)
{
    if (!child.start(QStringLiteral("wish"), {kTextWindowScript, title, text}))
        return false;
    const QByteArray id = run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                               QStringLiteral("^%1$").arg(title)})
                              .trimmed();
    window = id.split('\n').value(0).toULongLong();
    return window != 0;
}

} // namespace

class TestX11Platform : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<X11Platform> m_platform;

    // Polls until the platform's answer matches, spinning the event loop; the bound is
    // generous because the machine is shared.
    template <typename F>
    bool eventually(F condition, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (condition())
                return true;
            QTest::qWait(10);
        }
        return condition();
    }

private slots:
    void initTestCase()
    {
        QString error;
        m_platform = X11Platform::create(m_dir.filePath(QStringLiteral("registry.json")), &error);
        QVERIFY2(m_platform, qPrintable(error));
        xdotool({QStringLiteral("mousemove"), QStringLiteral("1200"), QStringLiteral("1000")});
    }

    void cleanupTestCase() { m_platform.reset(); }

    void exeNameOfAnotherProgramsWindow()
    {
        Child wish;
        WindowId window = 0;
        QVERIFY(startTextWindow(wish, QStringLiteral("exe-name"), QStringLiteral("text"), window));
        // /usr/bin/wish is a link chain to the real interpreter, whose name the process has.
        const QString expected = QFileInfo(QFileInfo(QStringLiteral("/usr/bin/wish")).canonicalFilePath()).fileName();
        QVERIFY(!expected.isEmpty());
        QCOMPARE(m_platform->windowExeName(window), expected);
        // Asked again (the lookup does so 20 times a second): answered from memory.
        const quint64 before = m_platform->requestsSent();
        QCOMPARE(m_platform->windowExeName(window), expected);
        QCOMPARE(m_platform->requestsSent(), before);
    }

    void exeNameOfOurOwnWindowAndOfNoWindow()
    {
        QWidget own;
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        QCOMPARE(m_platform->windowExeName(own.winId()),
                 QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QCOMPARE(m_platform->windowExeName(0), QString());
        // An id no client has: the server's error must not end the program.
        QCOMPARE(m_platform->windowExeName(0x7ffffff0), QString());
    }

    void foregroundFollowsActivation()
    {
        Child first, second;
        WindowId a = 0, b = 0;
        QVERIFY(startTextWindow(first, QStringLiteral("first"), QStringLiteral("one"), a));
        QVERIFY(startTextWindow(second, QStringLiteral("second"), QStringLiteral("two"), b));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(a)});
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() == a; }));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(b)});
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() == b; }));
        // Closing the active window leaves some other window or none in front, never b.
        second.process().kill();
        second.process().waitForFinished(2000);
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() != b; }));
    }

    void idleTicksSendNothing_data()
    {
        QTest::addColumn<bool>("windowInFront");
        QTest::newRow("a text window has the focus") << true;
        QTest::newRow("nothing has the focus") << false;
    }
    void idleTicksSendNothing()
    {
        QFETCH(bool, windowInFront);
        Child wish;
        WindowId window = 0;
        if (windowInFront) {
            QVERIFY(startTextWindow(wish, QStringLiteral("idle"), QStringLiteral("idle"), window));
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
            QVERIFY(eventually([&] { return m_platform->foregroundWindow() == window; }));
        } else {
            // What a window manager does while no window has the focus.
            QCOMPARE(QProcess::execute(QStringLiteral("xprop"),
                                       {QStringLiteral("-root"), QStringLiteral("-remove"),
                                        QStringLiteral("_NET_ACTIVE_WINDOW")}),
                     0);
            QVERIFY(eventually([&] { return m_platform->foregroundWindow() == 0; }));
        }
        QTest::qWait(200); // let the activation's property changes settle
        const WindowId fg = m_platform->foregroundWindow();
        m_platform->windowExeName(fg);
        m_platform->leftButtonDown();
        const quint64 before = m_platform->requestsSent();
        // Half a second of ticks at their real pace, so that anything polled on a timer of
        // its own (rather than told by events) shows up too.
        for (int tick = 0; tick < 100; ++tick) {
            const WindowId w = m_platform->foregroundWindow();
            m_platform->windowExeName(w);
            m_platform->leftButtonDown();
            m_platform->clipboardText();
            QTest::qWait(5);
        }
        // A tick that asked the server would show 100 or more; a late property change by the
        // window manager may legitimately cost a re-read or two.
        const quint64 sent = m_platform->requestsSent() - before;
        QVERIFY2(sent <= 4, qPrintable(QStringLiteral("%1 requests in 100 ticks").arg(sent)));
    }

    void leftButtonFollowsThePointer()
    {
        if (!m_platform->tracksButtonByEvents())
            QSKIP("the server has no XInput 2.1 raw events");
        QVERIFY(!m_platform->leftButtonDown());
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        QVERIFY(eventually([&] { return m_platform->leftButtonDown(); }));
        // Held over many polls: still down.
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(10);
            QVERIFY(m_platform->leftButtonDown());
        }
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QVERIFY(eventually([&] { return !m_platform->leftButtonDown(); }));
        // Another button is not the left one.
        xdotool({QStringLiteral("mousedown"), QStringLiteral("3")});
        QTest::qWait(100);
        QVERIFY(!m_platform->leftButtonDown());
        xdotool({QStringLiteral("mouseup"), QStringLiteral("3")});
    }

    void clicksBetweenTwoPollsAreNotLost_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("polls");
        QTest::newRow("single click") << 1 << "100";
        QTest::newRow("double click") << 2 << "10100";
    }
    void clicksBetweenTwoPollsAreNotLost()
    {
        if (!m_platform->tracksButtonByEvents())
            QSKIP("the server has no XInput 2.1 raw events");
        QFETCH(int, clicks);
        QFETCH(QString, polls);
        while (m_platform->leftButtonDown()) {
        } // play out anything queued
        // Both clicks happen while the test does not poll at all.
        xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(clicks),
                 QStringLiteral("--delay"), QStringLiteral("1"), QStringLiteral("1")});
        QTest::qWait(500); // for the server's events to reach us; no poll meanwhile
        QString seen;
        for (int i = 0; i < polls.size(); ++i)
            seen += m_platform->leftButtonDown() ? u'1' : u'0';
        QCOMPARE(seen, polls);
    }

    void pressesAreReportedWithoutAPoll()
    {
        if (!m_platform->tracksButtonByEvents())
            QSKIP("the server has no XInput 2.1 raw events");
        while (m_platform->leftButtonDown()) {
        } // play out anything queued
        int presses = 0;
        m_platform->setLeftButtonPressHandler([&] { presses += m_platform->leftButtonHeld() ? 1 : 100; });
        const quint64 requestsBefore = m_platform->requestsSent();
        // Only the event loop runs meanwhile: the report comes from the connection's socket,
        // for the left button only, and for a press far shorter than a poll interval.
        xdotool({QStringLiteral("click"), QStringLiteral("3"), QStringLiteral("mousedown"), QStringLiteral("1"),
                 QStringLiteral("mouseup"), QStringLiteral("1")});
        QVERIFY(eventually([&] { return presses != 0; }));
        QTest::qWait(100);
        m_platform->setLeftButtonPressHandler({});
        QCOMPARE(presses, 1); // once, with the button held when reported
        QCOMPARE(m_platform->requestsSent() - requestsBefore, quint64(0));
        // Reporting did not use the press up: the poll still sees it.
        QCOMPARE(m_platform->leftButtonDown(), true);
        QCOMPARE(m_platform->leftButtonDown(), false);
    }

    void capsLockKeyHeldAndCursorPosition()
    {
        QVERIFY(!m_platform->capsLockDown());
        xdotool({QStringLiteral("keydown"), QStringLiteral("Caps_Lock")});
        QVERIFY(eventually([&] { return m_platform->capsLockDown(); }));
        xdotool({QStringLiteral("keyup"), QStringLiteral("Caps_Lock")});
        QVERIFY(eventually([&] { return !m_platform->capsLockDown(); }));
        // The lock itself is now on; the key is up, and that is what counts.
        QVERIFY(!m_platform->capsLockDown());
        xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}); // lock off again

        xdotool({QStringLiteral("mousemove"), QStringLiteral("123"), QStringLiteral("456")});
        QVERIFY(eventually([&] { return m_platform->cursorPos() == QPoint(123, 456); }));
        xdotool({QStringLiteral("mousemove"), QStringLiteral("1200"), QStringLiteral("1000")});
        QCOMPARE(m_platform->screenSize(), QSize(1280, 1024));
        // The desktop's value (see main), not the toolkit's default of 400 ms.
        QCOMPARE(m_platform->doubleClickTime(), kDesktopDoubleClickMs);
    }

    void copyKeystrokeCopiesTheSelection()
    {
        Child wish;
        WindowId window = 0;
        QVERIFY(startTextWindow(wish, QStringLiteral("copy"), QStringLiteral("selected words here"), window));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
        QVERIFY(eventually([&] { return m_platform->foregroundWindow() == window; }));
        m_platform->writeClipboardText(QStringLiteral("before"));
        m_platform->sendCopyKeystroke();
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("selected"); }));
        QCOMPARE(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                QStringLiteral("clipboard")}),
                 QByteArray("selected"));
    }

    void copyKeystrokeLeavesTheUsersCtrlAndCapsHeld()
    {
        Child wish;
        WindowId window = 0;
        QVERIFY(startTextWindow(wish, QStringLiteral("held"), QStringLiteral("held keys"), window));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
        m_platform->writeClipboardText(QString());
        xdotool({QStringLiteral("keydown"), QStringLiteral("Control_L")});
        xdotool({QStringLiteral("keydown"), QStringLiteral("Caps_Lock")});
        m_platform->sendCopyKeystroke();
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("held"); }));
        QTest::qWait(100); // past our own key release
        QVERIFY(m_platform->capsLockDown());
        // A key typed now still arrives with the user's Control (state bit 4) held.
        wish.process().readAll();
        xdotool({QStringLiteral("key"), QStringLiteral("x")});
        QVERIFY(eventually([&] { return wish.process().canReadLine(); }));
        const QByteArray line = wish.process().readLine().trimmed();
        QVERIFY2(line.startsWith("state ") && (line.mid(6).toInt() & 4), line.constData());
        xdotool({QStringLiteral("keyup"), QStringLiteral("Caps_Lock")});
        xdotool({QStringLiteral("keyup"), QStringLiteral("Control_L")});
        xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}); // lock off again
    }

    // A run of ours killed between its press and its release left Control down on the
    // server's XTest keyboard; the next start lets go of it, so a key the user types then
    // arrives without it.
    void controlLeftDownByAKilledRunIsReleasedAtStart()
    {
        Child wish;
        WindowId window = 0;
        QVERIFY(startTextWindow(wish, QStringLiteral("stray"), QStringLiteral("stray keys"), window));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
        xdotool({QStringLiteral("keydown"), QStringLiteral("Control_L")});
        {
            QTemporaryDir dir;
            QString error;
            auto platform = X11Platform::create(dir.filePath(QStringLiteral("registry.json")), &error);
            QVERIFY2(platform, qPrintable(error));
        }
        wish.process().readAll();
        xdotool({QStringLiteral("key"), QStringLiteral("x")});
        QVERIFY(eventually([&] { return wish.process().canReadLine(); }));
        const QByteArray line = wish.process().readLine().trimmed();
        xdotool({QStringLiteral("keyup"), QStringLiteral("Control_L")}); // whatever came of it
        QVERIFY2(line.startsWith("state ") && !(line.mid(6).toInt() & 4), line.constData());
    }

    void clipboardFollowsOtherPrograms_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("isLong");
        QTest::newRow("ascii") << QByteArray("hello") << false;
        QTest::newRow("cyrillic") << QStringLiteral("перевод «слова»").toUtf8() << false;
        QTest::newRow("spaces kept") << QByteArray("  run \n") << false;
        QTest::newRow("longest text read") << QByteArray(4096, 'y') << false;
        // Too long to look up: never read into memory. Beyond one request the owner hands it
        // over in pieces (INCR), and the transfer is still led to its end.
        QTest::newRow("long text") << QByteArray(4097, 'x') << true;
        QTest::newRow("large text in pieces") << QByteArray(600 * 1024, 'z') << true;
    }
    void clipboardFollowsOtherPrograms()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, isLong);
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            text);
        const QString expected = isLong ? Platform::longText() : QString::fromUtf8(text);
        QVERIFY(eventually([&] { return m_platform->clipboardText() == expected; }));
        // The owner is free for others at once (a transfer left half-way would hold it).
        QCOMPARE(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                               QStringLiteral("clipboard")}),
                 text);
    }

    void clipboardWithoutTextReadsEmpty()
    {
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            QByteArray("text first"));
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("text first"); }));
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("image/png"), QStringLiteral("-i")},
            QByteArray("\x89PNG\r\n\x1a\n-not-really-a-picture", 28));
        QVERIFY(eventually([&] { return m_platform->clipboardText().isEmpty(); }));
    }

    void textGoesWithTheProgramThatCopiedIt()
    {
        // Closing the program one copied from empties the clipboard; a stale text kept here
        // would be put back by the next capture as if the user still had it.
        Child owner;
        owner.process().start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                                        QStringLiteral("clipboard"), QStringLiteral("-i")});
        QVERIFY(owner.process().waitForStarted(5000));
        owner.process().write("copied, then closed");
        owner.process().closeWriteChannel();
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("copied, then closed"); }));
        owner.process().kill();
        owner.process().waitForFinished(2000);
        QVERIFY(eventually([&] { return m_platform->clipboardText().isEmpty(); }));
    }

    void ownWriteIsVisibleAtOnceAndServedToOthers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("word") << QStringLiteral("restored");
        QTest::newRow("cyrillic") << QStringLiteral("буфер пользователя");
        QTest::newRow("empty") << QString();
    }
    void ownWriteIsVisibleAtOnceAndServedToOthers()
    {
        QFETCH(QString, text);
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            QByteArray("someone else's"));
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("someone else's"); }));
        m_platform->writeClipboardText(text);
        QCOMPARE(m_platform->clipboardText(), text);
        // Our reader then fetches it back from ourselves, without a deadlock and without a
        // stale text in between.
        for (int i = 0; i < 30; ++i) {
            QTest::qWait(10);
            QCOMPARE(m_platform->clipboardText(), text);
        }
        QCOMPARE(QString::fromUtf8(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                                 QStringLiteral("clipboard")})),
                 text);
    }

    void ownerThatNeverAnswersDoesNotBlock()
    {
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            QByteArray("answered"));
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("answered"); }));

        int ticks = 0;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
            ++ticks;
            m_platform->clipboardText();
        });
        timer.start();
        QElapsedTimer elapsed;
        elapsed.start();
        Child silent;
        QVERIFY(silent.start(kSilentOwner, {}));
        // The reader gives up on the owner after its timeout; the text is then "".
        QVERIFY(eventually([&] { return m_platform->clipboardText().isEmpty(); }, 10000));
        const qint64 ms = elapsed.elapsed();
        timer.stop();
        // A 10 ms timer kept firing all along (a blocked thread would show a handful of ticks).
        QVERIFY2(ticks >= ms / 10 / 4, qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(ms)));
        QVERIFY2(ms >= 500, "the text was dropped before the owner had a fair chance to answer");

        // The next owner is read as usual.
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            QByteArray("after"));
        QVERIFY(eventually([&] { return m_platform->clipboardText() == QLatin1String("after"); }));
    }

    // The whole clipboard, kept before a capture and put back after it, is every target the
    // owner offered, byte for byte; what we hold at exit goes to a clipboard manager.
    void savedClipboardComesBackWholeAndOutlivesUs()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("dot.png"));
        QCOMPARE(QProcess::execute(QStringLiteral("convert"),
                                   {QStringLiteral("-size"), QStringLiteral("3x2"), QStringLiteral("xc:blue"), png}),
                 0);
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray picture = file.readAll();
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("image/png"), QStringLiteral("-i"), png});

        QString error;
        auto platform = X11Platform::create(dir.filePath(QStringLiteral("registry.json")), &error);
        QVERIFY2(platform, qPrintable(error));
        platform->saveClipboard();
        QVERIFY(eventually([&] { return platform->clipboardSaveState() != ClipboardSave::Pending; }));
        QCOMPARE(platform->clipboardSaveState(), ClipboardSave::Saved);
        // A capture's copy replaces it; putting it back brings the picture, not just a text.
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
            QByteArray("word"));
        platform->restoreClipboard(QString());
        QCOMPARE(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                               QStringLiteral("clipboard"), QStringLiteral("-t"),
                                               QStringLiteral("image/png")}),
                 picture);

        Child manager;
        QVERIFY(manager.start(kClipboardManager, {}));
        platform.reset(); // the exit
        QVERIFY(manager.process().waitForFinished(5000));
        const QByteArray saved = manager.process().readAllStandardOutput();
        QVERIFY2(saved.contains("image/png " + picture.toHex()), saved.constData());
    }

    void registryRoundTripThroughThePlatform()
    {
        const QString key = QStringLiteral("AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Current");
        QCOMPARE(m_platform->readRegString(key, QString()), QString());
        m_platform->writeRegString(key, QString(), QStringLiteral("/usr/share/zarvik/null.wav"));
        QCOMPARE(m_platform->readRegString(key, QString()), QStringLiteral("/usr/share/zarvik/null.wav"));
    }

    void offlineWhenAskedTo()
    {
        qputenv("ZARVIK_OFFLINE", "1");
        QVERIFY(!m_platform->internetConnected());
        qunsetenv("ZARVIK_OFFLINE");
    }
};

// The desktop's settings are those of a KDE session (kdeglobals in a configuration folder of
// the test's own), the one desktop whose double-click time the toolkit reads without a
// plugin; they must be in place before the application object reads them.
int main(int argc, char** argv)
{
    QTemporaryDir config;
    QFile globals(config.filePath(QStringLiteral("kdeglobals")));
    if (!config.isValid() || !globals.open(QIODevice::WriteOnly))
        return 1;
    globals.write("[KDE]\nDoubleClickInterval=" + QByteArray::number(kDesktopDoubleClickMs) + "\n");
    globals.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    qputenv("KDE_SESSION_VERSION", "5");
    QApplication app(argc, argv);
    TestX11Platform test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_x11platform.moc"
