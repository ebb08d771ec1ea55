#include "platform/X11Platform.h"

#include "platform/ButtonEdgeQueue.h"
#include "platform/CapsLockUndo.h"
#include "platform/ClipboardCache.h"
#include "platform/Monitors.h"
#include "platform/ProcFs.h"
#include "platform/WaylandSelections.h"
#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11ClipboardWatcher.h"
#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11Errors.h"
#include "platform/x11/X11Process.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleHints>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XRes.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include "platform/x11/X11Atoms.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace zarvik {

namespace {

bool keyDown(const char keys[32], KeyCode code)
{
    return code != 0 && (keys[code / 8] & (1 << (code % 8)));
}

// Names memoized at most; beyond that the memo starts afresh.
constexpr int kExeMemoLimit = 32;
// Without a window manager that publishes the active window, the input focus is asked at
// most this often, so an idle tick still sends nothing most of the time.
constexpr auto kFocusPollInterval = std::chrono::milliseconds(50);
// Some programs (browsers among them) miss a key released at the instant it was pressed.
constexpr int kKeyHoldMs = 15;
// How long the exit waits for a clipboard manager to take our clipboard.
constexpr int kHandOverMs = 2000;
// How long the exit waits for the keeper it leaves behind to take our clipboard.
constexpr int kKeeperTakeOverMs = 3000;

// The text a clipboard offers, as clipboardText() answers it.
QString textOf(const ClipboardSnapshot& content)
{
    for (const char* target : {"UTF8_STRING", "STRING", "TEXT"}) {
        const ClipboardSnapshot::Entry* entry = content.find(QByteArray(target));
        if (!entry || entry->format != 8)
            continue;
        if (entry->data.size() > 4 * Platform::kLongTextChars)
            return Platform::longText();
        QByteArray bytes = entry->data;
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        return entry->type == "STRING" ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }
    return QString();
}

} // namespace

struct X11Platform::Impl {
    Display* dpy = nullptr;
    Window root = 0;
    // The copy keystroke's own connection, opened at the first keystroke. The server holds
    // back the requests of a connection while a delayed XTest event waits (see sendCopyKeys);
    // on a connection of their own, that wait never holds up the clipboard's reading of the
    // copy it brings.
    Display* keysDpy = nullptr;

    Atom netActiveWindow = 0;
    Atom netSupported = 0;
    Atom netWmPid = 0;

    // Active window, from _NET_ACTIVE_WINDOW and re-read only after it changed.
    bool ewmhChecked = false;
    bool ewmh = false;
    bool activeDirty = true;
    Window active = 0;
    std::chrono::steady_clock::time_point nextFocusPoll{};

    bool xres = false;
    QHash<WindowId, QString> exeMemo;

    int xiOpcode = -1;
    bool xiButtons = false;
    ButtonEdgeQueue button;
    // Told of every press of the left button, once its event has been handled.
    std::function<void()> pressed;
    unsigned char pointerMap[256] = {};
    int pointerMapLength = 0;

    // Caps Lock as the server reports its changes.
    int xkbEventBase = -1;
    CapsLockUndo caps;

    KeyCode capsKey = 0, ctrlLeftKey = 0, ctrlRightKey = 0, insertKey = 0;
    // The toolkit reports one change of monitors as several signals (a screen removed, the
    // primary changed, another resized); they are told as one, from the event loop.
    QTimer monitorsSettle;

    std::unique_ptr<QSocketNotifier> notifier;

    std::unique_ptr<X11ClipboardOwner> clipboardOwner;

    ClipboardCache clipboard;
    // The whole clipboard kept by a capture, filled in by the reader's thread. A save is
    // known by its number, so that the late answer to an earlier one is dropped.
    std::mutex saveMutex;
    quint64 saveNumber = 0;
    ClipboardSave saveState = ClipboardSave::Idle;
    ClipboardSnapshot saved;
    // Receives, on the interface thread, what the reader's thread hands over. Declared before
    // the reader, so it outlives the reader's thread.
    QObject fromReader;
    X11ClipboardWatcher clipboardWatcher{clipboard};
    ProcFs procFs;

