// The four entries of the chip vendor's USB library (NvUSB.dll natively
// libNvUSB.so) that Telvix resolves by name. All use the C calling convention.
#pragma once

#ifdef _WIN32
#define NVUSB_CALL __cdecl
#define NVUSB_LIBRARY_NAME "NvUSB.dll"
#else
#define NVUSB_CALL
#define NVUSB_LIBRARY_NAME "libNvUSB.so"
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Returns a device handle; 0 means no camera is present.
typedef int (NVUSB_CALL* NvUSB_GetFirstAvailableDevice_fn)(void);
// Returns nonzero when the connection was made.
typedef int (NVUSB_CALL* NvUSB_ConnectToDevice_fn)(int device);
// Fill `buffer` with exactly `length` bytes of command `command`; nonzero on success.
typedef int (NVUSB_CALL* NvUSB_VenderCmd_GetData_fn)(int device, int command, void* buffer, int length);
// Send `length` bytes of `buffer` as command `command`; nonzero on success.
typedef int (NVUSB_CALL* NvUSB_VenderCmd_SetData_fn)(int device, int command, void* buffer, int length);

#ifdef __cplusplus
}
#endif
