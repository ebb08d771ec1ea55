#pragma once

#include <thread>

namespace zarvik {

// Reads the font configuration and the font caches on a second thread while the toolkit
// connects to the display. The first line of text that a window lays out waits for them
// otherwise: a few milliseconds of the start, before the panel can show.
class FontWarmUp final {
public:
    FontWarmUp();
    // Waits for the reading to end; the toolkit then finds the configuration made.
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};

} // namespace zarvik
