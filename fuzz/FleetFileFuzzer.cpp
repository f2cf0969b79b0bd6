// Any bytes read as a fleet file without reading out of bounds, and every
// row the file's checks accept is one the camera stores and gives back
// whole: it builds into a record that parses back to the same texts.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "station/FleetFile.h"
#include "core/FieldRules.h"

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Fleet fleet = ParseFleet(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& entry : fleet.rows) {
        Require(IsValidSerial(entry.first));
        IdentityRecord record;
        Require(BuildIdentityRecord(entry.second.identity, record) == BuildResult::Ok);
        const IdentityTexts back = ParseIdentityRecord(record);
        const IdentityTexts& sent = entry.second.identity;
        Require(back.cameraId == sent.cameraId && back.userId == sent.userId
                && back.departmentId == sent.departmentId && back.userName == sent.userName
                && back.departmentName == sent.departmentName);
    }
    return 0;
}
