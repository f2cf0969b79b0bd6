#include "Faults.h"

#include "TextFields.h"

#include <sstream>

namespace nvusb_sim {

namespace {

bool parseCommandList(const std::string& text, std::set<int>& commands) {
    std::set<int> parsed;
    for (const std::string& item : splitText(text, '/')) {
        const std::optional<int> command = parseInt(item);
        if (!command) return false;
        parsed.insert(*command);
    }
    if (parsed.empty()) return false;
    commands.insert(parsed.begin(), parsed.end());
    return true;
}

bool applyValuedFault(Faults& faults, const std::string& name, const std::string& value) {
    if (name == "fail") return parseCommandList(value, faults.failingCommands);
    const std::optional<int> number = parseInt(value);
    if (!number) return false;
    if (name == "fail_after" && *number >= 0) {
        faults.failAfter = *number;
    } else if (name == "verdict") {
        faults.signInVerdict = *number;
    } else if (name == "format_verdict") {
        faults.formatVerdict = *number;
    } else if (name == "delay_ms" && *number >= 0) {
        faults.delayMs = *number;
    } else {
        return false;
    }
    return true;
}

bool applyFault(Faults& faults, const std::string& item) {
    if (item == "no_camera") {
        faults.noCamera = true;
        return true;
    }
    if (item == "connect_refused") {
        faults.connectRefused = true;
        return true;
    }
    const size_t equals = item.find('=');
    if (equals == std::string::npos) return false;
    return applyValuedFault(faults, trimText(item.substr(0, equals)), trimText(item.substr(equals + 1)));
}

}  // namespace

bool Faults::operator==(const Faults& other) const {
    return noCamera == other.noCamera && connectRefused == other.connectRefused &&
           failingCommands == other.failingCommands && failAfter == other.failAfter &&
           signInVerdict == other.signInVerdict && formatVerdict == other.formatVerdict &&
           delayMs == other.delayMs;
}

Faults parseFaults(const std::string& text, std::vector<std::string>& problems) {
    Faults faults;
    for (const std::string& rawItem : splitText(text, ',')) {
        const std::string item = trimText(rawItem);
        if (item.empty()) continue;
        if (!applyFault(faults, item)) problems.push_back("unknown or malformed fault '" + item + "'");
    }
    return faults;
}

std::string formatFaults(const Faults& faults) {
    std::vector<std::string> items;
    if (faults.noCamera) items.push_back("no_camera");
    if (faults.connectRefused) items.push_back("connect_refused");
    if (!faults.failingCommands.empty()) {
        std::string list;
        for (int command : faults.failingCommands) list += (list.empty() ? "" : "/") + std::to_string(command);
        items.push_back("fail=" + list);
    }
    if (faults.failAfter) items.push_back("fail_after=" + std::to_string(*faults.failAfter));
    if (faults.signInVerdict) items.push_back("verdict=" + std::to_string(*faults.signInVerdict));
    if (faults.formatVerdict) items.push_back("format_verdict=" + std::to_string(*faults.formatVerdict));
    if (faults.delayMs > 0) items.push_back("delay_ms=" + std::to_string(faults.delayMs));
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
    return text;
}

Faults mergeFaults(const Faults& base, const Faults& preferred) {
    Faults merged = base;
    merged.noCamera = base.noCamera || preferred.noCamera;
    merged.connectRefused = base.connectRefused || preferred.connectRefused;
    merged.failingCommands.insert(preferred.failingCommands.begin(), preferred.failingCommands.end());
    if (preferred.failAfter) merged.failAfter = preferred.failAfter;
    if (preferred.signInVerdict) merged.signInVerdict = preferred.signInVerdict;
    if (preferred.formatVerdict) merged.formatVerdict = preferred.formatVerdict;
    if (preferred.delayMs > 0) merged.delayMs = preferred.delayMs;
    return merged;
}

}  // namespace nvusb_sim
