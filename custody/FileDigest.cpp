#include "custody/FileDigest.h"

#include <memory>
#include <utility>

#include "core/Hash.h"

namespace custody {

namespace {

// The largest part of `buffer` that starts and ends on a disk block's
// boundary; empty when there is none.
std::pair<unsigned char*, std::size_t> DiskAlignedPart(std::vector<unsigned char>& buffer)
{
    void* start = buffer.data();
    std::size_t space = buffer.size();
    if (std::align(kDiskBlockSize, kDiskBlockSize, start, space) == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<unsigned char*>(start), space - space % kDiskBlockSize};
}

}  // namespace

DigestOutcome DigestFile(const FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer,
                         const std::function<bool(std::size_t)>& block, FileDigest& digest, ReadFrom from)
{
    const auto [bytes, capacity] =
        from == ReadFrom::Disk ? DiskAlignedPart(buffer) : std::make_pair(buffer.data(), buffer.size());
    const std::unique_ptr<ReadStream> file = from == ReadFrom::Disk ? fs.OpenReadFromDisk(path) : fs.OpenRead(path);
    if (!file) {
        return DigestOutcome::CannotOpen;
    }
    if (capacity == 0) {
        return DigestOutcome::ReadError;  // a read of nothing would look like the end
    }
    Hasher hasher(HashAlgorithm::Sha256);
    digest = FileDigest();
    for (;;) {
        std::size_t count = 0;
        if (!file->Read(bytes, capacity, count)) {
            return DigestOutcome::ReadError;
        }
        if (count == 0) {
            break;
        }
        if (!hasher.Update(bytes, count)) {
            return DigestOutcome::HashFailed;
        }
        digest.size += count;
        if (block && !block(count)) {
            return DigestOutcome::Stopped;
        }
    }
    digest.sha256 = hasher.FinishHex();
    return digest.sha256.empty() ? DigestOutcome::HashFailed : DigestOutcome::Done;
}

}  // namespace custody
