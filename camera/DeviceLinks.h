// The camera seam's way back to a camera met before, for a program that
// serves several cameras at once: it signs the next camera in while earlier
// ones copy their cards in storage mode, where Init_Device no longer finds
// them, and goes back to a camera's own link to format its card. Apart from
// CameraLibrary, so that a program which never calls these does not import
// them. Tests put fakes behind it.
#pragma once

#include <telvix/Telvix.h>

struct DeviceLinks {
    // The current link's handle; 0 before a connect made one.
    decltype(&::GetDeviceLink) GetDeviceLink;
    // The link of a handle an earlier Init_Device connected made current
    // again: 1, or 0 with the link unchanged.
    decltype(&::UseDeviceLink) UseDeviceLink;
};

// Telvix's two exports (the program that calls this imports them).
const DeviceLinks& TelvixDeviceLinks();
