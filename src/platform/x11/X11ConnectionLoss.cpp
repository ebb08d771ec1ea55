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
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    XSetIOErrorHandler(onConnectionLost);
    std::atexit(onExit);
}

} // namespace zarvik
