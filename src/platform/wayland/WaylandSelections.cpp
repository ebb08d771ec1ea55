#include "platform/WaylandSelections.h"
#include "platform/TextFormats.h"

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QByteArray>
#include <wayland-client.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zarvik {

namespace {

using Clock = std::chrono::steady_clock;

// The two protocols are one protocol under two names: the same requests and events in the
// same order. Each is reached through one of these, so that the client is written once.
struct ExtProtocol {
    using Manager = ext_data_control_manager_v1;
    using Device = ext_data_control_device_v1;
    using Offer = ext_data_control_offer_v1;
    using DeviceListener = ext_data_control_device_v1_listener;
    using OfferListener = ext_data_control_offer_v1_listener;
    static constexpr const char* kName = "ext-data-control-v1";
    static Device* getDevice(Manager* m, wl_seat* seat) { return ext_data_control_manager_v1_get_data_device(m, seat); }
    static void addListener(Device* d, const DeviceListener* l, void* data)
    {
        ext_data_control_device_v1_add_listener(d, l, data);
    }
    static void addListener(Offer* o, const OfferListener* l, void* data)
    {
        ext_data_control_offer_v1_add_listener(o, l, data);
    }
    static void receive(Offer* o, const char* mime, int fd) { ext_data_control_offer_v1_receive(o, mime, fd); }
    static void destroy(Manager* m) { ext_data_control_manager_v1_destroy(m); }
    static void destroy(Device* d) { ext_data_control_device_v1_destroy(d); }
    static void destroy(Offer* o) { ext_data_control_offer_v1_destroy(o); }
};

struct WlrProtocol {
    using Manager = zwlr_data_control_manager_v1;
    using Device = zwlr_data_control_device_v1;
    using Offer = zwlr_data_control_offer_v1;
    using DeviceListener = zwlr_data_control_device_v1_listener;
    using OfferListener = zwlr_data_control_offer_v1_listener;
    static constexpr const char* kName = "wlr-data-control-unstable-v1";
    static Device* getDevice(Manager* m, wl_seat* seat) { return zwlr_data_control_manager_v1_get_data_device(m, seat); }
    static void addListener(Device* d, const DeviceListener* l, void* data)
    {
        zwlr_data_control_device_v1_add_listener(d, l, data);
    }
    static void addListener(Offer* o, const OfferListener* l, void* data)
    {
        zwlr_data_control_offer_v1_add_listener(o, l, data);
    }
    static void receive(Offer* o, const char* mime, int fd) { zwlr_data_control_offer_v1_receive(o, mime, fd); }
    static void destroy(Manager* m) { zwlr_data_control_manager_v1_destroy(m); }
    static void destroy(Device* d) { zwlr_data_control_device_v1_destroy(d); }
    static void destroy(Offer* o) { zwlr_data_control_offer_v1_destroy(o); }
};

// Text forms, best first (see TextFormats.h).
constexpr auto kTextTypes = waylandTextTypes();

// Reads what a program writes into the pipe, within the time and size limits.
QString readText(int fd, const char* mime)
{
    QByteArray data;
    const auto deadline = Clock::now() + std::chrono::milliseconds(WaylandSelections::kFetchTimeoutMs);
    char buffer[1024];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return {}; // a program that does not answer in time gives nothing
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        data.append(buffer, std::min<qsizetype>(n, WaylandSelections::kMaxBytes - data.size()));
        if (data.size() >= WaylandSelections::kMaxBytes)
            break; // long past anything that is looked up; the rest is not needed
    }
    return decodeText(data, kTextFormats[size_t(textFormatIndex(mime))].encoding);
}

// The data-control device of one seat and the offers it was given.
class Session {
public:
    virtual ~Session() = default;
    virtual const char* protocol() const = 0;
    // The state the watch began with has arrived: from now on every change is reported.
    virtual void start() = 0;
    // The clipboard's text when the watch began ("" for none, or none that could be read).
    virtual QString clipboardAtStart() const = 0;
};

