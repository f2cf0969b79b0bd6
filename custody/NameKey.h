// Names compared as Windows compares them: two names that lead to the same
// file there have the same key. The key is the name in Unicode
// normalization form C, each character in upper case by the simple
// (one-to-one) mapping. Natively libunistring, on Windows the system's
// NormalizeString and LCMapStringEx.
#pragma once

#include <string>
#include <string_view>

namespace custody {

// `name` is UTF-8; a name that cannot be normalized is its own key.
std::string NameKey(std::string_view name);

}  // namespace custody
