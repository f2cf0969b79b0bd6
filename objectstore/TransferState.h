// What the threads of one offload into the store share: the counts of
// their work, the stop, and the first failure; and the two ways they run:
// items spread over a few threads, and work watched by the calling thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "objectstore/S3Error.h"

namespace objectstore {

class TransferState {
public:
    // Card bytes the store took, bytes read back from it, bytes of an
    // earlier attempt checked, recordings verified; they only grow.
    std::atomic<std::uint64_t> sent{0};
    std::atomic<std::uint64_t> readBack{0};
    std::atomic<std::uint64_t> checked{0};
    std::atomic<std::uint64_t> filesVerified{0};

    // True once a thread failed or the offload was interrupted: every
    // thread stops after its block.
    bool Stopping() const { return stop_; }
    void Interrupt() { stop_ = true; }
    // The first failure counts; later ones follow from it.
    void Fail(const std::string& step, const std::string& why, const S3Error& store = {});
    bool Failed(std::string& step, std::string& why, S3Error& store) const;

    // A thread's work moved on: the watcher may report it.
    void Moved() { moved_.notify_all(); }

    // Runs `work` on a thread of its own; the calling thread meanwhile
    // calls `watch` each time work moved on and at least every 50 ms, and
    // once more at the end.
    void Watch(const std::function<void()>& work, const std::function<void()>& watch);

private:
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable moved_;
    std::string step_;
    std::string why_;
    S3Error store_;
};

// Calls `item(i)` for each i below `count` on up to `threads` threads, each
// taking the next i, until every item is done or the state stops.
void ParallelEach(std::size_t count, unsigned threads, const TransferState& state,
                  const std::function<void(std::size_t)>& item);

}  // namespace objectstore
