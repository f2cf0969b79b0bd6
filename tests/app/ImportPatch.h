// Replaces one function the test program imports from a system library, for
// as long as the object lives. The windows under test are linked into the
// test program and call Windows through its import table, so a replacement
// sees their calls (Sleep, SetTimer, ...) as events, with their arguments,
// where the test would otherwise have to measure time.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    // Fails the test (and patches nothing) when the program does not import
    // `function` from `library` (e.g. "kernel32.dll", "Sleep").
    ImportPatch(const char* library, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

private:
    static void Write(void** slot, void* value);

    void** m_slot = nullptr;
    void* m_original = nullptr;
};
