// Cameras behind the camera seam for as long as this lives: each plugged in
// for a span of the fake clock (FakeHost.h), answering as the simulated
// camera does, with the faults a test asks for. Every call is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "camera/CameraLibrary.h"
#include "camera/DeviceLinks.h"

struct FakeCamera {
    std::uint64_t pluggedAt = 0;
    std::uint64_t unpluggedAt = UINT64_MAX;
    std::string serial = "SIM00000000000000001";
    std::string adminPassword = "888888";
    std::string userPassword = "000000";
    IdentityRecord identity{};  // CAM0001, 000001, D01
    bool refusesConnection = false;
    std::set<std::string> failing;  // functions whose calls fail
    bool garblesIdentity = false;   // stores a written record with one byte changed
    bool garblesSerial = false;     // stores a written serial number with one character changed
    bool keepsOldPassword = false;  // takes a new password but goes on checking the old one
    std::string cardDrive;          // a drive root that appears as the camera switches to USB storage
    bool inStorageMode = false;     // switched to USB storage while plugged in
};

struct FakeCall {
    std::string function;
    std::uint64_t at;
    int camera;          // index of the camera called; -1 none
    std::string detail;  // a sign-in's account and password, a password set's password
};

class FakeCameras {
public:
    FakeCameras();
    ~FakeCameras();
    FakeCameras(const FakeCameras&) = delete;
    FakeCameras& operator=(const FakeCameras&) = delete;

    // A camera plugged in over [from, until) of the fake clock.
    FakeCamera& Plug(std::uint64_t from = 0, std::uint64_t until = UINT64_MAX);

    bool noVendorLibrary = false;
    // As in the simulated dock: a camera in storage mode is a drive, no
    // longer found by Init_Device (a lone camera is found all the same).
    bool storageModeHides = false;
    std::string interruptOn;  // Ctrl+C comes during the first call of this function
    std::deque<FakeCamera> cameras;
    std::vector<FakeCall> calls;

    // The way back to a camera Init_Device connected: its handle is its index
    // plus one. The calls are recorded like the others.
    const DeviceLinks& Links() const { return links_; }

    // The names of the calls, in order, and how many there were of one.
    std::vector<std::string> Names() const;
    int Count(const std::string& function) const;

    static FakeCameras& Current();
    // For the stand-ins: the connected camera if it is still plugged in.
    FakeCamera* Connected();
    void Record(const std::string& function, const std::string& detail = "");
    int connected = -1;
    std::set<int> met;  // cameras a connect succeeded on

private:
    CameraLibrary library_;
    DeviceLinks links_;
    const CameraLibrary* previous_;
};

// The identity record the fakes start with.
IdentityRecord DefaultIdentity();
