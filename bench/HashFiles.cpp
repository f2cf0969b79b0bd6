// The baseline of the offload figures: one SHA-256 pass over files, on one
// core, through the product's own hashing (CNG on Windows, libcrypto
// natively) and file system. Prints "<sha256>  <path>" per file, as
// sha256sum does.
//   hash_files PATH...   a file, or a folder and every file below it
// Paths are taken as UTF-8 (the benchmark's are ASCII).
#include "core/Hash.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Large enough that the per-read cost vanishes, small enough for any process.
constexpr std::size_t kReadPiece = 1024 * 1024;

bool HashFile(const custody::FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer)
{
    const auto stream = fs.OpenRead(path);
    Hasher hasher(HashAlgorithm::Sha256);
    if (!stream || !hasher.Ok()) return false;
    std::size_t count = 0;
    do {
        if (!stream->Read(buffer.data(), buffer.size(), count) || !hasher.Update(buffer.data(), count)) return false;
    } while (count > 0);
    const std::string digest = hasher.FinishHex();
    if (digest.empty()) return false;
    std::printf("%s  %s\n", digest.c_str(), path.c_str());
    return true;
}

bool HashPath(const custody::FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer)
{
    if (!fs.IsFolder(path)) return HashFile(fs, path, buffer);
    std::vector<custody::FileEntry> files;
    std::string error;
    if (!fs.ListFiles(path, files, error)) {
        std::fprintf(stderr, "hash_files: %s\n", error.c_str());
        return false;
    }
    for (const custody::FileEntry& file : files)
        if (!HashFile(fs, fs.Join(path, file.relativePath), buffer)) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: hash_files PATH...\n");
        return 2;
    }
    custody::FileSystem& fs = custody::LocalFileSystem();
    std::vector<unsigned char> buffer(kReadPiece);
    for (int i = 1; i < argc; ++i) {
        if (!HashPath(fs, argv[i], buffer)) {
            std::fprintf(stderr, "hash_files: cannot hash %s %s\n", argv[i], fs.LastError().c_str());
            return 1;
        }
    }
    return 0;
}
