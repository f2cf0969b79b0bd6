// Faults a test can switch on to make the camera misbehave, written as a
// comma-separated list such as "no_camera,fail=3/10,delay_ms=50".
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace nvusb_sim {

struct Faults {
    bool noCamera = false;
    bool connectRefused = false;
    std::set<int> failingCommands;
    std::optional<int> failAfter;       // transfers after the K-th of the process fail
    std::optional<int> signInVerdict;   // replaces the password check
    std::optional<int> formatVerdict;   // replaces the state's format verdict
    int delayMs = 0;

    bool operator==(const Faults& other) const;
};

// Parses `text`; each item it cannot read is skipped and described in `problems`.
Faults parseFaults(const std::string& text, std::vector<std::string>& problems);
std::string formatFaults(const Faults& faults);
// `preferred` wins wherever both set a value; switches and failing commands add up.
Faults mergeFaults(const Faults& base, const Faults& preferred);

}  // namespace nvusb_sim
