// Whether a folder will do as an archive, found out before any camera is
// touched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"

// Empty when `archive` is an existing folder; otherwise why not.
std::string ArchiveFolderProblem(const custody::FileSystem& fs, const std::string& archive);

// Empty when the tool can keep its bags in `archive`: an existing folder in
// which it could create a folder. It tries, under a name made from `nonce`
// that is not taken, and removes that folder again with `removeFolder`.
std::string ArchiveProblem(custody::FileSystem& fs, const std::string& archive, std::uint64_t nonce,
                           const std::function<bool(const std::string&)>& removeFolder);
