// The folders of one camera in the archive, ARCHIVE/<serial>/: one per
// offload, named by its start as YYYYMMDDTHHMMSSZ (UTC), "-2", "-3" for
// further offloads started in the same second, and ".partial" until the
// folder is a whole bag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace custody {

struct OffloadFolderName {
    std::int64_t started = 0;    // the time in the name
    std::uint32_t sequence = 1;  // 1 without a suffix, then 2, 3, ...
    bool partial = false;

    std::string Text() const;          // with ".partial" when partial
    std::string BagName() const;       // without it
    bool NewerThan(const OffloadFolderName& other) const;
};

// Nothing for a folder of any other name.
std::optional<OffloadFolderName> ParseOffloadFolderName(std::string_view name);

// The newest bag (partial false) or the newest .partial (true) among the
// names of a serial's folder.
std::optional<OffloadFolderName> NewestOffloadFolder(const std::vector<std::string>& names, bool partial);

// A new .partial name for an offload started at `started`, taken neither as
// a bag nor as a .partial.
OffloadFolderName NewPartialFolder(const std::vector<std::string>& names, std::int64_t started);

// A serial number names a folder: no separator, no name Windows reserves
// characters for, not "." or "..".
bool SerialNamesAFolder(std::string_view serial);

}  // namespace custody
