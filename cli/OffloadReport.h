// What the operator learns of one camera's offload: the result line (or
// JSON object), and the progress line of a long copy.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "station/CameraOffload.h"

// "SERIAL CAMERA-ID ok N files N bytes BAG", or "... failed at STEP: WHY";
// then what became of an earlier attempt's folder: sealed incomplete as a
// bag of its own, files its journal does not list set aside.
std::string OffloadLine(const station::CameraOffload& offload);
nlohmann::ordered_json OffloadJson(const station::CameraOffload& offload);

// "copying: 12/1004 files, 51% of 1024 MB, 209.2 MB/s, 0:02 left" after
// `elapsedMs`: the phase ("checking earlier copies", "copying", "verifying",
// "sealing"), the card's files verified, the work done (never 100% before
// it is), the card's size, the card's megabytes offloaded per second (its
// share of the work done), and the time left at that pace.
std::string ProgressLine(const custody::OffloadProgress& progress, std::uint64_t elapsedMs);
