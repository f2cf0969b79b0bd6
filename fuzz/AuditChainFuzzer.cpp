// Any bytes checked as an audit file without reading out of bounds; the
// verdict does not depend on how the file is cut into pieces, and where the
// chain is whole or has yet to begin, an appender reading the file's end
// continues it from the same seq and hash, and its line keeps the chain
// whole.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "audit/AuditChain.h"

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
            && once.why == inPieces.why && once.lastHash == inPieces.lastHash && once.unchained == inPieces.unchained
            && once.awaitsChain == inPieces.awaitsChain);

    if (once.whole || once.awaitsChain) {
        // Its end says whether the chain has begun, and the appender
        // continues from the checker's report (a file of lines from before
        // the chain only: from the same hash).
        ChainLink next;
        const ChainEnd end = FindChainEnd(file, true, next);
        const ChainLink due = NextLink(once);
        Require(end == (once.awaitsChain ? ChainEnd::Unchained : ChainEnd::Found));
        Require(next.prev == due.prev && (once.awaitsChain || next.seq == due.seq));

        // The line it appends leaves the chain whole, counting the lines before it.
        ChainChecker appended;
        appended.Feed(file);
        appended.Feed(ChainedLineStart(due).dump() + "\n");
        const ChainReport after = appended.Finish();
        Require(after.whole && after.lines == once.lines + 1 && after.unchained == once.unchained);
    }
    return 0;
}
