#pragma once

namespace zarvik {

class X11ClipboardOwner;
class X11Connection;

// What we hold on the clipboard at exit is the user's (their copy put back after a capture):
// it outlives us, kept by a clipboard manager or, without one that takes it, by a keeper of
// ours (this program started again, see runClipboardKeeper). The exit waits for that, and
// only that long: these are the bounds of the exit's wait, here and nowhere else.
struct ExitHandOver {
    // For a clipboard manager to take a copy.
    static constexpr int kManagerMs = 2000;
    // Else for the keeper we leave behind to take the clipboard from us.
    static constexpr int kKeeperMs = 3000;

    // Hands over what `owner` holds, serving requests meanwhile; returns at once when it holds
    // nothing. Blocks at most kManagerMs + kKeeperMs.
    static void run(X11ClipboardOwner& owner, X11Connection& connection);
};

} // namespace zarvik
