// Where Telvix may find the vendor library NvUSB.dll.
#pragma once

#ifdef _WIN32
// Takes the current folder off the DLL search path, so that a library
// planted in whatever folder a program is started from (where the
// administrator keeps the fleet file) is never loaded; the program's
// folder, the system folders and PATH are still searched. Call it before
// anything can load NvUSB.dll.
void LeaveTheCurrentFolderOffTheDllSearch();
#else
// dlopen searches no current folder of its own accord.
inline void LeaveTheCurrentFolderOffTheDllSearch() {}
#endif
