// Results on standard output, one line each: a human line, or with --json
// one JSON object. Errors go to standard error. A human line and an error
// show their control characters escaped, whatever the camera or a file put
// into them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "audit/JsonLine.h"
#include "cli/Console.h"

class Output {
public:
    explicit Output(bool json) : json_(json) {}

    void Result(const nlohmann::ordered_json& object, const std::string& humanLine) const;
    void Error(const std::string& message) const;

private:
    bool json_;
};

// A message on standard error, as Output::Error writes it, for where there
// is no Output yet.
void WriteErrorLine(const std::string& message);

// Why the `what` (such as "fleet file") at `path` could not be read.
std::string ReadProblem(platform::FileRead problem, const std::string& what, const std::string& path);
