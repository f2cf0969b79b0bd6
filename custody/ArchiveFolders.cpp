#include "custody/ArchiveFolders.h"

#include "platform/UtcTime.h"

namespace custody {

namespace {

constexpr std::string_view kPartialSuffix = ".partial";
constexpr std::size_t kTimeLength = 16;  // YYYYMMDDTHHMMSSZ

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// "2", "3", ... without a leading zero, so that each sequence has one name.
bool ParseSequence(std::string_view digits, std::uint32_t& sequence)
{
    if (digits.empty() || digits.size() > 9 || digits[0] == '0') {
        return false;
    }
    sequence = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        sequence = sequence * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return sequence >= 2;
}

}  // namespace

std::string OffloadFolderName::BagName() const
{
    std::string name = UtcCompact(started);
    if (sequence > 1) {
        name += "-" + std::to_string(sequence);
    }
    return name;
}

std::string OffloadFolderName::Text() const
{
    return partial ? BagName() + std::string(kPartialSuffix) : BagName();
}

bool OffloadFolderName::NewerThan(const OffloadFolderName& other) const
{
    return started != other.started ? started > other.started : sequence > other.sequence;
}

std::optional<OffloadFolderName> ParseOffloadFolderName(std::string_view name)
{
    OffloadFolderName parsed;
    if (EndsWith(name, kPartialSuffix)) {
        parsed.partial = true;
        name.remove_suffix(kPartialSuffix.size());
    }
    if (name.size() < kTimeLength || !ParseUtcCompact(name.substr(0, kTimeLength), parsed.started)) {
        return std::nullopt;
    }
    const std::string_view suffix = name.substr(kTimeLength);
    if (!suffix.empty() && (suffix[0] != '-' || !ParseSequence(suffix.substr(1), parsed.sequence))) {
        return std::nullopt;
    }
    return parsed;
}

std::optional<OffloadFolderName> NewestOffloadFolder(const std::vector<std::string>& names, bool partial)
{
    std::optional<OffloadFolderName> newest;
    for (const std::string& name : names) {
        const std::optional<OffloadFolderName> parsed = ParseOffloadFolderName(name);
        if (parsed && parsed->partial == partial && (!newest || parsed->NewerThan(*newest))) {
            newest = parsed;
        }
    }
    return newest;
}

OffloadFolderName NewPartialFolder(const std::vector<std::string>& names, std::int64_t started)
{
    OffloadFolderName folder;
    folder.started = started;
    folder.partial = true;
    for (const std::string& name : names) {
        const std::optional<OffloadFolderName> taken = ParseOffloadFolderName(name);
        if (taken && taken->started == started && taken->sequence >= folder.sequence) {
            folder.sequence = taken->sequence + 1;
        }
    }
    return folder;
}

bool SerialNamesAFolder(std::string_view serial)
{
    if (serial.empty() || serial == "." || serial == "..") {
        return false;
    }
    for (char c : serial) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return serial.back() != '.' && serial.back() != ' ';
}

}  // namespace custody
