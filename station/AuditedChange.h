// The audit lines around a change of the camera: the started line before
// anything is sent that changes it, the outcome line after. A line that
// cannot be written ends the change (and a station's run): `error` says so
// in the operator's words.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "station/RunContext.h"

namespace station {

// The started line, with "before" in `details` where it is known. False:
// nothing may be changed.
bool BeginChange(const RunContext& run, const std::string& serial, const std::string& action,
                 const nlohmann::ordered_json& details, std::string& error);
// The outcome line of a change that `succeeded` or not, also anchored where
// the run says. False when it could not be written or anchored.
bool EndChange(const RunContext& run, const std::string& serial, const std::string& action,
               const std::string& outcome, const nlohmann::ordered_json& details, bool succeeded,
               std::string& error);

}  // namespace station
