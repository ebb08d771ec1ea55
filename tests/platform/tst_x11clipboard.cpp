// The clipboard at our exit, against a real X server (Xvfb, started by with-x.sh): the hand-over
// to a clipboard manager, and the keeper left behind when there is none that takes the copy.
#include "platform/ClipboardSnapshot.h"
#include "platform/x11/X11ClipboardOwner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include "../ReadyChild.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <climits>
#include <poll.h>

using namespace zarvik;

namespace {

const QString kClipboardManager = QStringLiteral(ZARVIK_CLIPBOARD_MANAGER);
const QString kProgram = QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik");

using Child = ReadyChild;

// Takes the next event of `type` for `window` from the connection, waiting up to `ms`.
bool nextEvent(Display* dpy, int type, Window window, XEvent* ev, int ms)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        while (XPending(dpy) > 0) {
            XNextEvent(dpy, ev);
            if (ev->type == type && ev->xany.window == window)
                return true;
        }
        const qint64 left = ms - t.elapsed();
        if (left <= 0)
            return false;
        pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
}

// Reads and deletes a property of `window`; false when it is not there.
bool takeProperty(Display* dpy, Window window, Atom property, Atom* type, QByteArray* bytes)
{
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, window, property, 0, LONG_MAX / 4, True, AnyPropertyType, type, &format, &items,
                           &after, &data)
        != Success)
        return false;
    *bytes = data ? QByteArray(reinterpret_cast<const char*>(data), qsizetype(items)) : QByteArray();
    if (data)
        XFree(data);
    return *type != None;
}

// Bytes that show where a piece went missing or came twice.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

class TestX11Clipboard : public QObject {
    Q_OBJECT

private slots:
    void handOverCountsOnlyAConfirmedCopy_data()
    {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("manager takes the copy") << QString() << true;
        QTest::newRow("manager refuses") << QStringLiteral("refuse") << false;
        QTest::newRow("manager never answers") << QStringLiteral("silent") << false;
    }
    void handOverCountsOnlyAConfirmedCopy()
    {
        QFETCH(QString, manager);
        QFETCH(bool, handedOver);
        Display* dpy = XOpenDisplay(nullptr);
        QVERIFY(dpy);
        {
            X11ClipboardOwner owner(dpy);
            QVERIFY(owner.own(QStringLiteral("слово")));
            Child child;
            QVERIFY(child.start(kClipboardManager, manager.isEmpty() ? QStringList() : QStringList{manager}));
            QCOMPARE(owner.handOver(1500), handedOver);
            // Still ours after a refusal or silence: the copy is there to be kept.
            QCOMPARE(owner.owning(), true);
        }
        XCloseDisplay(dpy);
    }

    // The keeper serves the clipboard until another program takes it, and a transfer in
    // pieces under way then to its end (a megabyte goes in four pieces and the empty end).
    void keeperServesATransferUnderWayToItsEnd_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("inPieces");
        QTest::newRow("whole at once, taken after") << qsizetype(1000) << false;
        QTest::newRow("in pieces, taken after the first") << qsizetype(1000 * 1000) << true;
    }
    void keeperServesATransferUnderWayToItsEnd()
    {
        QFETCH(qsizetype, size);
        QFETCH(bool, inPieces);
        const QByteArray data = pattern(size);
        ClipboardSnapshot content;
        content.offered = {QByteArrayLiteral("TARGETS"), QByteArrayLiteral("image/png")};
        content.entries.append({QByteArrayLiteral("image/png"), QByteArrayLiteral("image/png"), 8, data});

        Display* dpy = XOpenDisplay(nullptr);
        QVERIFY(dpy);
        const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
        const Atom png = XInternAtom(dpy, "image/png", False);
        const Atom incr = XInternAtom(dpy, "INCR", False);
        const Atom property = XInternAtom(dpy, "TEST_READER", False);
        const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(dpy, window, PropertyChangeMask);
        QCOMPARE(XGetSelectionOwner(dpy, clipboard), Window(None));

        QProcess keeper;
        keeper.start(kProgram, {QStringLiteral("--keep-clipboard")});
        QVERIFY(keeper.waitForStarted(5000));
        keeper.write(content.serialize());
        keeper.closeWriteChannel();
        QElapsedTimer t;
        t.start();
        while (XGetSelectionOwner(dpy, clipboard) == None && t.elapsed() < 5000)
            QTest::qWait(10);
        QVERIFY(XGetSelectionOwner(dpy, clipboard) != None);

        XConvertSelection(dpy, clipboard, png, property, window, CurrentTime);
        XFlush(dpy);
        XEvent ev;
        QVERIFY(nextEvent(dpy, SelectionNotify, window, &ev, 5000));
        QCOMPARE(ev.xselection.property, property);
        // Read without deleting: the next piece is asked for only once the clipboard is taken.
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* first = nullptr;
        QCOMPARE(XGetWindowProperty(dpy, window, property, 0, LONG_MAX / 4, False, AnyPropertyType, &type, &format,
                                    &items, &after, &first),
                 Success);
        if (first)
            XFree(first);
        QCOMPARE(type == incr, inPieces);

        // Another program copies: the keeper is asked to end.
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other);
        const Window otherWindow = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(other, clipboard, otherWindow, CurrentTime);
        XSync(other, False);

        QByteArray received;
        if (!inPieces) {
            QVERIFY(takeProperty(dpy, window, property, &type, &received));
        } else {
            QByteArray piece;
            QVERIFY(takeProperty(dpy, window, property, &type, &piece)); // the announcement
            do {
                do
                    QVERIFY2(nextEvent(dpy, PropertyNotify, window, &ev, 5000),
                             qPrintable(QStringLiteral("no piece after %1 bytes").arg(received.size())));
                while (ev.xproperty.atom != property || ev.xproperty.state != PropertyNewValue);
                QVERIFY(takeProperty(dpy, window, property, &type, &piece));
                received += piece;
            } while (!piece.isEmpty());
        }
        QCOMPARE(received.size(), size);
        QVERIFY(received == data);
        QVERIFY(keeper.waitForFinished(5000));
        QCOMPARE(keeper.exitCode(), 0);

        XCloseDisplay(other);
        XDestroyWindow(dpy, window);
        XCloseDisplay(dpy);
    }
};

QTEST_GUILESS_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"
