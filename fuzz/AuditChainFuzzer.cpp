// Any bytes checked as an audit file without reading out of bounds; the
// verdict does not depend on how the file is cut into pieces, and where the
// chain is whole, an appender reading the file's end continues it from the
// same seq and hash.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/AuditChain.h"

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    ChainChecker whole;
    whole.Feed(file);
    const ChainReport once = whole.Finish();

    ChainChecker cut;
    const std::size_t piece = size > 0 ? 1 + data[0] % 13 : 1;
    for (std::size_t at = 0; at < size; at += piece) {
        cut.Feed(file.substr(at, piece));
    }
    const ChainReport inPieces = cut.Finish();
    Require(once.whole == inPieces.whole && once.lines == inPieces.lines && once.brokenAt == inPieces.brokenAt
            && once.why == inPieces.why && once.lastHash == inPieces.lastHash);

    if (once.whole) {
        ChainLink next;
        Require(FindChainEnd(file, true, next) == ChainEnd::Found);
        Require(next.seq == once.lines + 1 && next.prev == once.lastHash);
    }
    return 0;
}
