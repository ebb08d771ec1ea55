#include "platform/x11/X11ConnectionLoss.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace zarvik {

namespace {

std::atomic<bool> g_ending{false};

bool firstToEnd()
{
    bool expected = false;
    return g_ending.compare_exchange_strong(expected, true);
}

[[noreturn]] void waitForTheOtherExit()
{
    for (;;)
        ::pause();
}

// Xlib calls this on the thread whose connection broke, and ends the process if it returns.
int onConnectionLost(Display*)
{
    if (!firstToEnd())
        waitForTheOtherExit();
    static const char message[] = "zarvik: the connection to the X server is lost\n";
    [[maybe_unused]] const auto n = ::write(STDERR_FILENO, message, sizeof message - 1);
    // No destructors: the other threads still run, and nothing is left to say to the server.
    ::_exit(1);
}

// Runs at the start of any exit(): a connection that breaks from then on leaves the exit alone.
void onExit()
{
    if (!firstToEnd())
        waitForTheOtherExit();
}

} // namespace

void endProcessOnceOnConnectionLoss()
{
    // Set again at every call: the toolkit sets a handler of its own when it connects, and
    // ours must be the one in place once both connections are up.
    XSetIOErrorHandler(onConnectionLost);
    static bool exitHooked = false;
    if (exitHooked)
        return;
    exitHooked = true;
    std::atexit(onExit);
}

} // namespace zarvik
