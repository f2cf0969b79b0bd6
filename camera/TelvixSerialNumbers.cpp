#include "camera/CameraLibrary.h"

namespace {

CameraLibrary BindWithSerialNumbers()
{
    CameraLibrary library = TelvixLibrary();
    library.ReadCameraSerialNo = &::ReadCameraSerialNo;
    library.SetCameraSerialNo = &::SetCameraSerialNo;
    return library;
}

}  // namespace

const CameraLibrary& TelvixLibraryWithSerialNumbers()
{
    static const CameraLibrary kTelvix = BindWithSerialNumbers();
    return kTelvix;
}
