#include "platform/WindowsPaths.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/CodePages.h"

namespace platform {

namespace {

// The path the system makes of a relative one ("", "\", "D:"), from its
// current folders; empty when it cannot.
std::wstring SystemFullPath(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    }
    if (length == 0 || length >= full.size()) {
        return {};
    }
    full.resize(length);
    return full;
}

// An absolute path ("C:\..." or "\\server\share\...") with "." and ".."
// resolved and every other name kept as it is.
std::wstring Resolved(const std::wstring& absolute)
{
    std::size_t rootEnd = 2;  // "C:"
    if (absolute.compare(0, 2, L"\\\\") == 0) {
        const std::size_t server = absolute.find(L'\\', 2);
        rootEnd = server == std::wstring::npos ? absolute.size() : absolute.find(L'\\', server + 1);
        rootEnd = rootEnd == std::wstring::npos ? absolute.size() : rootEnd;
    }
    std::vector<std::wstring> names;
    for (std::size_t at = rootEnd; at < absolute.size();) {
        std::size_t end = absolute.find(L'\\', at);
        end = end == std::wstring::npos ? absolute.size() : end;
        const std::wstring name = absolute.substr(at, end - at);
        if (name == L"..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else if (!name.empty() && name != L".") {
            names.push_back(name);
        }
        at = end + 1;
    }
    std::wstring resolved = absolute.substr(0, rootEnd);
    for (const std::wstring& name : names) {
        resolved += L"\\" + name;
    }
    return names.empty() && rootEnd == 2 ? resolved + L"\\" : resolved;
}

}  // namespace

std::wstring Wide(const std::string& text)
{
    const WideString wide = DecodeUtf8(text.data(), text.size());
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const std::wstring& text)
{
    return EncodeUtf8(text.data(), text.size());
}

// The full path with the \\?\ (or \\?\UNC\) prefix, which lifts the limit
// of 260 characters. GetFullPathNameW is not applied to the path itself:
// it strips trailing dots and spaces from every name, so that a card's
// "FOO." would open "FOO". Only a relative path's start comes from the
// system; "." and ".." are resolved here and every name kept exactly.
std::wstring LongPath(const std::string& path)
{
    std::wstring wide = Wide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.compare(0, 4, L"\\\\?\\") == 0 || wide.compare(0, 4, L"\\\\.\\") == 0) {
        return wide;
    }
    const bool drive = wide.size() >= 2 && wide[1] == L':';
    if (!(drive && wide.size() >= 3 && wide[2] == L'\\') && wide.compare(0, 2, L"\\\\") != 0) {
        // "D:video" is below D:'s current folder, "\video" at the current
        // drive's root, "video" in the current folder.
        const std::size_t start = drive ? 2 : (!wide.empty() && wide[0] == L'\\') ? 1 : 0;
        const std::wstring base = SystemFullPath(start == 0 ? L"." : wide.substr(0, start));
        if (base.empty()) {
            return wide;
        }
        wide = base + L"\\" + wide.substr(start);
    }
    const std::wstring full = Resolved(wide);
    if (full.compare(0, 2, L"\\\\") == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

std::string DisplayPath(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        return "\\\\" + Narrow(path.substr(8));
    }
    return Narrow(path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path);
}

std::size_t RootLength(const std::wstring& path)
{
    std::size_t start = 4;
    int separators = 1;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        start = 8;
        separators = 2;
    }
    std::size_t at = start;
    for (; separators > 0; --separators) {
        at = path.find(L'\\', at);
        if (at == std::wstring::npos) {
            return path.size();
        }
        ++at;
    }
    return at;
}

}  // namespace platform
