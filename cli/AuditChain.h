// The chain that makes an audit file tamper-evident. Each line is a JSON
// object that begins with "seq" (1, 2, ... in the file) and "prev": the
// SHA-256, in lowercase hex, of the previous line's bytes without its line
// ending (64 zeros for the first line). A line ending is "\n" or "\r\n".
//
// A file an earlier orvanectl wrote holds audit lines without seq and prev.
// Such lines may only stand before the first chained line, which continues
// them: its seq is its line number and its prev the hash of the line before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the first line's prev is.
extern const char* const kNoPreviousLine;

// No audit line is this long; a longer one is not an audit line.
constexpr std::uint64_t kMaxAuditLineBytes = 1024 * 1024;

// Where an appender continues a file: the next line's seq and prev.
struct ChainLink {
    std::uint64_t seq = 1;
    std::string prev = kNoPreviousLine;
};

enum class ChainEnd {
    Found,       // `link` continues the file
    NeedMore,    // the tail holds no whole last line yet: read more of it
    HalfLine,    // the file ends without a line ending: a write was cut off
    Unchained,   // the last line is an audit line from before the chain:
                 // check the whole file, whose report continues it
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
    std::uint64_t lines = 0;     // whole: the number of lines
    std::uint64_t unchained = 0; // whole: how many of them come before the chain
    std::string lastHash;        // whole: the last line's hash (64 zeros when empty)
    std::uint64_t brokenAt = 0;  // broken: the first line that breaks the chain
    std::string why;             // broken: why it does
};

// Checks an audit file fed in pieces of any size, in order, without
// holding more of it than one line.
class ChainChecker {
public:
    void Feed(std::string_view bytes);
    // After the last piece.
    ChainReport Finish();

private:
    void CheckLine(std::string_view line);
    // Line `number`, whole: the next must follow it.
    void Continue(std::string_view line, std::uint64_t number);
    void Break(const std::string& why);

    ChainReport report_;
    std::string pending_;  // the start of a line whose end has not come yet
    ChainLink expected_;
    bool chained_ = false;  // a chained line has been seen: no unchained one may follow
};
