// The stop signal of a run, as the station's code and its front ends name
// it; it lives in platform/, where the host's waits take it too.
#pragma once

#include "platform/StopSignal.h"

namespace station {

using platform::StopSignal;

}  // namespace station
