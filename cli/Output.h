// Results on standard output, one line each: a human line, or with --json
// one JSON object. Errors go to standard error.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "telvix/Telvix.h"

class Output {
public:
    explicit Output(bool json) : json_(json) {}

    bool Json() const { return json_; }
    void Result(const nlohmann::ordered_json& object, const std::string& humanLine) const;
    void Error(const std::string& message) const;

private:
    bool json_;
};

// The record's five texts, keyed camera_id, user_id, user_name,
// department_id, department_name.
nlohmann::ordered_json IdentityJson(const IdentityRecord& record);
// The same as one line of key=value pairs, names quoted.
std::string IdentityLine(const IdentityRecord& record);

// One JSON line, with any bytes that are not UTF-8 replaced.
std::string JsonLine(const nlohmann::ordered_json& object);
