// Names compared as Windows compares them: two names that lead to the same
// file there have the same key. The key is the name in Unicode
// normalization form C, each character in upper case by the simple
// (one-to-one) mapping. Natively libunistring, on Windows the system's
// NormalizeString and LCMapStringEx.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace custody {

// `name` is UTF-8; a name that cannot be normalized is its own key.
std::string NameKey(std::string_view name);

// Whether `name` is one of `names`, compared as Windows compares them.
inline bool IsNameAmong(std::string_view name, const std::vector<std::string>& names)
{
    if (names.empty()) {
        return false;
    }
    const std::string key = NameKey(name);
    return std::any_of(names.begin(), names.end(), [&key](const std::string& other) { return NameKey(other) == key; });
}

}  // namespace custody
