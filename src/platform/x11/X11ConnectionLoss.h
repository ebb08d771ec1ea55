#pragma once

namespace zarvik {

// Losing the X server breaks every connection of the process at once: the toolkit's, the
// platform's and the clipboard reader's, each on its own thread, and each would end the
// process through exit() by itself; two exits running side by side free the same memory
// twice. After this call exactly one of them ends the process: the first to notice. An
// Xlib connection that notices first ends it at once (status 1, one line on standard error);
// when the toolkit notices first and calls exit(), a connection noticing during that exit
// waits for it to finish. Call once, after the toolkit has connected.
void endProcessOnceOnConnectionLoss();

} // namespace zarvik
