#include "StateFile.h"

#include "Hex.h"
#include "TextFields.h"

#include <fstream>
#include <sstream>

namespace nvusb_sim {

namespace {

const char kHexPrefix[] = "hex:";

bool isPlainPassword(const std::string& password) {
    if (password.rfind(kHexPrefix, 0) == 0) return false;
    for (char c : password) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || c == '#') return false;
    }
    return true;
}

std::string encodePassword(const std::string& password) {
    if (isPlainPassword(password)) return password;
    return kHexPrefix + toHex(reinterpret_cast<const uint8_t*>(password.data()), password.size());
}

bool decodePassword(const std::string& value, std::string& password) {
    if (value.rfind(kHexPrefix, 0) != 0) {
        if (value.size() > static_cast<size_t>(kMaxPasswordLength)) return false;
        password = value;
        return true;
    }
    const auto bytes = fromHex(value.substr(sizeof kHexPrefix - 1));
    if (!bytes || bytes->size() > static_cast<size_t>(kMaxPasswordLength)) return false;
    password.assign(bytes->begin(), bytes->end());
    return true;
}

template <size_t N>
bool decodeBytes(const std::string& value, std::array<uint8_t, N>& field) {
    const auto bytes = fromHex(value);
    if (!bytes || bytes->size() != N) return false;
    std::copy(bytes->begin(), bytes->end(), field.begin());
    return true;
}

bool decodeInt(const std::string& value, int32_t& field) {
    const std::optional<int> number = parseInt(value);
    if (!number) return false;
    field = *number;
    return true;
}

bool decodeCount(const std::string& value, int& field) {
    const std::optional<int> number = parseInt(value);
    if (!number || *number < 0) return false;
    field = *number;
    return true;
}

bool decodeFlag(const std::string& value, bool& field) {
    if (value != "0" && value != "1") return false;
    field = value == "1";
    return true;
}

bool decodeText(const std::string& value, std::string& field) {
    if (value.empty()) return false;
    field = value;
    return true;
}

bool decodeRecordings(const std::string& value, RecordingCount& field) {
    const std::optional<RecordingCount> count = parseRecordingCount(value);
    if (!count) return false;
    field = *count;
    return true;
}

bool decodeClock(const std::string& value, std::optional<ClockFields>& clock) {
    std::istringstream in(value);
    ClockFields fields{};
    for (int32_t& field : fields) {
        std::string word;
        if (!(in >> word)) return false;
        const std::optional<int> number = parseInt(word);
        if (!number) return false;
        field = *number;
    }
    std::string extra;
    if (in >> extra) return false;
    clock = fields;
    return true;
}

// Applies one key; an empty result means it was read, otherwise it says why not.
std::string applyKey(CameraState& state, const std::string& key, const std::string& value) {
    bool ok = false;
    if (key == "present") {
        ok = decodeFlag(value, state.present);
    } else if (key == "admin_password") {
        ok = decodePassword(value, state.adminPassword);
    } else if (key == "user_password") {
        ok = decodePassword(value, state.userPassword);
    } else if (key == "identity") {
        ok = decodeBytes(value, state.identity);
    } else if (key == "serial_number") {
        ok = decodeBytes(value, state.serialNumber);
    } else if (key == "video_width") {
        ok = decodeInt(value, state.videoWidth);
    } else if (key == "video_height") {
        ok = decodeInt(value, state.videoHeight);
    } else if (key == "battery") {
        ok = decodeInt(value, state.battery);
    } else if (key == "format_verdict") {
        ok = decodeInt(value, state.formatVerdict);
    } else if (key == "format_count") {
        ok = decodeCount(value, state.formatCount);
    } else if (key == "storage_mode") {
        ok = decodeFlag(value, state.storageMode);
    } else if (key == "storage_mode_count") {
        ok = decodeCount(value, state.storageModeCount);
    } else if (key == "clock") {
        ok = decodeClock(value, state.clock);
    } else if (key == "clock_text") {
        ok = true;  // written for the reader only; "clock" is what counts
    } else if (key == "card") {
        ok = decodeText(value, state.card);
    } else if (key == "card_videos") {
        ok = decodeRecordings(value, state.cardLayout.videos);
    } else if (key == "card_photos") {
        ok = decodeRecordings(value, state.cardLayout.photos);
    } else if (key == "card_logs") {
        ok = decodeRecordings(value, state.cardLayout.logs);
    } else if (key == "faults") {
        std::vector<std::string> problems;
        state.faults = parseFaults(value, problems);
        return problems.empty() ? std::string() : problems.front();
    } else {
        return "unknown key '" + key + "'";
    }
    return ok ? std::string() : "bad value for '" + key + "'";
}

}  // namespace

