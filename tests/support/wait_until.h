// Waiting for something another process or thread does, with no way to be
// told: ask again every few milliseconds, until it is so or time is up.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// True as soon as `done()` is; false if it is still not once `timeout` has
// passed. Bounds are for a party that never gets there: make them generous.
template <typename Done> bool WaitUntil(Done&& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace testsupport
