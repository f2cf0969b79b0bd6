// One JSON object as one line of text, as the audit trail appends it and
// orvanectl --json prints it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

// With any bytes that are not UTF-8 replaced, and the line ending.
std::string JsonLine(const nlohmann::ordered_json& object);
