#include "cli/AuditTrail.h"

#include <ctime>

#include "cli/Output.h"

bool AuditTrail::Open(const std::string& path)
{
    file_ = platform::OpenAppendFile(path);
    computer_ = platform::ComputerName();
    user_ = platform::UserName();
    return file_ != nullptr;
}

bool AuditTrail::Record(const std::string& serial, const std::string& action, const std::string& outcome,
                        const nlohmann::ordered_json& details) const
{
    if (!file_) {
        return true;
    }
    nlohmann::ordered_json line = {{"time", UtcTimestamp()},
                           {"computer", computer_},
                           {"user", user_},
                           {"tool", "orvanectl " ORVANE_VERSION},
                           {"serial", serial},
                           {"action", action},
                           {"outcome", outcome}};
    line.update(details);
    return file_->Append(JsonLine(line));
}

std::string UtcTimestamp()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    const std::tm* utc = std::gmtime(&now);
    if (utc == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc) == 0) {
        return "";
    }
    return text;
}
