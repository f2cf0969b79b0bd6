#include "custody/FileDigest.h"

#include "core/Hash.h"

namespace custody {

DigestOutcome DigestFile(const FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer,
                         const std::function<bool(std::size_t)>& block, FileDigest& digest)
{
    const std::unique_ptr<ReadStream> file = fs.OpenRead(path);
    if (!file) {
        return DigestOutcome::CannotOpen;
    }
    Hasher hasher(HashAlgorithm::Sha256);
    digest = FileDigest();
    for (;;) {
        std::size_t count = 0;
        if (!file->Read(buffer.data(), buffer.size(), count)) {
            return DigestOutcome::ReadError;
        }
        if (count == 0) {
            break;
        }
        if (!hasher.Update(buffer.data(), count)) {
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
