#pragma once

#include <sys/select.h>

#include <algorithm>
#include <chrono>

namespace zarvik::bench {

// Sleeps until the descriptor (an X connection) has something to read or `left` has passed,
// at most 100 ms at a time so that the caller's deadline checks stay responsive.
inline void waitForFd(int fd, std::chrono::steady_clock::duration left)
{
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
    timeval tv{0, static_cast<suseconds_t>(std::clamp<long long>(us, 0, 100000))};
    select(fd + 1, &fds, nullptr, nullptr, &tv);
}

} // namespace zarvik::bench
