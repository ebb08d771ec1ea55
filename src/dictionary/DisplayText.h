#pragma once

#include <QString>

namespace zarvik {

// Dictionary text made fit for one line of the strip or of a result list. The text is data:
// whatever it holds, it shows as plain characters in their own direction, on one line, and
// only as much of it as a line can show.
namespace DisplayText {

// The most characters of one line that are shown: wider than any screen at the lists' and the
// strip's font, and cheap to lay out however long the stored translation is.
inline constexpr int kLineChars = 1000;
// The most characters a window's title carries: the window server and every program that
// reads titles (screen readers, task lists) expect a short name, not a translation.
inline constexpr int kTitleChars = 120;

// Line breaks become spaces; the invisible controls that embed, override or isolate a
// direction, and the direction marks, are dropped, so that a translation can neither reverse
// the rest of the line nor the text around it; a text longer than `maxChars` is cut and ends
// in "…" (a character pair is never split).
QString line(const QString& text, int maxChars = kLineChars);

// Whether the character is one of the direction controls that `line` drops.
bool isDirectionControl(char32_t c);

} // namespace DisplayText

} // namespace zarvik
