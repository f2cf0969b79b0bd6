#include "camera/DeviceLinks.h"

const DeviceLinks& TelvixDeviceLinks()
{
    static const DeviceLinks kTelvix{&::GetDeviceLink, &::UseDeviceLink};
    return kTelvix;
}
