// A pointer for a compositor without input devices (a headless sway): creates a virtual
// pointer through the wlroots virtual-pointer protocol and plays the commands read from
// standard input, one a line, until "quit" or the end of the input:
//   move X Y     the pointer to X,Y (layout pixels)
//   click        the left button pressed and released
//   double       two clicks 40 ms apart
//   rclick       the right button pressed and released
// While it runs the seat has a pointer, so that programs (XWayland among them) follow it.
// Prints "ready" once the pointer exists and "ok" after each command.
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// The two interfaces, as the protocol defines them on the wire (requests only; the
// client sends nothing else and the compositor sends no events for them).
extern const wl_interface virtualPointerInterface;
const wl_interface* const createTypes[] = {&wl_seat_interface, &virtualPointerInterface};
const wl_interface* const noTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", const_cast<const wl_interface**>(createTypes)}};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr};
const wl_message pointerRequests[] = {
    {"motion", "uff", const_cast<const wl_interface**>(noTypes)},
    {"motion_absolute", "uuuuu", const_cast<const wl_interface**>(noTypes)},
    {"button", "uuu", const_cast<const wl_interface**>(noTypes)},
    {"axis", "uuf", const_cast<const wl_interface**>(noTypes)},
    {"frame", "", const_cast<const wl_interface**>(noTypes)},
    {"axis_source", "u", const_cast<const wl_interface**>(noTypes)},
    {"axis_stop", "uu", const_cast<const wl_interface**>(noTypes)},
    {"axis_discrete", "uufi", const_cast<const wl_interface**>(noTypes)},
    {"destroy", "", const_cast<const wl_interface**>(noTypes)},
};
const wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr};
enum { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kDestroy = 8 };
constexpr uint32_t kLeftButton = 0x110;  // BTN_LEFT
constexpr uint32_t kRightButton = 0x111; // BTN_RIGHT

wl_seat* seat = nullptr;
wl_proxy* manager = nullptr;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, managerInterface.name) == 0)
        manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
}
void globalRemove(void*, wl_registry*, uint32_t) {}

uint32_t now()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t width = argc > 2 ? uint32_t(std::stoul(argv[1])) : 1280;
    const uint32_t height = argc > 2 ? uint32_t(std::stoul(argv[2])) : 800;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "sway_pointer: no Wayland compositor\n");
        return 1;
    }
    static const wl_registry_listener listener{&global, &globalRemove};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fprintf(stderr, "sway_pointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    wl_proxy* pointer = wl_proxy_marshal_flags(manager, 0, &virtualPointerInterface, 1, 0, seat, nullptr);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);

    const auto button = [&](uint32_t state, uint32_t which = kLeftButton) {
        wl_proxy_marshal_flags(pointer, kButton, nullptr, 1, 0, now(), which, state);
        wl_proxy_marshal_flags(pointer, kFrame, nullptr, 1, 0);
        wl_display_flush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "quit")
            break;
        if (command == "move") {
            uint32_t x = 0, y = 0;
            in >> x >> y;
            wl_proxy_marshal_flags(pointer, kMotionAbsolute, nullptr, 1, 0, now(), x, y, width, height);
            wl_proxy_marshal_flags(pointer, kFrame, nullptr, 1, 0);
        } else if (command == "click" || command == "double") {
            button(1);
            button(0);
            if (command == "double") {
                button(1);
                button(0);
            }
        } else if (command == "rclick") {
            button(1, kRightButton);
            button(0, kRightButton);
        }
        wl_display_roundtrip(display);
        std::printf("ok\n");
        std::fflush(stdout);
    }
    wl_proxy_marshal_flags(pointer, kDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
