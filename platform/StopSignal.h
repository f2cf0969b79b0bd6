// A request to stop one run of the station, shared by whoever may ask (the
// console's Ctrl+C, a window's Stop button, Windows shutting down) and
// every thread of the run, which looks at it between blocks and waits on it
// instead of sleeping, so that a stop takes effect within one poll.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class StopSignal {
public:
    void Request()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requested_ = true;
        }
        changed_.notify_all();
    }

    bool Requested() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requested_;
    }

    // Waits at most `ms` milliseconds; true, at once, when a stop was or is
    // requested.
    bool WaitFor(std::uint64_t ms) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return requested_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool requested_ = false;
};

}  // namespace platform