    ~Impl()
    {
        // What we hold on the clipboard is the user's (their copy put back after a capture):
        // it outlives us, kept by a clipboard manager or, without one, by a keeper of ours.
        if (clipboardOwner && clipboardOwner->owning() && !clipboardOwner->handOver(kHandOverMs))
            leaveKeeper();
        notifier.reset();
        clipboardOwner.reset();
        if (keysDpy)
            XCloseDisplay(keysDpy); // waits until the server has read the keys' releases
        if (dpy)
            XCloseDisplay(dpy);
    }

    // Starts this program again as a keeper of the clipboard we hold (see
    // runClipboardKeeper) and waits until it has taken the clipboard from us.
    void leaveKeeper()
    {
        const QByteArray bytes = clipboardOwner->content().serialize();
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // A session of its own: the end of ours (a logout's hang-up) is not its end.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        // The program itself, even when an update has replaced its file meanwhile; named as
        // the program, so that it shows as such in a list of processes.
        char path[] = "/proc/self/exe";
        QByteArray name = QCoreApplication::applicationFilePath().toLocal8Bit();
        char keep[] = "--keep-clipboard";
        char* argv[] = {name.data(), keep, nullptr};
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, path, &actions, &attributes, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(fds[0]);
        if (spawned != 0) {
            ::close(fds[1]);
            return;
        }
        // A keeper that dies early must not take us with it.
        std::signal(SIGPIPE, SIG_IGN);
        qsizetype written = 0;
        while (written < bytes.size()) {
            const auto n = ::write(fds[1], bytes.constData() + written, size_t(bytes.size() - written));
            if (n <= 0)
                break;
            written += n;
        }
        ::close(fds[1]);
        // Served meanwhile: the keeper may ask nothing of us, but others may.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kKeeperTakeOverMs);
        while (clipboardOwner->owning() && std::chrono::steady_clock::now() < deadline) {
            pump();
            pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
            ::poll(&fd, 1, 50);
        }
    }

    // What needs no toolkit: our connections to the server and what they learn of it. Runs on
    // a second thread while the toolkit connects (see X11Platform::connectAhead).
    bool openServer(QString* error)
    {
        silenceXErrors();
        dpy = XOpenDisplay(nullptr);
        if (!dpy) {
            if (error)
                *error = QStringLiteral("cannot open X display %1").arg(qEnvironmentVariable("DISPLAY"));
            return false;
        }
        endProcessOnceOnConnectionLoss();
        root = DefaultRootWindow(dpy);
        const auto atoms = internAtoms<3>(dpy, {"_NET_ACTIVE_WINDOW", "_NET_SUPPORTED", "_NET_WM_PID"});
        netActiveWindow = atoms[0];
        netSupported = atoms[1];
        netWmPid = atoms[2];
        clipboardOwner = std::make_unique<X11ClipboardOwner>(dpy);

        xres = x11HasClientIds(dpy);

        XSelectInput(dpy, root, PropertyChangeMask);
        followCapsLock();
        readKeycodes();
        releaseStrayCopyKeys();
        readPointerMap();
        selectRawButtons();
        resyncButton();
        XFlush(dpy);
        return clipboardWatcher.start(error);
    }

    // The rest, on the interface thread once the toolkit is up.
    void openEvents()
    {
        // The toolkit set handlers of its own as it connected: from here on the toolkit's
        // connection and ours are both open, and losing the server ends the process once.
        silenceXErrors();
        endProcessOnceOnConnectionLoss();
        notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { pump(); });

