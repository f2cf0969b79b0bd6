#include "objectstore/TransferState.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace objectstore {

void TransferState::Fail(const std::string& step, const std::string& why, const S3Error& store)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (step_.empty()) {
            step_ = step;
            why_ = why;
            store_ = store;
        }
    }
    stop_ = true;
    Moved();
}

bool TransferState::Failed(std::string& step, std::string& why, S3Error& store) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (step_.empty()) {
        return false;
    }
    step = step_;
    why = why_;
    store = store_;
    return true;
}

void TransferState::Watch(const std::function<void()>& work, const std::function<void()>& watch)
{
    bool done = false;
    std::thread worker([&] {
        work();
        const std::lock_guard<std::mutex> lock(mutex_);
        done = true;
        moved_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done) {
        moved_.wait_for(lock, std::chrono::milliseconds(50));
        lock.unlock();
        watch();
        lock.lock();
    }
    lock.unlock();
    worker.join();
    watch();
}

void ParallelEach(std::size_t count, unsigned threads, const TransferState& state,
                  const std::function<void(std::size_t)>& item)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t at = next++; at < count && !state.Stopping(); at = next++) {
            item(at);
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t helping = std::min<std::size_t>(std::max(threads, 1u), count);
    for (std::size_t i = 1; i < helping; ++i) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

}  // namespace objectstore
