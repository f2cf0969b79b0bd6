#include "custody/FileHashing.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <numeric>
#include <system_error>
#include <thread>

namespace custody {
namespace {

// Large enough that the hash, not the calls, sets the pace; small enough
// for a 32-bit process with a thread per core.
constexpr std::size_t kChunk = 1u << 20;

HashOutcome HashOne(const FileSystem& fs, const HashRequest& request, std::vector<char>& buffer)
{
    HashOutcome outcome;
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (HashAlgorithm algorithm : request.algorithms) {
        hashers.push_back(std::make_unique<Hasher>(algorithm));
        if (!hashers.back()->Ok()) {
            outcome.error = std::string("the platform cannot compute ") + HashName(algorithm);
            return outcome;
        }
    }
    const std::unique_ptr<ReadStream> file = fs.OpenRead(request.path);
    if (!file) {
        outcome.error = fs.LastError();
        return outcome;
    }
    for (;;) {
        std::size_t count = 0;
        if (!file->Read(buffer.data(), buffer.size(), count)) {
            outcome.error = fs.LastError();
            return outcome;
        }
        if (count == 0) {
            break;
        }
        for (const auto& hasher : hashers) {
            if (!hasher->Update(buffer.data(), count)) {
                outcome.error = "hashing failed";
                return outcome;
            }
        }
    }
    for (const auto& hasher : hashers) {
        outcome.hex.push_back(hasher->FinishHex());
        if (outcome.hex.back().empty()) {
            outcome.hex.clear();
            outcome.error = "hashing failed";
            break;
        }
    }
    return outcome;
}

}  // namespace

std::vector<HashOutcome> HashFiles(const FileSystem& fs, const std::vector<HashRequest>& requests, unsigned threads)
{
    std::vector<std::size_t> order(requests.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return requests[a].size > requests[b].size; });

    std::vector<HashOutcome> outcomes(requests.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        std::vector<char> buffer(kChunk);
        for (std::size_t at = next++; at < order.size(); at = next++) {
            outcomes[order[at]] = HashOne(fs, requests[order[at]], buffer);
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
