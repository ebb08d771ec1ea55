#pragma once

namespace zarvik {

// Xlib's default handler ends the process on any protocol error, and a window that closes
// between the moment we learn its id and the moment we ask about it is an everyday event (a
// clipboard requestor may go away before our answer, too). Every caller treats a failed
// request as "no answer", so from this call on errors are dropped, on every connection of
// the process.
void silenceXErrors();

} // namespace zarvik
