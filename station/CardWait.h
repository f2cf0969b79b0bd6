// The signed-in camera switched to USB storage, and its card waited for:
// the folder named with --from becoming listable, or a drive letter that
// was not there before the switch.
#pragma once

#include <string>

#include "station/RunContext.h"

namespace station {

// Where the card shows once the camera is in USB storage mode.
struct CardOptions {
    std::string from;  // the card's folder; empty: a drive letter that appears
    unsigned waitSeconds = 30;
};

// Switches the camera and finds its card, the wait ended by the run's
// stop; `card` receives its root folder.
// The drives are looked at before the switch: a drive there already is
// never taken for the card. False, with the step that failed
// ("usb-storage", "card") and why.
bool SwitchToStorage(const RunContext& run, const CardOptions& options, std::string& card, std::string& step, std::string& why);

}  // namespace station
