#include "audit/AuditChain.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "core/Hash.h"

const char* const kNoPreviousLine = "0000000000000000000000000000000000000000000000000000000000000000";

namespace {

using json = nlohmann::json;

const char* const kUnchainedBeforeKey = "unchained_before";

std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool IsDigestHex(const std::string& text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The line as a JSON object; discarded when it is none.
json ParseObject(std::string_view line)
{
    json object = json::parse(line.begin(), line.end(), nullptr, false);
    return object.is_object() ? object : json(json::value_t::discarded);
}

bool ReadSeq(const json& object, std::uint64_t& seq)
{
    const auto found = object.find("seq");
    if (found == object.end() || !found->is_number_unsigned()) {
        return false;
    }
    seq = found->get<std::uint64_t>();
    return seq >= 1;
}

bool ReadPrev(const json& object, std::string& prev)
{
    const auto found = object.find("prev");
    if (found == object.end() || !found->is_string()) {
        return false;
    }
    prev = found->get<std::string>();
    return IsDigestHex(prev);
}

// An audit line of an earlier orvanectl: an object with neither key.
bool IsUnchainedLine(const json& object)
{
    return object.is_object() && !object.contains("seq") && !object.contains("prev");
}

}  // namespace

nlohmann::ordered_json ChainedLineStart(const ChainLink& link)
{
    nlohmann::ordered_json start = {{"seq", link.seq}, {"prev", link.prev}};
    if (link.unchainedBefore > 0) {
        start[kUnchainedBeforeKey] = link.unchainedBefore;
    }
    return start;
}

ChainLink NextLink(const ChainReport& report)
{
    ChainLink link;
    link.seq = report.lines + 1;
    link.prev = report.lastHash;
    link.unchainedBefore = report.awaitsChain ? report.lines : 0;
    return link;
}

ChainEnd FindChainEnd(std::string_view tail, bool wholeFile, ChainLink& link)
{
    if (tail.empty()) {
        link = ChainLink();
        return wholeFile ? ChainEnd::Found : ChainEnd::NeedMore;
    }
    if (tail.back() != '\n') {
        return ChainEnd::HalfLine;
    }
    tail.remove_suffix(1);
    const std::size_t newline = tail.rfind('\n');
    if (newline == std::string_view::npos && !wholeFile) {
        return ChainEnd::NeedMore;
    }
    const std::string_view last =
        WithoutCarriageReturn(newline == std::string_view::npos ? tail : tail.substr(newline + 1));
    const json object = ParseObject(last);
    std::uint64_t seq = 0;
    const bool chained = ReadSeq(object, seq) && seq != std::numeric_limits<std::uint64_t>::max();
    if (!chained && !IsUnchainedLine(object)) {
        return ChainEnd::NotChained;
    }
    link.seq = seq + 1;
    link.unchainedBefore = 0;
    link.prev = HashHex(HashAlgorithm::Sha256, last);
    if (link.prev.empty()) {
        return ChainEnd::NoHash;
    }
    return chained ? ChainEnd::Found : ChainEnd::Unchained;
}

void ChainChecker::Feed(std::string_view bytes)
{
    while (report_.whole && !bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        if (newline == std::string_view::npos) {
            if (pending_.size() + bytes.size() > kMaxAuditLineBytes) {
                Break("longer than any audit line (over 1 MiB without a line ending)");
                return;
            }
            pending_.append(bytes);
            return;
        }
        if (pending_.empty()) {
            CheckLine(bytes.substr(0, newline));
        } else {
            pending_.append(bytes.substr(0, newline));
            CheckLine(pending_);
            pending_.clear();
        }
        bytes.remove_prefix(newline + 1);
    }
}

ChainReport ChainChecker::Finish()
{
    if (report_.whole && !pending_.empty()) {
        Break("half a line: the file ends without a line ending (a write was cut off)");
    }
    if (report_.whole && report_.lines > 0 && !chained_) {
        report_.whole = false;
        report_.awaitsChain = true;
        report_.brokenAt = 1;
        report_.why = (report_.lines == 1 ? std::string("its one line is not")
                                          : "none of its " + std::to_string(report_.lines) + " lines is")
                      + " chained (no seq and prev): stripped, or written before the chain and not continued since";
    }
    if (report_.whole || report_.awaitsChain) {
        report_.lastHash = expected_.prev;
    }
    return report_;
}

void ChainChecker::CheckLine(std::string_view line)
{
    line = WithoutCarriageReturn(line);
    const json object = ParseObject(line);
    if (object.is_discarded()) {
        return Break("not a JSON object");
    }
    if (!chained_ && IsUnchainedLine(object)) {
        return Continue(line, report_.lines + 1);
    }
    std::uint64_t seq = 0;
    if (!ReadSeq(object, seq)) {
        return Break("no seq (a number from 1)");
    }
    const std::string due = " where " + std::to_string(expected_.seq) + " is due";
    if (seq > expected_.seq) {
        return Break("seq is " + std::to_string(seq) + due + ": a line before it was removed or moved");
    }
    if (seq < expected_.seq) {
        return Break("seq is " + std::to_string(seq) + due + ": a line was inserted or moved");
    }
    std::string prev;
    if (!ReadPrev(object, prev)) {
        return Break("no prev (64 lowercase hex digits)");
    }
    if (prev != expected_.prev) {
        return Break(seq == 1 ? "prev is not 64 zeros, as the first line's must be: the line was edited"
                              : "prev is not the hash of line " + std::to_string(seq - 1)
                                    + ": that line was edited, or this one was moved");
    }
    if (!CountsUnchained(object)) {
        return;
    }
    chained_ = true;
    Continue(line, seq);
}

bool ChainChecker::CountsUnchained(const json& object)
{
    const auto found = object.find(kUnchainedBeforeKey);
    const bool counted = found != object.end();
    if (chained_) {
        if (counted) {
            Break("unchained_before on a line after the chain's first");
        }
        return !counted;
    }
    const std::string before = std::to_string(report_.unchained) + " lines stand before the chain";
    if (!counted && report_.unchained > 0) {
        Break("no unchained_before, though " + before
              + ": seq and prev were stripped from them, or an older orvanectl continued them");
        return false;
    }
    if (counted && !found->is_number_unsigned()) {
        Break("unchained_before is not a count of lines");
        return false;
    }
    if (counted && found->get<std::uint64_t>() != report_.unchained) {
        Break("unchained_before is " + std::to_string(found->get<std::uint64_t>()) + " where " + before
              + ": lines before it were removed, added, or stripped of seq and prev");
        return false;
    }
    return true;
}

void ChainChecker::Continue(std::string_view line, std::uint64_t number)
{
    const std::string hash = HashHex(HashAlgorithm::Sha256, line);
    if (hash.empty()) {
        return Break("the platform's SHA-256 failed");
    }
    report_.lines = number;
    report_.unchained += chained_ ? 0 : 1;
    expected_.seq = number + 1;
    expected_.prev = hash;
    if (reader_) {
        reader_(number, line);
    }
}

void ChainChecker::Break(const std::string& why)
{
    report_.whole = false;
    report_.brokenAt = report_.lines + 1;
    report_.why = why;
}
