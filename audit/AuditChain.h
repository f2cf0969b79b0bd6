// The chain that makes an audit file tamper-evident. Each line is a JSON
// object that begins with "seq" (1, 2, ... in the file) and "prev": the
// SHA-256, in lowercase hex, of the previous line's bytes without its line
// ending (64 zeros for the first line). A line ending is "\n" or "\r\n".
//
// A file an earlier orvanectl wrote holds audit lines without seq and prev.
// Such lines may only stand before the first chained line, which continues
// them: its seq is its line number, its prev the hash of the line before,
// and its "unchained_before" (right after prev, on that line only) their
// count. So lines stripped of seq and prev do not pass for earlier ones: a
// file of such lines only, or a count that differs, breaks the chain.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

// What the first line's prev is.
extern const char* const kNoPreviousLine;

// No audit line is this long; a longer one is not an audit line.
constexpr std::uint64_t kMaxAuditLineBytes = 1024 * 1024;

// Where an appender continues a file: the next line's seq and prev.
struct ChainLink {
    std::uint64_t seq = 1;
    std::string prev = kNoPreviousLine;
    // Above 0: the next line is the chain's first, after this many lines
    // from before it.
    std::uint64_t unchainedBefore = 0;
};

// The start of the line that `link` continues a file with: seq, prev and,
// where due, unchained_before; the writer adds the line's own keys.
nlohmann::ordered_json ChainedLineStart(const ChainLink& link);

enum class ChainEnd {
    Found,       // `link` continues the file
    NeedMore,    // the tail holds no whole last line yet: read more of it
    HalfLine,    // the file ends without a line ending: a write was cut off
    Unchained,   // the last line is an audit line from before the chain:
                 // check the whole file, and continue it with NextLink
    NotChained,  // the last line is no audit line at all
    NoHash,      // the platform's SHA-256 failed
};

// From the last bytes of an audit file (`tail`; the whole file when
// `wholeFile`): the link that continues it. An empty file is continued with
// seq 1 and 64 zeros.
ChainEnd FindChainEnd(std::string_view tail, bool wholeFile, ChainLink& link);

// The verdict on a whole audit file.
struct ChainReport {
    bool whole = true;
    // Not whole only because no line is chained yet: lines an earlier
    // orvanectl wrote (or lines stripped of seq and prev), which a writer
    // may still continue, saying how many they are.
    bool awaitsChain = false;
    std::uint64_t lines = 0;     // whole or awaiting: the number of lines
    std::uint64_t unchained = 0; // whole or awaiting: how many of them come before the chain
    std::string lastHash;        // whole or awaiting: the last line's hash (64 zeros when empty)
    std::uint64_t brokenAt = 0;  // broken: the first line that breaks the chain
    std::string why;             // broken: why it does
};

// How a writer continues a file whose report is whole or awaits the chain.
ChainLink NextLink(const ChainReport& report);

// Checks an audit file fed in pieces of any size, in order, without
// holding more of it than one line.
class ChainChecker {
public:
    // Each whole line the chain accepts, with its number, without its line
    // ending; for readers that want the lines' contents too.
    using LineReader = std::function<void(std::uint64_t number, std::string_view line)>;

    ChainChecker() = default;
    explicit ChainChecker(LineReader reader) : reader_(std::move(reader)) {}

    void Feed(std::string_view bytes);
    // After the last piece.
    ChainReport Finish();

private:
    void CheckLine(std::string_view line);
    // The first chained line: does it count the lines before it?
    bool CountsUnchained(const nlohmann::json& object);
    // Line `number`, whole: the next must follow it.
    void Continue(std::string_view line, std::uint64_t number);
    void Break(const std::string& why);

    ChainReport report_;
    std::string pending_;  // the start of a line whose end has not come yet
    ChainLink expected_;
    bool chained_ = false;  // a chained line has been seen: no unchained one may follow
    LineReader reader_;
};