        // The start-up takes the clipboard text once as "what the user had"; give the reader a
        // moment to bring it, so it does not arrive a tick later looking like a fresh copy.
        clipboard.waitForFirst(1200);
    }

    void followCapsLock()
    {
        int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        int eventBase = 0;
        if (!XkbQueryExtension(dpy, &opcode, &eventBase, &error, &major, &minor))
            return;
        const unsigned int changes = XkbModifierLockMask | XkbModifierBaseMask;
        if (!XkbSelectEventDetails(dpy, XkbUseCoreKbd, XkbStateNotify, changes, changes))
            return;
        XkbStateRec state{};
        if (XkbGetState(dpy, XkbUseCoreKbd, &state) != Success)
            return;
        caps.start((state.base_mods & LockMask) != 0, (state.locked_mods & LockMask) != 0);
        xkbEventBase = eventBase;
    }

    void setLock(bool on)
    {
        XkbLockModifiers(dpy, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XFlush(dpy);
    }

    void selectRawButtons()
    {
        int event = 0, err = 0;
        if (!XQueryExtension(dpy, "XInputExtension", &xiOpcode, &event, &err))
            return;
        // Raw events reach the root window whoever grabs the pointer only from XI 2.1 on.
        int major = 2, minor = 2;
        if (XIQueryVersion(dpy, &major, &minor) != Success || (major == 2 && minor < 1))
            return;
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof bits;
        mask.mask = bits;
        xiButtons = XISelectEvents(dpy, root, &mask, 1) == Success;
    }

    void readKeycodes()
    {
        capsKey = XKeysymToKeycode(dpy, XK_Caps_Lock);
        ctrlLeftKey = XKeysymToKeycode(dpy, XK_Control_L);
        ctrlRightKey = XKeysymToKeycode(dpy, XK_Control_R);
        insertKey = XKeysymToKeycode(dpy, XK_Insert);
    }

    void readPointerMap()
    {
        pointerMapLength = XGetPointerMapping(dpy, pointerMap, int(sizeof pointerMap));
    }

    // Raw events carry the physical button; the user's "left" button is logical button 1
    // (the one that selects text), which a left-handed mapping puts elsewhere.
    int logicalButton(int physical) const
    {
        if (physical >= 1 && physical <= pointerMapLength)
            return pointerMap[physical - 1];
        return physical;
    }

    void resyncButton()
    {
        Window rootReturn = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(dpy, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        button.reset((mask & Button1Mask) != 0);
    }

    // Handles whatever the server has sent. XPending only looks at what has already arrived
    // (no request goes out), so this is cheap enough to run at the start of every query.
    void pump()
    {
        while (XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            handle(ev);
        }
    }

    // A request that waits for its reply may bring events along into Xlib's queue, where
    // the socket notifier no longer sees them; have them handled from the event loop soon
    // (a clipboard request from another program must not wait for the next query).
    void afterRoundTrip()
    {
        if (XEventsQueued(dpy, QueuedAlready) > 0)
            QMetaObject::invokeMethod(notifier.get(), [this] { pump(); }, Qt::QueuedConnection);
    }

    // New data on the socket wakes the socket notifier, so a query only has to handle what
    // Xlib has already read into its own queue alongside a reply: no system call on the path
    // of the 10 ms tick. An event that arrives just before a tick is seen one tick later,
    // which the button's edge queue absorbs.
    void pumpForQuery()
    {
        if (XEventsQueued(dpy, QueuedAlready) > 0)
            pump();
    }

    void handle(XEvent& ev)
    {
        if (xkbEventBase >= 0 && ev.type == xkbEventBase) {
            const auto* xkb = reinterpret_cast<const XkbEvent*>(&ev);
            if (xkb->any.xkb_type == XkbStateNotify) {
                const auto lock =
                    caps.onState((xkb->state.base_mods & LockMask) != 0, (xkb->state.locked_mods & LockMask) != 0);
                if (lock)
                    setLock(*lock);
            }
            return;
        }
        switch (ev.type) {
        case PropertyNotify:
            if (ev.xproperty.window == root) {
                if (ev.xproperty.atom == netActiveWindow)
                    activeDirty = true;
                else if (ev.xproperty.atom == netSupported)
                    ewmhChecked = false; // a window manager came or went
            } else {
                // A requestor taking a large clipboard transfer piece by piece.
                clipboardOwner->handle(ev);
            }
            break;
        case MappingNotify:
            if (ev.xmapping.request == MappingPointer) {
                readPointerMap();
            } else {
                XRefreshKeyboardMapping(&ev.xmapping);
                readKeycodes();
            }
            break;
        case SelectionRequest:
        case SelectionClear:
            clipboardOwner->handle(ev);
            break;
        case GenericEvent:
            if (ev.xcookie.extension == xiOpcode && XGetEventData(dpy, &ev.xcookie)) {
                const auto* raw = static_cast<const XIRawEvent*>(ev.xcookie.data);
                bool leftPressed = false;
                if (logicalButton(raw->detail) == 1) {
                    if (ev.xcookie.evtype == XI_RawButtonPress) {
                        button.press();
                        leftPressed = true;
                    } else if (ev.xcookie.evtype == XI_RawButtonRelease) {
                        button.release();
                    }
                }
                XFreeEventData(dpy, &ev.xcookie);
                // The socket notifier brings this here as soon as the server sends it, so a
                // program whose poll sleeps is woken by the press itself.
                if (leftPressed && pressed)
                    pressed();
            }
            break;
        default:
            break;
        }
    }

    // A WINDOW or CARDINAL property holding one 32-bit item; `found` false when absent.
    unsigned long readCardinal(Window window, Atom property, Atom type, bool* found)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        unsigned long value = 0;
        *found = false;
        if (XGetWindowProperty(dpy, window, property, 0, 1, False, type, &actualType, &format, &items, &after, &data)
                == Success
            && data) {
            if (actualType == type && format == 32 && items == 1) {
                value = reinterpret_cast<unsigned long*>(data)[0]; // Xlib hands 32-bit items as longs
                *found = true;
            }
            XFree(data);
        }
        return value;
    }

    bool windowManagerPublishesActiveWindow()
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        bool listed = false;
        if (XGetWindowProperty(dpy, root, netSupported, 0, 4096, False, XA_ATOM, &type, &format, &items, &after,
                               &data)
                == Success
            && data) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < items && !listed; ++i)
                listed = atoms[i] == netActiveWindow;
            XFree(data);
        }
        return listed;
    }

    WindowId foreground()
    {
        pumpForQuery();
        if (!ewmhChecked) {
            ewmh = windowManagerPublishesActiveWindow();
            ewmhChecked = true;
            activeDirty = true;
        }
        Window now = active;
        if (ewmh && activeDirty) {
            bool found = false;
            const unsigned long value = readCardinal(root, netActiveWindow, XA_WINDOW, &found);
            // Managers remove the property while no window has the focus (openbox does, with
            // only unmanaged windows on the screen); that is "no active window", and the
            // property's next change says when there is one again. Falling back to polling
            // the focus here would cost a round trip on every idle tick from then on.
            now = found ? Window(value) : 0;
            activeDirty = false;
        }
        if (!ewmh) {
            const auto clock = std::chrono::steady_clock::now();
            if (clock >= nextFocusPoll) {
                nextFocusPoll = clock + kFocusPollInterval;
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(dpy, &focus, &revert);
                // None and PointerRoot name no window of a program.
                now = focus == PointerRoot ? 0 : focus;
            }
        }
        if (now != active) {
            active = now;
            // The names of windows that have lost the focus may be stale by the time they
            // come back (the id may even be reused); the memo serves one stretch of focus.
            exeMemo.clear();
        }
        return active;
    }

    qint64 pidOf(Window window)
    {
        if (xres) {
            if (const qint64 pid = x11ClientProcess(dpy, window))
                return pid;
        }
        // Remote or sandboxed clients have no pid the server knows; trust the window's word.
        bool found = false;
        const unsigned long pid = readCardinal(window, netWmPid, XA_CARDINAL, &found);
        return found ? qint64(pid) : -1;
    }

    QString exeName(WindowId window)
    {
        if (window == 0)
            return QString();
        pumpForQuery();
        const auto memo = exeMemo.constFind(window);
        if (memo != exeMemo.cend())
            return *memo;
        const QString name = procFs.exeName(pidOf(Window(window)));
        if (exeMemo.size() >= kExeMemoLimit)
            exeMemo.clear();
        exeMemo.insert(window, name);
        return name;
    }

    void sendCopyKeys()
    {
        if (insertKey == 0 || ctrlLeftKey == 0)
            return;
        char keys[32] = {};
        XQueryKeymap(dpy, keys);
        // A Ctrl the user holds already does the job, and pressing and releasing it ourselves
        // would leave the program thinking the user let go of it.
        const bool pressCtrl = !keyDown(keys, ctrlLeftKey) && !keyDown(keys, ctrlRightKey);
        if (!keysDpy)
            keysDpy = XOpenDisplay(DisplayString(dpy));
        // Without a second connection the keys go on ours, held-back releases and all.
        Display* const to = keysDpy ? keysDpy : dpy;
        if (pressCtrl)
            XTestFakeKeyEvent(to, ctrlLeftKey, True, CurrentTime);
        XTestFakeKeyEvent(to, insertKey, True, CurrentTime);
        // The releases go to the server with the presses, and the server itself holds them
        // back by kKeyHoldMs: nothing here waits on our event loop, which a slow lookup of the
        // copied word can keep busy long enough for the focused program's key repeat to copy
        // again over the user's restored clipboard. Once flushed, the keys come up even if we
        // are killed the next instant.
        XTestFakeKeyEvent(to, insertKey, False, kKeyHoldMs);
        if (pressCtrl)
            XTestFakeKeyEvent(to, ctrlLeftKey, False, CurrentTime);
        XFlush(to);
    }

    // Keys that a program of ours killed before it let go of them (an older version released
    // its keystroke from the event loop) stay down on the server's XTest keyboard, and the
    // click watcher would take a stuck Ctrl for the user's. At start the XTest keyboard's own
    // state is asked: whatever it holds of the two keys we ever press, no physical key holds,
    // so it is released through XTest. A physical keyboard is a device of its own and is never
    // asked nor touched, so a Ctrl the user really holds stays theirs. (Another XTest client
    // in the middle of its own keystroke at this very instant would lose that key: a window
    // of microseconds, against a Ctrl stuck until the user happens to press it.)
    void releaseStrayCopyKeys()
    {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(dpy, XIAllDevices, &count);
        int xtestKeyboard = -1;
        for (int i = 0; devices && i < count; ++i) {
            if (devices[i].use == XISlaveKeyboard && devices[i].name && std::strstr(devices[i].name, "XTEST"))
                xtestKeyboard = devices[i].deviceid;
        }
        if (devices)
            XIFreeDeviceInfo(devices);
        if (xtestKeyboard < 0)
            return;
        XDevice* device = XOpenDevice(dpy, XID(xtestKeyboard));
        if (!device)
            return;
        bool released = false;
        if (XDeviceState* state = XQueryDeviceState(dpy, device)) {
            auto* cls = state->data;
            for (int i = 0; i < state->num_classes; ++i) {
                if (cls->c_class == KeyClass) {
                    const auto* keyState = reinterpret_cast<const XKeyState*>(cls);
                    for (const KeyCode key : {insertKey, ctrlLeftKey}) {
                        if (key != 0 && keyDown(keyState->keys, key)) {
                            XTestFakeKeyEvent(dpy, key, False, CurrentTime);
                            released = true;
                        }
                    }
                }
                cls = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(cls) + cls->length);
            }
            XFreeDeviceState(state);
        }
        XCloseDevice(dpy, device);
        if (released)
            std::fprintf(stderr, "zarvik: released Ctrl or Insert left down by a program before us\n");
    }
};

