// The X11 platform's start in two halves: the connection's on a second thread, the rest on
// the interface thread.
#include "platform/x11/X11PlatformParts.h"

#include <system_error>
#include <thread>

namespace zarvik {

bool X11Platform::Parts::openServer(QString* error)
{
    if (!connection.open(error))
        return false;
    connection.setEventHandler([this](_XEvent& event) {
        (void)(keyboard.handle(event) || buttons.handle(event) || windows.handle(event) || clipboard.handle(event));
    });
    windows.start();
    keyboard.start();
    buttons.start();
    connection.flush();
    return clipboard.start(error);
}

void X11Platform::Parts::openEvents()
{
    connection.startEvents();
    clipboard.waitForFirstText();
}

struct X11Platform::Connecting {
    std::unique_ptr<Parts> parts;
    std::thread thread;
    bool opened = false;
    QString error;
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
    connecting->parts = std::make_unique<Parts>();
    connecting->parts->registryPath = registryPath;
    Connecting* c = connecting.get();
    try {
        c->thread = std::thread([c] { c->opened = c->parts->openServer(&c->error); });
    } catch (const std::system_error&) {
        c->opened = c->parts->openServer(&c->error); // no thread to be had: here and now
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
    connecting->parts->openEvents();
    const QString registryPath = connecting->parts->registryPath;
    return std::unique_ptr<X11Platform>(new X11Platform(std::move(connecting->parts), registryPath));
}

std::unique_ptr<X11Platform> X11Platform::create(const QString& registryPath, QString* error)
{
    return create(connectAhead(registryPath), error);
}

} // namespace zarvik
