#include "cli/OffloadReport.h"

#include <cmath>

namespace {

bool Offloaded(const CameraOffload& offload)
{
    return offload.failedStep.empty();
}

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : text;
}

std::string FormatSuffix(const CameraOffload& offload)
{
    switch (offload.format) {
    case FormatAfter::NotAsked:
        break;
    case FormatAfter::Formatted:
        return ", card formatted";
    case FormatAfter::NotFormatted:
        return ", card not formatted: " + offload.formatWhy;
    }
    return "";
}

// `value` with one decimal: "7.5".
std::string OneDecimal(double value)
{
    const long long tenths = std::llround(value * 10);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// Megabytes, with one decimal below 100: "7.5", "523".
std::string Megabytes(double bytes)
{
    const double mb = bytes / 1e6;
    return mb < 100 ? OneDecimal(mb) : std::to_string(std::llround(mb));
}

std::string TwoDigits(std::uint64_t value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// "m:ss", or "h:mm:ss" from an hour on.
std::string Duration(std::uint64_t seconds)
{
    const std::string minutes = seconds >= 3600 ? std::to_string(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60)
                                                : std::to_string(seconds / 60);
    return minutes + ":" + TwoDigits(seconds % 60);
}

}  // namespace

std::string OffloadLine(const CameraOffload& offload)
{
    const std::string who = OrDash(offload.serial) + " " + OrDash(offload.cameraId) + " ";
    if (!Offloaded(offload)) {
        std::string line = who + "failed at " + offload.failedStep + ": " + offload.why;
        if (!offload.copy.bag.empty()) {
            line += " (the unfinished copy stays in " + offload.copy.bag + "; offload again to resume)";
        }
        return line;
    }
    return who + "ok " + std::to_string(offload.copy.files) + " files " + std::to_string(offload.copy.bytes)
           + " bytes " + offload.copy.bag + (offload.copy.resumed ? " (resumed)" : "") + FormatSuffix(offload);
}

nlohmann::ordered_json OffloadJson(const CameraOffload& offload)
{
    nlohmann::ordered_json object = {{"serial", offload.serial}, {"camera_id", offload.cameraId}};
    if (!Offloaded(offload)) {
        object["outcome"] = "failed";
        object["step"] = offload.failedStep;
        object["error"] = offload.why;
        if (!offload.copy.bag.empty()) {
            object["partial"] = offload.copy.bag;
        }
        return object;
    }
    object["outcome"] = "ok";
    object["files"] = offload.copy.files;
    object["bytes"] = offload.copy.bytes;
    object["bag"] = offload.copy.bag;
    object["resumed"] = offload.copy.resumed;
    object["payload_oxum"] = offload.copy.payloadOxum;
    object["tagmanifest_sha256"] = offload.copy.tagManifestSha256;
    if (offload.format == FormatAfter::Formatted) {
        object["format"] = "ok";
    } else if (offload.format == FormatAfter::NotFormatted) {
        object["format"] = "failed";
        object["format_error"] = offload.formatWhy;
    }
    return object;
}

std::string OffloadAuditOutcome(const CameraOffload& offload)
{
    return Offloaded(offload) ? "ok" : "failed at " + offload.failedStep + ": " + offload.why;
}

nlohmann::ordered_json OffloadAuditDetails(const CameraOffload& offload)
{
    if (!Offloaded(offload)) {
        return offload.copy.bag.empty() ? nlohmann::ordered_json::object()
                                        : nlohmann::ordered_json{{"partial", offload.copy.bag}};
    }
    return {{"bag", offload.copy.bag},
            {"payload_oxum", offload.copy.payloadOxum},
            {"tagmanifest_sha256", offload.copy.tagManifestSha256}};
}

std::string ProgressLine(const custody::OffloadProgress& progress, std::uint64_t elapsedMs)
{
    std::string line = std::to_string(progress.filesDone) + "/" + std::to_string(progress.filesTotal) + " files, "
                       + Megabytes(static_cast<double>(progress.bytesDone)) + "/"
                       + Megabytes(static_cast<double>(progress.bytesTotal)) + " MB, ";
    // Below a second the rate says nothing yet.
    if (elapsedMs < 1000 || progress.bytesDone == 0) {
        return line + "-- MB/s, --:-- left";
    }
    const double perSecond = static_cast<double>(progress.bytesDone) * 1000.0 / static_cast<double>(elapsedMs);
    const std::uint64_t left = progress.bytesTotal > progress.bytesDone ? progress.bytesTotal - progress.bytesDone : 0;
    const double secondsLeft = static_cast<double>(left) / perSecond;
    return line + OneDecimal(perSecond / 1e6) + " MB/s, " + Duration(static_cast<std::uint64_t>(std::llround(secondsLeft)))
           + " left";
}