template <class P>
class Client final : public Session {
public:
    Client(wl_display* display, typename P::Manager* manager, wl_seat* seat, const WaylandSelections::Report& report)
        : m_display(display), m_manager(manager), m_report(report)
    {
        m_device = P::getDevice(manager, seat);
        P::addListener(m_device, &kDeviceListener, this);
    }
    ~Client() override
    {
        drop(m_clipboard);
        drop(m_primary);
        if (m_device)
            P::destroy(m_device);
        P::destroy(m_manager);
    }
    const char* protocol() const override { return P::kName; }
    void start() override
    {
        // What the user had copied before: read once, so that the program can tell it from
        // a copy made later (XWayland hands it to X11 programs some time after).
        if (m_clipboard)
            m_clipboardAtStart = fetch(m_clipboard);
        m_started = true;
    }
    QString clipboardAtStart() const override { return m_clipboardAtStart; }

private:
    struct OfferState {
        std::vector<std::string> types;
    };

    static OfferState* stateOf(typename P::Offer* offer)
    {
        return static_cast<OfferState*>(wl_proxy_get_user_data(reinterpret_cast<wl_proxy*>(offer)));
    }
    static void drop(typename P::Offer*& offer)
    {
        if (!offer)
            return;
        delete stateOf(offer);
        P::destroy(offer);
        offer = nullptr;
    }

    static void onDataOffer(void*, typename P::Device*, typename P::Offer* offer)
    {
        P::addListener(offer, &kOfferListener, new OfferState);
    }
    static void onOfferType(void* data, typename P::Offer*, const char* type)
    {
        static_cast<OfferState*>(data)->types.emplace_back(type);
    }
    static void onSelection(void* data, typename P::Device*, typename P::Offer* offer)
    {
        static_cast<Client*>(data)->changed(SelectionKind::Clipboard, offer);
    }
    static void onPrimarySelection(void* data, typename P::Device*, typename P::Offer* offer)
    {
        static_cast<Client*>(data)->changed(SelectionKind::Primary, offer);
    }
    static void onFinished(void* data, typename P::Device*)
    {
        // The seat is gone: nothing will be reported any more.
        auto* self = static_cast<Client*>(data);
        P::destroy(self->m_device);
        self->m_device = nullptr;
    }

    void changed(SelectionKind kind, typename P::Offer* offer)
    {
        typename P::Offer*& current = kind == SelectionKind::Clipboard ? m_clipboard : m_primary;
        // The previous offer of the same selection is over.
        drop(current);
        current = offer;
        if (m_started)
            m_report(kind, offer ? fetch(offer) : QString());
    }

    QString fetch(typename P::Offer* offer)
    {
        const std::vector<std::string>& types = stateOf(offer)->types;
        for (const char* wanted : kTextTypes) {
            if (std::find(types.begin(), types.end(), wanted) == types.end())
                continue;
            int fds[2];
            if (::pipe2(fds, O_CLOEXEC) != 0)
                return {};
            P::receive(offer, wanted, fds[1]);
            // The request carries a copy of the descriptor; ours must go, or the end of the
            // text would never be seen.
            ::close(fds[1]);
            wl_display_flush(m_display);
            const QString text = readText(fds[0], wanted);
            ::close(fds[0]);
            return text;
        }
        return {}; // no text (a picture, files): as the clipboard reads without text
    }

    static constexpr typename P::DeviceListener kDeviceListener{&onDataOffer, &onSelection, &onFinished,
                                                                &onPrimarySelection};
    static constexpr typename P::OfferListener kOfferListener{&onOfferType};

    wl_display* m_display;
    typename P::Manager* m_manager;
    typename P::Device* m_device = nullptr;
    typename P::Offer* m_clipboard = nullptr;
    typename P::Offer* m_primary = nullptr;
    const WaylandSelections::Report& m_report;
    bool m_started = false;
    QString m_clipboardAtStart;
};

} // namespace

