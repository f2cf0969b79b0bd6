#include "VendorLink.h"

#include "telvix/VendorEntries.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace telvix {
namespace {

struct Entries {
    NvUSB_GetFirstAvailableDevice_fn firstAvailableDevice = nullptr;
    NvUSB_ConnectToDevice_fn connectToDevice = nullptr;
    NvUSB_VenderCmd_GetData_fn getData = nullptr;
    NvUSB_VenderCmd_SetData_fn setData = nullptr;

    bool Complete() const { return firstAvailableDevice && connectToDevice && getData && setData; }
};

class VendorLibraryLink : public VendorLink {
public:
    explicit VendorLibraryLink(const Entries& entries) : entries_(entries) {}

    int FirstAvailableDevice() override { return entries_.firstAvailableDevice(); }
    int ConnectToDevice(int device) override { return entries_.connectToDevice(device); }
    int GetData(int device, int command, void* buffer, int length) override {
        return entries_.getData(device, command, buffer, length);
    }
    int SetData(int device, int command, void* buffer, int length) override {
        return entries_.setData(device, command, buffer, length);
    }

private:
    Entries entries_;
};

#ifdef _WIN32
using ModuleHandle = HMODULE;
ModuleHandle OpenLibrary(const char* name) { return LoadLibraryA(name); }
void* FindEntry(ModuleHandle module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}
#else
using ModuleHandle = void*;
ModuleHandle OpenLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }
void* FindEntry(ModuleHandle module, const char* name) { return dlsym(module, name); }
#endif

template <typename Fn>
void Resolve(ModuleHandle module, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(FindEntry(module, name));
}

}  // namespace

std::unique_ptr<VendorLink> LoadVendorLibrary(const char* name) {
    // Deliberately never released: the link lives as long as the process.
    ModuleHandle module = OpenLibrary(name);
    if (!module) return nullptr;
    Entries entries;
    Resolve(module, "NvUSB_GetFirstAvailableDevice", entries.firstAvailableDevice);
    Resolve(module, "NvUSB_ConnectToDevice", entries.connectToDevice);
    Resolve(module, "NvUSB_VenderCmd_GetData", entries.getData);
    Resolve(module, "NvUSB_VenderCmd_SetData", entries.setData);
    if (!entries.Complete()) return nullptr;
    return std::make_unique<VendorLibraryLink>(entries);
}

}  // namespace telvix
