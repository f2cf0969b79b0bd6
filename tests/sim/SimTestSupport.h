// Helpers shared by the simulated camera's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace sim_test {

inline std::vector<uint8_t> intBytes(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

inline int32_t intAt(const std::vector<uint8_t>& bytes, size_t offset = 0) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) value = (value << 8) | bytes[offset + i];
    return static_cast<int32_t>(value);
}

// Like a caller's empty text, an empty payload still has an address.
inline const uint8_t* nonNullData(const std::vector<uint8_t>& bytes) {
    static const uint8_t kNothing = 0;
    return bytes.empty() ? &kNothing : bytes.data();
}

inline std::vector<uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

inline std::vector<std::string> fileLines(const std::filesystem::path& file) {
    std::istringstream in(readFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A fresh folder of its own for each test, removed afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name) {
        // Test processes may run side by side: a random part keeps them apart.
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("nvusb-sim-test-" + name + "-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace sim_test
