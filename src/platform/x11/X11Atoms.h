#pragma once

#include <X11/Xlib.h>

#include <array>

namespace zarvik {

// Every name's atom in one round trip to the server, where XInternAtom waits for a reply
// per name: at start-up the connections ask for about twenty.
template <std::size_t N>
std::array<Atom, N> internAtoms(Display* dpy, const std::array<const char*, N>& names)
{
    std::array<Atom, N> atoms{};
    XInternAtoms(dpy, const_cast<char**>(names.data()), int(N), False, atoms.data());
    return atoms;
}

} // namespace zarvik