struct WaylandSelections::Impl {
    Report report;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_data_control_manager_v1* extManager = nullptr;
    zwlr_data_control_manager_v1* wlrManager = nullptr;
    std::unique_ptr<Session> session;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;

    ~Impl()
    {
        if (thread.joinable()) {
            stopping = true;
            const quint64 one = 1;
            [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
            thread.join();
        }
        session.reset();
        if (extManager)
            ext_data_control_manager_v1_destroy(extManager);
        if (wlrManager)
            zwlr_data_control_manager_v1_destroy(wlrManager);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    static void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        auto* self = static_cast<Impl*>(data);
        // The first seat is the user's; a desktop with several is rare and names no favourite.
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat) {
            self->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0 && !self->extManager) {
            self->extManager = static_cast<ext_data_control_manager_v1*>(
                wl_registry_bind(registry, name, &ext_data_control_manager_v1_interface, 1));
        } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 && !self->wlrManager) {
            // Version 2 brings the primary selection; a version 1 compositor has only the clipboard.
            self->wlrManager = static_cast<zwlr_data_control_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, std::min(version, 2u)));
        }
    }
    static void onGlobalRemove(void*, wl_registry*, uint32_t) {}

    bool open(QString* error)
    {
        const auto fail = [error](const QString& reason) {
            if (error)
                *error = reason;
            return false;
        };
        display = wl_display_connect(nullptr);
        if (!display)
            return fail(QStringLiteral("cannot connect to the Wayland compositor"));
        static const wl_registry_listener listener{&onGlobal, &onGlobalRemove};
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, this);
        if (wl_display_roundtrip(display) < 0)
            return fail(QStringLiteral("the Wayland compositor does not answer"));
        if (!extManager && !wlrManager)
            return fail(QStringLiteral("the Wayland compositor offers no data-control protocol"));
        if (!seat)
            return fail(QStringLiteral("the Wayland compositor has no seat"));
        // The newer protocol where both are offered; the other is let go.
        if (extManager) {
            session = std::make_unique<Client<ExtProtocol>>(display, extManager, seat, report);
            extManager = nullptr;
            if (wlrManager) {
                zwlr_data_control_manager_v1_destroy(wlrManager);
                wlrManager = nullptr;
            }
        } else {
            session = std::make_unique<Client<WlrProtocol>>(display, wlrManager, seat, report);
            wlrManager = nullptr;
        }
        // The selections of the moment arrive first; they were made before the watch began.
        if (wl_display_roundtrip(display) < 0)
            return fail(QStringLiteral("the Wayland compositor does not answer"));
        session->start();
        wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd < 0)
            return fail(QStringLiteral("cannot create the Wayland reader's wake-up descriptor"));
        thread = std::thread([this] { run(); });
        return true;
    }

    void run()
    {
        const int fd = wl_display_get_fd(display);
        while (!stopping) {
            while (wl_display_prepare_read(display) != 0) {
                if (wl_display_dispatch_pending(display) < 0)
                    return;
            }
            wl_display_flush(display);
            pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, -1);
            if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
                // A compositor that went away ends the watch quietly.
                if (wl_display_read_events(display) < 0)
                    return;
            } else {
                wl_display_cancel_read(display);
            }
            if (wl_display_dispatch_pending(display) < 0)
                return;
        }
    }
};

std::unique_ptr<WaylandSelections> WaylandSelections::watch(Report report, QString* error)
{
    auto impl = std::make_unique<Impl>();
    impl->report = std::move(report);
    if (!impl->open(error))
        return nullptr;
    return std::unique_ptr<WaylandSelections>(new WaylandSelections(std::move(impl)));
}

WaylandSelections::WaylandSelections(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

WaylandSelections::~WaylandSelections() = default;

QString WaylandSelections::protocol() const
{
    return QString::fromLatin1(d->session->protocol());
}

QString WaylandSelections::clipboardAtStart() const
{
    return d->session->clipboardAtStart();
}

} // namespace zarvik
