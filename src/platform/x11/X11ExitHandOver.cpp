#include "platform/x11/X11ExitHandOver.h"

#include "platform/PlatformFactory.h"
#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11Connection.h"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

namespace zarvik {

namespace {

// Starts this program again as a keeper of the clipboard we hold and waits until it has taken
// the clipboard from us, at most `ms` milliseconds.
void leaveKeeper(X11ClipboardOwner& owner, X11Connection& connection, int ms)
{
    const QByteArray bytes = owner.content().serialize();
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
    QByteArray keep(kKeepClipboardArgument);
    char* argv[] = {name.data(), keep.data(), nullptr};
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (owner.owning() && std::chrono::steady_clock::now() < deadline) {
        connection.pump();
        connection.waitForEvents(50);
    }
}

} // namespace

void ExitHandOver::run(X11ClipboardOwner& owner, X11Connection& connection)
{
    if (owner.owning() && !owner.handOver(kManagerMs))
        leaveKeeper(owner, connection, kKeeperMs);
}

} // namespace zarvik