StateFileContents parseStateText(const std::string& text, const std::string& fileName, const CameraState& defaults) {
    StateFileContents contents{defaults, {}};
    std::istringstream in(text);
    std::string rawLine;
    for (int lineNumber = 1; std::getline(in, rawLine); ++lineNumber) {
        const std::string line = trimText(rawLine);
        if (line.empty() || line[0] == '#') continue;
        const std::string where = fileName + ":" + std::to_string(lineNumber) + ": ";
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            contents.problems.push_back(where + "expected 'key = value'");
            continue;
        }
        const std::string problem =
            applyKey(contents.state, trimText(line.substr(0, equals)), trimText(line.substr(equals + 1)));
        if (!problem.empty()) contents.problems.push_back(where + problem);
    }
    return contents;
}

StateFileContents readStateFile(const std::filesystem::path& file, const CameraState& defaults) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {defaults, {}};
    std::ostringstream text;
    text << in.rdbuf();
    return parseStateText(text.str(), file.u8string(), defaults);
}

std::string formatStateText(const CameraState& state) {
    std::ostringstream out;
    out << "# Simulated camera state; edit freely between calls. Binary fields are hex.\n";
    out << "present = " << (state.present ? 1 : 0) << "\n";
    out << "admin_password = " << encodePassword(state.adminPassword) << "\n";
    out << "user_password = " << encodePassword(state.userPassword) << "\n";
    out << "identity = " << toHex(state.identity.data(), state.identity.size()) << "\n";
    out << "serial_number = " << toHex(state.serialNumber.data(), state.serialNumber.size()) << "\n";
    out << "video_width = " << state.videoWidth << "\n";
    out << "video_height = " << state.videoHeight << "\n";
    out << "battery = " << state.battery << "\n";
    out << "format_verdict = " << state.formatVerdict << "\n";
    out << "format_count = " << state.formatCount << "\n";
    out << "storage_mode_count = " << state.storageModeCount << "\n";
    if (state.storageMode) out << "storage_mode = 1\n";
    if (state.clock) {
        out << "clock =";
        for (int32_t field : *state.clock) out << " " << field;
        out << "\n";
        out << "clock_text = " << formatClock(*state.clock) << "\n";
    }
    out << "card = " << state.card << "\n";
    out << "card_videos = " << formatRecordingCount(state.cardLayout.videos) << "\n";
    out << "card_photos = " << formatRecordingCount(state.cardLayout.photos) << "\n";
    out << "card_logs = " << formatRecordingCount(state.cardLayout.logs) << "\n";
    out << "faults = " << formatFaults(state.faults) << "\n";
    return out.str();
}

bool writeStateFile(const std::filesystem::path& file, const CameraState& state, std::string& error,
                    StateWrite how) {
    std::filesystem::path written = file;
    if (how == StateWrite::Replace) written += ".writing";  // no .txt ending: never taken for a camera of a dock
    std::ofstream out(written, std::ios::binary | std::ios::trunc);
    if (out) out << formatStateText(state);
    if (out) out.close();
    std::error_code renameError;
    if (out && how == StateWrite::Replace) std::filesystem::rename(written, file, renameError);
    if (out && !renameError) return true;
    if (how == StateWrite::Replace) std::filesystem::remove(written, renameError);
    error = "cannot write state file " + file.u8string();
    return false;
}

}  // namespace nvusb_sim
