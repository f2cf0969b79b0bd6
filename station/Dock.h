// The dock: cameras plugged in one after another, each offloaded into the
// archive. The camera calls (connect, sign-in, identity, switch to storage,
// the wait for the card, format) run on one worker thread, one camera at a
// time; once a camera's card is found its copy runs on a thread of its own
// while the next camera is signed in, at most `maxCopies` at once. Every
// camera is tried once per plugging. Nothing here blocks the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "station/ArchiveOpen.h"
#include "station/StationEvents.h"

namespace station {

class DockCameras;

struct DockSettings {
    std::string archive;    // full path of the archive folder, or s3://BUCKET/PREFIX
    StoreAccess store;      // for an s3:// archive; its secrets wiped when the dock ends
    std::string auditPath;  // the audit trail; never empty at the dock
    bool formatAfter = true;
    bool userAccount = false;  // sign in as User rather than Administrator
    std::string password;      // the camera password, wiped when the dock ends
    unsigned maxCopies = 4;
    unsigned cardWaitSeconds = 30;
    std::uint64_t intervalMs = 500;  // Init_Device at most this often
};

// The camera password and the store's secret key and token wiped.
void WipeSecrets(DockSettings& settings);

class Dock {
public:
    // `events` must outlive the dock; it is called on the dock's threads.
    // Defined where the camera steps are wired to the camera and custody.
    Dock(DockSettings settings, StationEvents& events);
    // The same on the given cameras' steps (see DockSteps.h).
    Dock(DockSettings settings, StationEvents& events, std::unique_ptr<DockCameras> cameras);
    ~Dock();  // requests a stop and waits for the threads
    Dock(const Dock&) = delete;
    Dock& operator=(const Dock&) = delete;

    void Start();
    // Returns at once; each copy stops at its next block with its audit
    // line written and its .partial left for the resume, then RunEnded
    // comes with Outcome::Stopped.
    void RequestStop();
    // Blocks until the threads have ended (after RunEnded); for the end of
    // the program, never the window thread's message loop.
    void Wait();

private:
    class Run;
    std::unique_ptr<Run> run_;
};

}  // namespace station
