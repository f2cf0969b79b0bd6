// Files written and read whole through the custody code's file system, for
// tests that lay out cards, bags and archives.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// A new file below `root` ('/'-separated `relative`), its folders made.
inline bool WriteTreeFile(custody::FileSystem& fs, const std::string& root, const std::string& relative,
                          const std::string& bytes)
{
    const std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos && !fs.CreateFolders(fs.Join(root, relative.substr(0, slash)))) {
        return false;
    }
    auto file = fs.CreateNew(fs.Join(root, relative));
    return file && file->Write(bytes.data(), bytes.size());
}

// The whole file; empty when it cannot be read.
inline std::string ReadTreeFile(const custody::FileSystem& fs, const std::string& path)
{
    auto file = fs.OpenRead(path);
    std::string bytes;
    std::vector<char> block(64 * 1024);
    std::size_t count = 0;
    while (file && file->Read(block.data(), block.size(), count) && count > 0) {
        bytes.append(block.data(), count);
    }
    return bytes;
}

// Every file below `root` with its size; empty when it cannot be listed.
inline std::map<std::string, std::uint64_t> ListTree(const custody::FileSystem& fs, const std::string& root)
{
    std::vector<custody::FileEntry> files;
    std::string error;
    fs.ListFiles(root, files, error);
    std::map<std::string, std::uint64_t> sizes;
    for (const custody::FileEntry& file : files) {
        sizes[file.relativePath] = file.size;
    }
    return sizes;
}
