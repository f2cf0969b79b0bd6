// Paths as bags write them: relative to the bag, '/' between folders, and
// '%', CR and LF percent-encoded. A path from a bag's files is checked
// before it is used, so that none leads outside the bag.
#pragma once

#include <string>
#include <string_view>

namespace custody {

// '%' as %25, CR as %0D, LF as %0A; nothing else is encoded.
std::string EncodeBagPath(std::string_view path);
// The reverse: %25, %0D and %0A (either case of hex digits) decoded; any
// other '%' stays as it is, since nothing else is ever encoded.
std::string DecodeBagPath(std::string_view path);

// Empty when `path` names a file inside the bag; otherwise why not ("leads
// outside the bag (..)", "is absolute", ...).
std::string PathProblem(std::string_view path);

// True when `path` is below the payload folder ("data/...", the name
// compared as Windows compares it).
bool IsPayloadPath(std::string_view path);

}  // namespace custody
