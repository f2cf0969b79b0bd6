// An in-process vendor link that records every transfer and answers from a
// script: per-command failures, the bytes a receive delivers, and the
// device handle and connect result.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "VendorLink.h"

struct Transfer {
    enum Direction { kSend, kReceive } direction;
    int device;
    int command;
    std::vector<unsigned char> bytes;  // sent bytes; for a receive, what was delivered
};

struct VendorScript {
    int deviceHandle = 0x1234;
    int connectResult = 1;
    std::set<int> failingCommands;
    std::set<int> failingReceives;  // fail only the receive half of a command
    std::map<int, std::vector<unsigned char>> replies;  // receive payloads by command
    std::vector<Transfer> transfers;
    int calls = 0;
    bool throwing = false;  // every transfer throws
};

class FakeVendorLink : public telvix::VendorLink {
public:
    explicit FakeVendorLink(std::shared_ptr<VendorScript> script) : script_(std::move(script)) {}

    int FirstAvailableDevice() override {
        ++script_->calls;
        return script_->deviceHandle;
    }
    int ConnectToDevice(int) override {
        ++script_->calls;
        return script_->connectResult;
    }
    int SetData(int device, int command, void* buffer, int length) override {
        ++script_->calls;
        if (script_->throwing) throw std::runtime_error("vendor library fault");
        auto* bytes = static_cast<unsigned char*>(buffer);
        script_->transfers.push_back({Transfer::kSend, device, command, {bytes, bytes + length}});
        return script_->failingCommands.count(command) ? 0 : 1;
    }
    int GetData(int device, int command, void* buffer, int length) override {
        ++script_->calls;
        if (script_->throwing) throw std::runtime_error("vendor library fault");
        if (script_->failingCommands.count(command) || script_->failingReceives.count(command)) {
            script_->transfers.push_back({Transfer::kReceive, device, command, {}});
            return 0;
        }
        std::vector<unsigned char> reply = script_->replies[command];
        reply.resize(std::min<std::size_t>(reply.size(), static_cast<std::size_t>(length)));
        if (!reply.empty()) std::memcpy(buffer, reply.data(), reply.size());
        script_->transfers.push_back({Transfer::kReceive, device, command, reply});
        return 1;
    }

private:
    std::shared_ptr<VendorScript> script_;
};

inline std::vector<unsigned char> Int32Bytes(int value) {
    std::vector<unsigned char> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}