struct X11Platform::Connecting {
    std::unique_ptr<Impl> impl;
    std::thread thread;
    bool opened = false;
    QString error;
    QString registryPath;
    ~Connecting()
    {
        if (thread.joinable())
            thread.join();
    }
};

void X11Platform::ConnectingEnd::operator()(Connecting* connecting) const
{
    delete connecting;
}

X11Platform::ConnectingPtr X11Platform::connectAhead(const QString& registryPath)
{
    ConnectingPtr connecting(new Connecting);
    connecting->impl = std::make_unique<Impl>();
    connecting->registryPath = registryPath;
    Connecting* c = connecting.get();
    try {
        c->thread = std::thread([c] { c->opened = c->impl->openServer(&c->error); });
    } catch (const std::system_error&) {
        c->opened = c->impl->openServer(&c->error); // no thread to be had: here and now
    }
    return connecting;
}

std::unique_ptr<X11Platform> X11Platform::create(ConnectingPtr connecting, QString* error)
{
    if (connecting->thread.joinable())
        connecting->thread.join();
    if (!connecting->opened) {
        if (error)
            *error = connecting->error;
        return nullptr;
    }
    connecting->impl->openEvents();
    return std::unique_ptr<X11Platform>(new X11Platform(std::move(connecting->impl), connecting->registryPath));
}

