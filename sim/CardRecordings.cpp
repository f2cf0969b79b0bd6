#include "CardRecordings.h"

#include "TextFields.h"

#include <cstdio>

namespace nvusb_sim {

namespace {

std::string numbered(const char* folderAndPrefix, int number, const char* extension) {
    char name[64];
    (void)std::snprintf(name, sizeof name, "%s_%04d.%s", folderAndPrefix, number, extension);
    return name;
}

void addFiles(std::vector<CardFile>& files, const RecordingCount& count, const char* folderAndPrefix,
              const char* extension) {
    for (int number = 1; number <= count.files; ++number)
        files.push_back({numbered(folderAndPrefix, number, extension), count.bytesEach});
}

// FNV-1a: spreads the name over the generator's starting point.
std::uint64_t nameSeed(const std::string& text) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

}  // namespace

std::vector<CardFile> cardFiles(const CardLayout& layout) {
    std::vector<CardFile> files;
    addFiles(files, layout.videos, "DCIM/100MEDIA/VID", "MP4");
    addFiles(files, layout.photos, "DCIM/100MEDIA/IMG", "JPG");
    addFiles(files, layout.logs, "MISC/LOG", "TXT");
    return files;
}

std::optional<RecordingCount> parseRecordingCount(const std::string& text) {
    const std::vector<std::string> parts = splitText(text, 'x');
    if (parts.size() != 2) return std::nullopt;
    const std::optional<int> files = parseInt(parts[0]);
    const std::optional<std::uint64_t> bytes = parseUint64(parts[1]);
    if (!files || *files < 0 || *files > kMaxRecordingsOfAKind || !bytes) return std::nullopt;
    return RecordingCount{*files, *bytes};
}

std::string formatRecordingCount(const RecordingCount& count) {
    return std::to_string(count.files) + " x " + std::to_string(count.bytesEach);
}

RecordingBytes::RecordingBytes(const std::string& relativePath) : counter_(nameSeed(relativePath)) {}

std::uint64_t RecordingBytes::nextWord() {
    std::uint64_t z = (counter_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Bytes leave each word low byte first, the same on every host.
std::uint8_t RecordingBytes::nextByte() {
    if (bytesLeftInWord_ == 0) {
        word_ = nextWord();
        bytesLeftInWord_ = 8;
    }
    const auto byte = static_cast<std::uint8_t>(word_);
    word_ >>= 8;
    --bytesLeftInWord_;
    return byte;
}

void RecordingBytes::fill(std::uint8_t* buffer, std::size_t count) {
    std::size_t i = 0;
    for (; i < count && bytesLeftInWord_ > 0; ++i) buffer[i] = nextByte();
    for (; count - i >= 8; i += 8) {  // whole words: the same bytes, faster
        const std::uint64_t word = nextWord();
        for (int b = 0; b < 8; ++b) buffer[i + b] = static_cast<std::uint8_t>(word >> (8 * b));
    }
    for (; i < count; ++i) buffer[i] = nextByte();
}

}  // namespace nvusb_sim
