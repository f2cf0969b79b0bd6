#include "CameraFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CameraFiles CameraFiles::ForCurrentTest()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_')
            c = '_';
    fs::path folder = fs::temp_directory_path() / "orvane-e2e" / name;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    CameraFiles files;
    files.m_folder = folder.wstring();
    files.m_statePath = (folder / "camera-state.txt").wstring();
    files.m_logPath = (folder / "camera-log.txt").wstring();
    return files;
}

std::string CameraFiles::StateText() const
{
    return ReadText(m_statePath);
}

void CameraFiles::WriteState(const std::string& text) const
{
    std::ofstream(fs::path(m_statePath), std::ios::binary) << text;
}

std::map<std::string, std::string> CameraFiles::State() const
{
    std::map<std::string, std::string> values;
    for (const auto& line : Lines(StateText())) {
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        values[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
    return values;
}

std::string CameraFiles::StateValue(const std::string& key) const
{
    auto values = State();
    auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

void CameraFiles::SetStateValue(const std::string& key, const std::string& value) const
{
    std::string text;
    for (const auto& line : Lines(StateText())) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && line[0] != '#' && Trim(line.substr(0, equals)) == key)
            continue;
        text += line + "\n";
    }
    text += key + " = " + value + "\n";
    WriteState(text);
}

std::vector<Transfer> CameraFiles::Transfers() const
{
    std::vector<Transfer> transfers;
    for (const auto& line : Lines(ReadText(m_logPath))) {
        std::istringstream fields(line);
        Transfer transfer;
        std::string outcome;
        if (fields >> transfer.direction >> transfer.command >> transfer.length >> transfer.payload >> outcome) {
            transfer.ok = outcome == "ok";
            transfers.push_back(transfer);
        }
    }
    return transfers;
}

std::vector<Transfer> CameraFiles::Transfers(const std::string& direction, int command) const
{
    std::vector<Transfer> matching;
    for (const auto& transfer : Transfers())
        if (transfer.direction == direction && transfer.command == command)
            matching.push_back(transfer);
    return matching;
}

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::string IdentityRecord(const std::string& cameraId, const std::string& userId, const std::string& userName,
                           const std::string& departmentId, const std::string& departmentName)
{
    std::string record(94, '\0');
    record.replace(0, cameraId.size(), cameraId);
    record.replace(8, userId.size(), userId);
    record.replace(15, userName.size(), userName);
    record.replace(48, departmentId.size(), departmentId);
    record.replace(61, departmentName.size(), departmentName);
    return record;
}

} // namespace e2e
