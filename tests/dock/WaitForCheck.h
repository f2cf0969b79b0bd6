// The state of a "Verify archive" check once it has ended, looked at as the
// dialog does, without a deadline.
#pragma once

#include <chrono>
#include <thread>

#include "dock/ArchiveCheck.h"

inline ArchiveCheckState WaitUntilDone(const ArchiveCheck& check)
{
    for (;;) {
        ArchiveCheckState state = check.Snapshot(0);
        if (state.done)
            return state;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
