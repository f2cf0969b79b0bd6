#include "CardFolder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

namespace nvusb_sim {

namespace fs = std::filesystem;

namespace {

// Large recordings are written a piece at a time: a 32-bit process could
// not hold a card's worth of bytes.
constexpr std::size_t kWritePiece = 256 * 1024;

std::string failure(const std::string& what, const fs::path& path, const std::error_code& code) {
    return what + " " + path.u8string() + ": " + code.message();
}

// A name beside `card` that no other process building the same card uses.
fs::path temporaryBeside(const fs::path& card) {
    std::random_device device;
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t unique = (static_cast<std::uint64_t>(device()) << 32) ^ ticks;
    return card.parent_path() / (card.filename().u8string() + ".creating-" + std::to_string(unique));
}

// `buffer` holds kWritePiece bytes.
bool writeRecording(const fs::path& path, const CardFile& file, std::vector<std::uint8_t>& buffer,
                    std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    RecordingBytes bytes(file.relativePath);
    for (std::uint64_t left = file.size; left > 0 && out;) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kWritePiece));
        bytes.fill(buffer.data(), piece);
        // piece is at least 1: left > 0 in the loop's condition.
        // cppcheck-suppress invalidFunctionArg
        out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(piece));
        left -= piece;
    }
    if (out) out.close();
    if (out) return true;
    error = "cannot write " + path.u8string() + ": " + std::strerror(errno);
    return false;
}

bool writeCard(const fs::path& folder, const CardLayout& layout, std::string& error) {
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        error = failure("cannot create card", folder, code);
        return false;
    }
    std::vector<std::uint8_t> buffer(kWritePiece);
    for (const CardFile& file : cardFiles(layout)) {
        const fs::path path = folder / fs::u8path(file.relativePath);
        fs::create_directories(path.parent_path(), code);
        if (code) {
            error = failure("cannot create", path.parent_path(), code);
            return false;
        }
        if (!writeRecording(path, file, buffer, error)) return false;
    }
    return true;
}

bool removeContents(const fs::path& card, std::error_code& code) {
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(card, code), end; !code && it != end; it.increment(code))
        entries.push_back(it->path());
    if (code) return false;
    for (const fs::path& entry : entries) {
        fs::remove_all(entry, code);  // a link is removed, never followed
        if (code) return false;
    }
    return true;
}

// A read-only file (a Windows attribute) or folder (POSIX) would survive the
// format; a real card's format removes it all the same.
void makeWritable(const fs::path& card) {
    std::error_code code;
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(card, options, code), end; !code && it != end; it.increment(code)) {
        std::error_code ignored;
        const fs::perms wanted = it->is_directory(ignored) ? fs::perms::owner_all : fs::perms::owner_write;
        fs::permissions(it->path(), wanted, fs::perm_options::add, ignored);
    }
}

}  // namespace

fs::path resolveCardFolder(const std::string& key, const fs::path& stateFile) {
    fs::path card = fs::u8path(key);
    if (card.is_relative()) card = stateFile.parent_path() / card;
    card = card.lexically_normal();
    if (!card.has_filename() && card.has_relative_path()) card = card.parent_path();  // "card/" is "card"
    return card;
}

std::string cardFolderProblem(const fs::path& card, const fs::path& stateFile) {
    std::error_code ignored;
    const fs::path cardPath = fs::absolute(card, ignored).lexically_normal();
    const fs::path statePath = fs::absolute(stateFile, ignored).lexically_normal();
    const fs::path inside = statePath.lexically_relative(cardPath);
    if (inside.empty() || *inside.begin() == "..") return {};
    return "card folder " + card.u8string() + " holds the state file; the card needs a folder of its own";
}

bool createCardIfMissing(const fs::path& card, const CardLayout& layout, std::string& error) {
    std::error_code code;
    const fs::file_status status = fs::status(card, code);
    if (fs::exists(status)) {
        if (fs::is_directory(status)) return true;
        error = "card " + card.u8string() + " is not a folder";
        return false;
    }
    if (status.type() != fs::file_type::not_found) {
        error = failure("cannot look at card", card, code);
        return false;
    }
    const fs::path building = temporaryBeside(card);
    bool made = writeCard(building, layout, error);
    if (made) fs::rename(building, card, code);
    std::error_code ignored;
    if (made && !code) return true;
    fs::remove_all(building, ignored);
    if (made && fs::is_directory(card, ignored)) return true;  // another process made it first
    if (made) error = failure("cannot create card", card, code);
    return false;
}

bool emptyCard(const fs::path& card, std::string& error) {
    std::error_code code;
    const fs::file_status status = fs::status(card, code);
    if (status.type() == fs::file_type::not_found) {
        fs::create_directories(card, code);
        if (code) error = failure("cannot create card", card, code);
        return !code;
    }
    if (!fs::is_directory(status)) {
        error = code ? failure("cannot look at card", card, code) : "card " + card.u8string() + " is not a folder";
        return false;
    }
    if (removeContents(card, code)) return true;
    makeWritable(card);
    if (removeContents(card, code)) return true;
    error = failure("cannot empty card", card, code);
    return false;
}

}  // namespace nvusb_sim
