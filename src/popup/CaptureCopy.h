#pragma once

#include "platform/Platform.h"

namespace zarvik {

class HiddenState;

// Which clipboard change is the copy that a capture asked for.
//
// The rule: a change counts as the capture's own copy only when it came after the capture
// asked for it (the copy keystroke, or in a terminal the selection it put on the clipboard
// itself) and from the program it asked (the one it sent the keystroke to; ourselves in a
// terminal). A copy of the user's that was still on its way when the capture began belongs to
// the user: the capture saves it as the user's clipboard, and never takes it for the word.
// When the platform cannot tell a program (0 on either side), the time alone decides.
bool isCaptureCopy(const HiddenState& state, Platform& platform);

} // namespace zarvik
