#include "platform/ToolkitWindows.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

namespace zarvik {

namespace {

xcb_connection_t* toolkitConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

class X11ManagedRestackWatch final : public ManagedRestackWatch, public QAbstractNativeEventFilter {
public:
    X11ManagedRestackWatch(xcb_connection_t* connection, std::function<void()> onRestack)
        : m_onRestack(std::move(onRestack))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        m_root = screen->root;
        // Added to what the toolkit itself listens to on the root window, which a plain
        // change of the event mask would replace.
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, m_root), nullptr);
        const uint32_t mask =
            (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        free(attributes);
        xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11ManagedRestackWatch() override
    {
        // Selecting less on the root window again could take away what the toolkit selected
        // meanwhile; the few notifications left are ignored.
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        bool managed = false;
        switch (event->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            managed = configure->event == m_root && !configure->override_redirect;
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            managed = map->event == m_root && !map->override_redirect;
            break;
        }
        default:
            break;
        }
        if (managed && m_onRestack)
            m_onRestack();
        // The toolkit sees the event too.
        return false;
    }

private:
    std::function<void()> m_onRestack;
    xcb_window_t m_root = 0;
};

} // namespace

bool focusToolkitWindow(WindowId window)
{
    xcb_connection_t* connection = toolkitConnection();
    if (connection == nullptr || window == 0)
        return false;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(window), XCB_CURRENT_TIME);
    xcb_flush(connection);
    return true;
}

std::unique_ptr<ManagedRestackWatch> watchManagedRestacks(std::function<void()> onRestack)
{
    xcb_connection_t* connection = toolkitConnection();
    if (connection == nullptr)
        return nullptr;
    return std::make_unique<X11ManagedRestackWatch>(connection, std::move(onRestack));
}

} // namespace zarvik
