// The dock's steps on the station's own: the cameras through the camera seam
// and their links, the cards and the archive through the host, the audit
// trail on the dock's file. Each step is one of the per-camera steps of
// OffloadTurn.h and CardFormat.h.
#pragma once

#include <memory>
#include <string>

#include "camera/DeviceLinks.h"
#include "platform/Host.h"
#include "station/Dock.h"
#include "station/DockSteps.h"

namespace station {

// Signs in with the settings' account and a copy of their password (wiped
// when the cameras go), names `agent` in the audit lines and bags. `host`
// and `links` must outlive the cameras.
std::unique_ptr<DockCameras> NewLocalDockCameras(const DockSettings& settings, platform::Host& host,
                                                 const DeviceLinks& links, const std::string& agent);

}  // namespace station
