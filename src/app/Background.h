#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace zarvik {

// Runs one piece of start-up work on a second thread while the interface thread goes on; the
// result is taken (or the future dropped) where it is needed, which waits for the work. With
// no thread to spare the work runs when its result is taken, as if it had never been moved.
template <class Work>
auto inBackground(Work work) -> std::future<decltype(work())>
{
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(work));
    }
}

} // namespace zarvik
