// Paths on Windows: UTF-8 in the program, UTF-16 at the system, and the
// \\?\ prefix that lifts the 260-character limit and keeps every name
// exactly as written (no trailing dot or space stripped). Every file the
// tools open on Windows goes through LongPath.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The full path with the \\?\ (or \\?\UNC\) prefix. Only a relative path's
// start comes from the system's current folders; "." and ".." are resolved
// here and every other name is kept as it is.
std::wstring LongPath(const std::string& path);
// A long path as the user would write it.
std::string DisplayPath(const std::wstring& path);
// Length of the part of a long path that is never created: "\\?\C:\" or
// "\\?\UNC\server\share\".
std::size_t RootLength(const std::wstring& path);

}  // namespace platform
