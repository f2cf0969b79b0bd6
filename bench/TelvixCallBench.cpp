// What Telvix itself adds to a camera operation: each library call against
// the vendor transfer it wraps, called directly through the same kind of
// link. The link answers at once and trace lines go nowhere, so the
// difference is the library's own work (result, status, trace line built).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "DeviceLink.h"
#include "telvix/Telvix.h"
#include "telvix/VendorCommands.h"

namespace {

class InstantLink : public telvix::VendorLink {
public:
    int FirstAvailableDevice() override { return 0x5A17; }
    int ConnectToDevice(int) override { return 1; }
    int GetData(int, int, void* buffer, int length) override {
        std::memset(buffer, 0x11, static_cast<std::size_t>(length));
        return 1;
    }
    int SetData(int, int, void*, int) override { return 1; }
};

// The library's link to an instant camera, connected once per process.
void ConnectLibrary() {
    static bool connected = [] {
        telvix::Environment& environment = telvix::CurrentEnvironment();
        environment.loadVendor = [] { return std::unique_ptr<telvix::VendorLink>(new InstantLink); };
        environment.writeTrace = [](const char*, std::size_t) {};
        environment.pause = [](unsigned) {};
        int status = 0;
        return Init_Device(nullptr, &status) == 1;
    }();
    if (!connected) std::abort();
}

// The vendor entry as Telvix reaches it: through a link object it cannot
// see into.
telvix::VendorLink* DirectLink() {
    static InstantLink link;
    telvix::VendorLink* volatile opaque = &link;
    return opaque;
}

void VendorReceive4(benchmark::State& state) {
    telvix::VendorLink* link = DirectLink();
    int level = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(link->GetData(0x5A17, kCmdBattery, &level, 4));
        benchmark::ClobberMemory();
    }
}

void LibraryReadBattery(benchmark::State& state) {
    ConnectLibrary();
    int level = 0, status = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadDeviceBatteryDumpEnergy(&level, "888888", &status));
        benchmark::ClobberMemory();
    }
}

void VendorSendRecord(benchmark::State& state) {
    telvix::VendorLink* link = DirectLink();
    unsigned char record[kIdentityRecordSize] = {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(link->SetData(0x5A17, kCmdIdentity, record, kIdentityRecordSize));
        benchmark::ClobberMemory();
    }
}

void LibraryWriteIdentity(benchmark::State& state) {
    ConnectLibrary();
    unsigned char record[kIdentityRecordSize] = {};
    int status = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteVUZInfo(record, "888888", &status));
        benchmark::ClobberMemory();
    }
}

void VendorReceiveRecord(benchmark::State& state) {
    telvix::VendorLink* link = DirectLink();
    unsigned char record[kIdentityRecordSize];
    for (auto _ : state) {
        benchmark::DoNotOptimize(link->GetData(0x5A17, kCmdIdentity, record, kIdentityRecordSize));
        benchmark::ClobberMemory();
    }
}

void LibraryReadIdentity(benchmark::State& state) {
    ConnectLibrary();
    unsigned char record[kIdentityRecordSize];
    int status = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetVUZInfo(record, "888888", &status));
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(VendorReceive4);
BENCHMARK(LibraryReadBattery);
BENCHMARK(VendorSendRecord);
BENCHMARK(LibraryWriteIdentity);
BENCHMARK(VendorReceiveRecord);
BENCHMARK(LibraryReadIdentity);

BENCHMARK_MAIN();
