#include "platform/LocalHost.h"

#include "platform/UtcTime.h"

namespace platform {

std::int64_t LocalHost::UtcSeconds()
{
    return custody::UtcNow();
}

bool LocalHost::Pause(const StopSignal& stop, std::uint64_t ms)
{
    return !stop.WaitFor(ms);
}

custody::FileSystem& LocalHost::Files()
{
    return custody::LocalFileSystem();
}

}  // namespace platform
