#include "cli/OffloadReport.h"

#include <algorithm>
#include <cmath>

using station::CameraOffload;
using station::FormatAfter;

namespace {

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : text;
}

// Why the card was not formatted, and how to format it later.
std::string FormatWhy(const CameraOffload& offload)
{
    if (!offload.formatLater) {
        return offload.formatWhy;
    }
    return offload.formatWhy + ", and orvanectl format --yes --offloaded-to " + offload.archive
           + " clears the card once the camera is connected again";
}

std::string FormatSuffix(const CameraOffload& offload)
{
    switch (offload.format) {
    case FormatAfter::NotAsked:
        break;
    case FormatAfter::Formatted:
        return ", card formatted";
    case FormatAfter::NotFormatted:
        return ", card not formatted: " + FormatWhy(offload);
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

const char* PhaseWords(custody::OffloadPhase phase)
{
    switch (phase) {
    case custody::OffloadPhase::Checking: return "checking earlier copies";
    case custody::OffloadPhase::Copying: return "copying";
    case custody::OffloadPhase::Verifying: return "verifying";
    case custody::OffloadPhase::Sealing: return "sealing";
    }
    return "";
}

// What became of an earlier attempt's folder, for the result line.
std::string EarlierAttempt(const custody::OffloadResult& copy)
{
    std::string text;
    if (copy.sealedEarlier) {
        const custody::SealedBag& sealed = *copy.sealedEarlier;
        text += "; the earlier attempt is sealed as the incomplete bag " + sealed.bag + " (" + sealed.why + ")";
    }
    if (!copy.setAside.empty()) {
        const std::size_t count = copy.setAsideFiles.size();
        text += "; " + std::to_string(count) + (count == 1 ? " file" : " files")
                + " its journal does not list moved out of the bag into " + copy.setAside;
    }
    return text;
}

void AddEarlierAttempt(const custody::OffloadResult& copy, nlohmann::ordered_json& object)
{
    if (copy.sealedEarlier) {
        const custody::SealedBag& sealed = *copy.sealedEarlier;
        object["sealed_earlier"] = {{"bag", sealed.bag},
                                    {"why", sealed.why},
                                    {"files", sealed.files},
                                    {"bytes", sealed.bytes},
                                    {"payload_oxum", sealed.payloadOxum},
                                    {"tagmanifest_sha256", sealed.tagManifestSha256}};
    }
    if (!copy.setAside.empty()) {
        object["set_aside"] = station::SetAsideJson(copy);
    }
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
        return line + EarlierAttempt(offload.copy);
    }
    return who + "ok " + std::to_string(offload.copy.files) + " files " + std::to_string(offload.copy.bytes)
           + " bytes " + offload.copy.bag + (offload.copy.resumed ? " (resumed)" : "") + FormatSuffix(offload)
           + EarlierAttempt(offload.copy);
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
        AddEarlierAttempt(offload.copy, object);
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
        object["format_error"] = FormatWhy(offload);
    }
    AddEarlierAttempt(offload.copy, object);
    return object;
}

std::string ProgressLine(const custody::OffloadProgress& progress, std::uint64_t elapsedMs)
{
    const double share = progress.workTotal == 0 ? 1.0
                                                 : static_cast<double>(progress.workDone) / static_cast<double>(progress.workTotal);
    const auto percent =
        progress.workDone >= progress.workTotal ? 100 : static_cast<int>(std::min(99.0, std::floor(share * 100)));
    std::string line = std::string(PhaseWords(progress.phase)) + ": " + std::to_string(progress.filesDone) + "/"
                       + std::to_string(progress.filesTotal) + " files, " + std::to_string(percent) + "% of "
                       + Megabytes(static_cast<double>(progress.cardBytes)) + " MB, ";
    // Below a second the rate says nothing yet.
    if (elapsedMs < 1000 || progress.workDone == 0) {
        return line + "-- MB/s, --:-- left";
    }
    const double done = static_cast<double>(progress.workDone);
    const double seconds = static_cast<double>(elapsedMs) / 1000.0;
    const double cardPerSecond = static_cast<double>(progress.cardBytes) * share / seconds;
    const std::uint64_t left = progress.workTotal > progress.workDone ? progress.workTotal - progress.workDone : 0;
    const double secondsLeft = seconds * static_cast<double>(left) / done;
    return line + OneDecimal(cardPerSecond / 1e6) + " MB/s, "
           + Duration(static_cast<std::uint64_t>(std::llround(secondsLeft))) + " left";
}
