// The simulated camera as the tests see it: a scratch folder per test with
// the camera's state file, which a test may edit while the program runs, and
// its transfer log, which says what reached the camera.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

// One line of the transfer log: "<send|receive> <command> <length> <hex or -> <ok|failed>".
struct Transfer {
    std::string direction;
    int command = -1;
    int length = -1;
    std::string payload; // hex, "-" for none
    bool ok = false;
};

class CameraFiles {
public:
    // A fresh, empty folder named after the running test.
    static CameraFiles ForCurrentTest();

    const std::wstring& folder() const { return m_folder; }
    const std::wstring& statePath() const { return m_statePath; }
    const std::wstring& logPath() const { return m_logPath; }
    void SetStatePath(const std::wstring& path) { m_statePath = path; }

    std::string StateText() const;
    void WriteState(const std::string& text) const;
    // The state file's `key = value` pairs.
    std::map<std::string, std::string> State() const;
    std::string StateValue(const std::string& key) const;
    // Sets one key, keeping the other lines of the file.
    void SetStateValue(const std::string& key, const std::string& value) const;

    std::vector<Transfer> Transfers() const;
    // Transfers of `command` in `direction` ("send" or "receive").
    std::vector<Transfer> Transfers(const std::string& direction, int command) const;

private:
    std::wstring m_folder;
    std::wstring m_statePath;
    std::wstring m_logPath;
};

// Lower-case hex of text bytes, as the log and the state file write them.
std::string Hex(const std::string& bytes);
// The 94-byte identity record with each field's text at its offset.
std::string IdentityRecord(const std::string& cameraId, const std::string& userId, const std::string& userName,
                           const std::string& departmentId, const std::string& departmentName);

} // namespace e2e
