// Replaces a function that the test program imports from a DLL, for the
// lifetime of the object, by rewriting the program's own import address
// table. Calls made by code linked into the test program see the
// replacement; calls from inside other DLLs do not.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, const void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the program does not import the function by that name.
    bool applied() const { return m_slot != nullptr; }

private:
    void Write(ULONG_PTR value);

    ULONG_PTR* m_slot = nullptr;
    ULONG_PTR m_original = 0;
};