std::unique_ptr<X11Platform> X11Platform::create(const QString& registryPath, QString* error)
{
    return create(connectAhead(registryPath), error);
}

X11Platform::X11Platform(std::unique_ptr<Impl> impl, const QString& registryPath)
    : SessionServices(registryPath), d(std::move(impl))
{
    d->pressed = [this] { notifyLeftButtonPressed(); };
    d->monitorsSettle.setSingleShot(true);
    d->monitorsSettle.setInterval(0);
    QObject::connect(&d->monitorsSettle, &QTimer::timeout, &d->monitorsSettle, [this] { notifyMonitorsChanged(); });
    QTimer* settle = &d->monitorsSettle;
    const auto watch = [settle](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, settle, qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    auto* app = qGuiApp;
    QObject::connect(app, &QGuiApplication::screenAdded, settle, [settle, watch](QScreen* screen) {
        watch(screen);
        settle->start();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, settle, qOverload<>(&QTimer::start));
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, settle, qOverload<>(&QTimer::start));
    // The reader thread publishes the text fetched after an owner change; the report is
    // handed to the interface thread's event loop, which the posted call wakes.
    QSocketNotifier* context = d->notifier.get();
    d->clipboard.setPublishListener([this, context] {
        QMetaObject::invokeMethod(context, [this] { notifyClipboardOwnerChanged(); }, Qt::QueuedConnection);
    });
}

X11Platform::~X11Platform()
{
    // Its reader thread ends here; reports already posted die with their context.
    m_wayland.reset();
    // Waits for a report under way on the reader thread; reports already posted die with
    // their context, the socket notifier.
    d->clipboard.setPublishListener({});
    d->pressed = nullptr;
}

WindowId X11Platform::foregroundWindow()
{
    const WindowId window = d->foreground();
    d->afterRoundTrip();
    return window;
}

void X11Platform::activateWindow(WindowId window)
{
    if (window == 0)
        return;
    d->foreground(); // learns whether the window manager keeps the active window
    if (d->ewmh) {
        // Asked of the window manager, as a pager would (source 2), so that its focus-stealing
        // prevention lets the user's own window have the keyboard back.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = d->netActiveWindow;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(d->dpy, d->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XSetInputFocus(d->dpy, Window(window), RevertToPointerRoot, CurrentTime);
    }
    XFlush(d->dpy);
}

QString X11Platform::windowExeName(WindowId window)
{
    const QString name = d->exeName(window);
    d->afterRoundTrip();
    return name;
}

bool X11Platform::leftButtonDown()
{
    if (!d->xiButtons) {
        d->resyncButton();
        d->afterRoundTrip();
        return d->button.poll();
    }
    d->pumpForQuery();
    return d->button.poll();
}

bool X11Platform::capsLockDown()
{
    // One round trip, but the click watcher asks only while the left button is down in the
    // Caps Lock mode, and the alternative (raw events for every key) would have us receive
    // everything the user types.
    char keys[32] = {};
    XQueryKeymap(d->dpy, keys);
    d->afterRoundTrip();
    return keyDown(keys, d->capsKey);
}

bool X11Platform::watchWaylandSelections(QString* error)
{
    QSocketNotifier* context = d->notifier.get();
    m_wayland = WaylandSelections::watch(
        [this, context](SelectionKind kind, const QString& text) {
            QMetaObject::invokeMethod(
                context, [this, kind, text] { notifyNativeSelection(kind, text); }, Qt::QueuedConnection);
        },
        error);
    m_native = m_wayland ? NativeSelections::Watched : NativeSelections::Unavailable;
    return m_wayland != nullptr;
}

QString X11Platform::nativeClipboardAtStart()
{
    return m_wayland ? m_wayland->clipboardAtStart() : QString();
}

NativeSelections X11Platform::nativeSelections()
{
    return m_native;
}

bool X11Platform::cursorPosKnown()
{
    if (m_native == NativeSelections::AllSeen)
        return true;
    // XWayland follows the pointer only over its own windows; over a native window it reports
    // the root alone, with the position where the pointer left the last X11 window.
    Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    const bool sameScreen = XQueryPointer(d->dpy, d->root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
    d->afterRoundTrip();
    return sameScreen && child != 0;
}

QPoint X11Platform::cursorPos()
{
    Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    const bool sameScreen = XQueryPointer(d->dpy, d->root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
    d->afterRoundTrip();
    if (!sameScreen) {
        // On another X screen than ours: the middle of the primary monitor stands in for it.
        return Monitors::primary(monitors()).geometry.center();
    }
    // The server speaks device pixels; windows are moved in the toolkit's logical ones, which
    // differ by each monitor's scale factor.
    QList<Monitors::Scaled> scaled;
    for (const QScreen* screen : QGuiApplication::screens())
        scaled.append({screen->geometry(), screen->devicePixelRatio()});
    return Monitors::toLogical({rx, ry}, scaled);
}

int X11Platform::doubleClickTime()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

void X11Platform::sendCopyKeystroke()
{
    d->sendCopyKeys();
    d->afterRoundTrip();
}

QString X11Platform::clipboardText()
{
    return d->clipboard.text();
}

void X11Platform::writeClipboardText(const QString& text)
{
    // Other programs (and our own reader) are answered from the event loop. Until the reader
    // has fetched it back, and against any fetch from the previous owner still under way, the
    // cache holds what we wrote.
    d->pump();
    d->clipboardOwner->own(text);
    d->clipboard.writeLocal(text, QCoreApplication::applicationPid());
    d->afterRoundTrip();
}

QSize X11Platform::screenSize()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry().size();
    return {DisplayWidth(d->dpy, DefaultScreen(d->dpy)), DisplayHeight(d->dpy, DefaultScreen(d->dpy))};
}

void X11Platform::forgetButtonChanges()
{
    d->pumpForQuery();
    d->button.reset(d->button.physical());
}

quint64 X11Platform::clipboardOwnerChanges()
{
    // Every owner change is followed by a fetch of its text, and every write of ours replaces
    // the text: the cache counts both, once the text is in place.
    return d->clipboard.updates();
}

QRect X11Platform::screenGeometryAt(QPoint pixels)
{
    return Monitors::at(monitors(), pixels).geometry;
}

QList<Monitor> X11Platform::monitors()
{
    QList<Monitor> list;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens())
        list.append({screen->geometry(), screen == primary});
    if (list.isEmpty())
        list.append({QRect(QPoint(0, 0), screenSize()), true});
    return list;
}

void X11Platform::saveClipboard()
{
    quint64 number = 0;
    {
        std::lock_guard lock(d->saveMutex);
        number = ++d->saveNumber;
        d->saveState = ClipboardSave::Pending;
        d->saved = {};
    }
    Impl* impl = d.get();
    d->clipboardWatcher.requestSnapshot([impl, number](ClipboardSave result, const ClipboardSnapshot& content) {
        std::lock_guard lock(impl->saveMutex);
        if (number != impl->saveNumber)
            return;
        impl->saveState = result;
        impl->saved = content;
    });
}

ClipboardSave X11Platform::clipboardSaveState()
{
    std::lock_guard lock(d->saveMutex);
    return d->saveState;
}

void X11Platform::restoreClipboard(const QString& text)
{
    ClipboardSnapshot content;
    bool saved = false;
    {
        std::lock_guard lock(d->saveMutex);
        saved = d->saveState == ClipboardSave::Saved;
        if (saved)
            content = d->saved;
    }
    // The saved clipboard is put back as it was, an empty one as empty; only without a save
    // is the text all there is.
    if (!saved)
        content = ClipboardSnapshot::fromText(text);
    d->pump();
    const bool owned = d->clipboardOwner->own(content);
    d->clipboard.writeLocal(textOf(content), owned ? QCoreApplication::applicationPid() : 0);
    d->afterRoundTrip();
}

void X11Platform::copyPrimarySelection()
{
    // The answer comes on the reader's thread; the clipboard is ours to write from this one.
    QObject* context = &d->fromReader;
    d->clipboardWatcher.requestPrimaryText([this, context](const QString& text) {
        if (text.isEmpty())
            return; // nothing selected: nothing copied, as with an empty selection's copy
        QMetaObject::invokeMethod(context, [this, text] { writeClipboardText(text); }, Qt::QueuedConnection);
    });
}

bool X11Platform::compositingManager()
{
    // Asked when a window is made; a manager started later is not followed.
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(d->dpy));
    const Atom selection = XInternAtom(d->dpy, name.constData(), False);
    const bool owned = XGetSelectionOwner(d->dpy, selection) != None;
    d->afterRoundTrip();
    return owned;
}

