// "Verify archive" at the dock: every bag of the archive (a folder, or a
// prefix in an object store, its objects streamed) checked in full on a
// thread of its own, with what is found so far and how far it has come
// readable at any time, and a stop that takes effect within one block.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Host.h"
#include "station/ArchiveOpen.h"

struct BagCheckLine {
    enum class Result { Valid, Invalid, Unfinished, Unlisted, Stopped };
    std::string path;  // as the operator reads it: a full path, or s3://BUCKET/KEY
    Result result = Result::Valid;
    std::string why;  // invalid or unlisted
};

struct ArchiveCheckState {
    std::vector<BagCheckLine> lines;  // from the line asked for on
    std::size_t bagsDone = 0;
    std::size_t bagsFound = 0;
    std::uint64_t bytesDone = 0;   // of the bag being checked
    std::uint64_t bytesTotal = 0;
    bool done = false;
};

// `path` below `root` as the operator reads it ("SN1\\20261209T080102Z"),
// or `path` itself when it is not below it.
std::string PathBelow(const std::string& root, const std::string& path);

class ArchiveCheck {
public:
    // Starts at once: the archive `name` is opened with `access` (its keys
    // wiped once it is) on the check's thread; one that cannot be opened is
    // a line that cannot be listed. `host` must outlive the check.
    ArchiveCheck(platform::Host& host, std::string name, station::StoreAccess access, unsigned threads);
    ~ArchiveCheck();  // stops the check and waits for its thread
    ArchiveCheck(const ArchiveCheck&) = delete;
    ArchiveCheck& operator=(const ArchiveCheck&) = delete;

    void RequestStop() { stop_ = true; }
    ArchiveCheckState Snapshot(std::size_t fromLine) const;

private:
    void Run(platform::Host& host, const std::string& name, station::StoreAccess& access, unsigned threads);
    void Check(const station::Archive& archive, unsigned threads);
    void Add(BagCheckLine line);

    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    ArchiveCheckState state_;
    std::thread thread_;
};
