// The audit trail: one JSON line per camera operation, appended whole and
// flushed, saying who changed which camera how. Never a password.
#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/Platform.h"

class AuditTrail {
public:
    // No file: recording does nothing.
    AuditTrail() = default;
    // False when the file cannot be opened for appending.
    bool Open(const std::string& path);

    // `details` adds keys such as before and after. False when the line could
    // not be written.
    bool Record(const std::string& serial, const std::string& action, const std::string& outcome,
                const nlohmann::ordered_json& details = nlohmann::ordered_json::object()) const;

private:
    std::unique_ptr<platform::AppendFile> file_;
    std::string computer_;
    std::string user_;
};

// UTC now, as 2026-12-08T09:15:02Z.
std::string UtcTimestamp();
