// What the simulated camera's card holds when it is first used: videos and
// photos under DCIM/100MEDIA, logs under MISC, each kind a number of files of
// one size. Contents are deterministic (the same bytes for the same name and
// size every time) so a test can check a copy byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvusb_sim {

// A kind of recording: how many files, each of how many bytes.
struct RecordingCount {
    int files = 0;
    std::uint64_t bytesEach = 0;
    bool operator==(const RecordingCount& other) const {
        return files == other.files && bytesEach == other.bytesEach;
    }
};

// File names have four digits, as a camera numbers them.
constexpr int kMaxRecordingsOfAKind = 9999;

struct CardLayout {
    RecordingCount videos{2, 1048576};  // DCIM/100MEDIA/VID_0001.MP4 ...
    RecordingCount photos{2, 204800};   // DCIM/100MEDIA/IMG_0001.JPG ...
    RecordingCount logs{1, 4096};       // MISC/LOG_0001.TXT ...
    bool operator==(const CardLayout& other) const {
        return videos == other.videos && photos == other.photos && logs == other.logs;
    }
};

struct CardFile {
    std::string relativePath;  // '/' between folders
    std::uint64_t size = 0;
};

// Every file of a fresh card, videos first, then photos, then logs.
std::vector<CardFile> cardFiles(const CardLayout& layout);

// "COUNT x BYTES", such as "4 x 209715200"; blanks around 'x' optional.
std::optional<RecordingCount> parseRecordingCount(const std::string& text);
std::string formatRecordingCount(const RecordingCount& count);

// The bytes of one recording, produced in order a piece at a time: a
// counter-based generator (splitmix64) seeded by the file's name, so that
// no two files are alike and none is all zeros.
class RecordingBytes {
public:
    explicit RecordingBytes(const std::string& relativePath);
    // The next `count` bytes of the file.
    void fill(std::uint8_t* buffer, std::size_t count);

private:
    std::uint64_t nextWord();
    std::uint8_t nextByte();

    std::uint64_t counter_;
    std::uint64_t word_ = 0;
    int bytesLeftInWord_ = 0;
};

}  // namespace nvusb_sim
