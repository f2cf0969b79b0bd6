#include "custody/FileHashing.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

namespace custody {
namespace {

// Large enough that the hash, not the calls, sets the pace; small enough
// for a 32-bit process with a thread per core.
constexpr std::size_t kChunk = 1u << 20;

// What the threads share: the counts, the stop, and the caller's hooks
// behind one lock.
class Progress {
public:
    explicit Progress(const HashControl& control) : control_(control) {}

    // False once any thread was told to stop.
    bool MayRead()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = stopped_ || (control_.stop && control_.stop());
        return !stopped_;
    }

    void Hashed(std::size_t bytes, bool fileEnded)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        counts_.bytes += bytes;
        counts_.files += fileEnded ? 1 : 0;
        if (control_.hashed) {
            control_.hashed(counts_);
        }
    }

private:
    const HashControl& control_;
    std::mutex mutex_;
    HashCounts counts_;
    bool stopped_ = false;
};

HashOutcome Failed(std::string why)
{
    HashOutcome outcome;
    outcome.error = std::move(why);
    return outcome;
}

HashOutcome Stopped()
{
    HashOutcome outcome;
    outcome.stopped = true;
    return outcome;
}

HashOutcome HashOne(const FileSystem& fs, const HashRequest& request, std::vector<char>& buffer, Progress& progress)
{
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (HashAlgorithm algorithm : request.algorithms) {
        hashers.push_back(std::make_unique<Hasher>(algorithm));
        if (!hashers.back()->Ok()) {
            return Failed(std::string("the platform cannot compute ") + HashName(algorithm));
        }
    }
    const std::unique_ptr<ReadStream> file = fs.OpenRead(request.path);
    if (!file) {
        return Failed(fs.LastError());
    }
    for (;;) {
        std::size_t count = 0;
        if (!progress.MayRead()) {
            return Stopped();
        }
        if (!file->Read(buffer.data(), buffer.size(), count)) {
            return Failed(fs.LastError());
        }
        if (count == 0) {
            break;
        }
        for (const auto& hasher : hashers) {
            if (!hasher->Update(buffer.data(), count)) {
                return Failed("hashing failed");
            }
        }
        progress.Hashed(count, false);
    }
    HashOutcome outcome;
    for (const auto& hasher : hashers) {
        outcome.hex.push_back(hasher->FinishHex());
        if (outcome.hex.back().empty()) {
            return Failed("hashing failed");
        }
    }
    return outcome;
}

}  // namespace

std::vector<HashOutcome> HashFiles(const FileSystem& fs, const std::vector<HashRequest>& requests, unsigned threads,
                                   const HashControl& control)
{
    std::vector<std::size_t> order(requests.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return requests[a].size > requests[b].size; });

    std::vector<HashOutcome> outcomes(requests.size());
    std::atomic<std::size_t> next{0};
    Progress progress(control);
    const auto work = [&] {
        std::vector<char> buffer(kChunk);
        for (std::size_t at = next++; at < order.size(); at = next++) {
            HashOutcome& outcome = outcomes[order[at]];
            outcome = HashOne(fs, requests[order[at]], buffer, progress);
            if (!outcome.stopped) {
                progress.Hashed(0, true);  // hashed, or found unreadable: checked either way
            }
        }
    };
    const unsigned count = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(requests.size())));
    std::vector<std::thread> pool;
    for (unsigned i = 1; i < count; ++i) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads, same result
        }
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
    return outcomes;
}

}  // namespace custody
