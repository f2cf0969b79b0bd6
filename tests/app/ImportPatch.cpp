#include "ImportPatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The slot of the program's import address table that holds `function` of
// `library`, found by the names the import lookup table keeps.
void** FindImport(const char* library, const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), library) != 0 || !entry->OriginalFirstThunk)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

} // namespace

ImportPatch::ImportPatch(const char* library, const char* function, void* replacement)
    : m_slot(FindImport(library, function))
{
    if (!m_slot) {
        ADD_FAILURE() << "the test program does not import " << function << " from " << library;
        return;
    }
    m_original = *m_slot;
    Write(m_slot, replacement);
}

ImportPatch::~ImportPatch()
{
    if (m_slot)
        Write(m_slot, m_original);
}

void ImportPatch::Write(void** slot, void* value)
{
    DWORD was = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
    // One aligned pointer: a thread calling through it sees the old or the new.
    InterlockedExchangePointer(slot, value);
    VirtualProtect(slot, sizeof *slot, was, &was);
}