std::optional<quint64> X11Platform::primarySelectionChanges()
{
    return d->clipboardWatcher.primaryChanges();
}

bool X11Platform::reportsLeftButtonPresses()
{
    // Without raw events the button is asked on every poll and nothing reports a press.
    return d->xiButtons;
}

bool X11Platform::reportsClipboardOwnerChanges()
{
    // The reader follows the owner through XFixes, without which the platform does not start.
    return true;
}

bool X11Platform::leftButtonHeld()
{
    return d->button.physical();
}

qint64 X11Platform::windowProcess(WindowId window)
{
    if (window == 0)
        return 0;
    const qint64 pid = d->pidOf(Window(window));
    d->afterRoundTrip();
    return pid > 0 ? pid : 0;
}

qint64 X11Platform::clipboardTextProcess()
{
    return d->clipboard.process();
}

void X11Platform::undoCapsLockPress()
{
    if (d->xkbEventBase < 0)
        return;
    // A round trip, so that the lock changes made before now have all been seen.
    XkbStateRec state{};
    XkbGetState(d->dpy, XkbUseCoreKbd, &state);
    d->pump();
    if (const auto lock = d->caps.undo())
        d->setLock(*lock);
}

quint64 X11Platform::requestsSent() const
{
    return quint64(NextRequest(d->dpy)) - 1;
}

bool X11Platform::tracksButtonByEvents() const
{
    return d->xiButtons;
}

} // namespace zarvik
