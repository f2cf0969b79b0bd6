// The one seam between Telvix and the chip vendor's USB library: the four
// entries it uses. The real library (or the simulated camera) is reached
// through VendorLibraryLink; tests may put a link of their own in its place.
#pragma once

#include <memory>

namespace telvix {

class VendorLink {
public:
    virtual ~VendorLink() = default;
    virtual int FirstAvailableDevice() = 0;
    virtual int ConnectToDevice(int device) = 0;
    virtual int GetData(int device, int command, void* buffer, int length) = 0;
    virtual int SetData(int device, int command, void* buffer, int length) = 0;
};

// Loads the vendor library by name from the standard search path and
// resolves its four entries. Returns null when the library cannot be loaded
// or lacks an entry; no entry is ever called in that case. The library is
// never unloaded: each load adds to its reference count.
std::unique_ptr<VendorLink> LoadVendorLibrary(const char* name);

}  // namespace telvix
