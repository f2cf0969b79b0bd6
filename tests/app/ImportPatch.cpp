#include "ImportPatch.h"

#include <cstring>

ImportPatch::ImportPatch(const char* dll, const char* function, const void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return;

    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            m_slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            m_original = *m_slot;
            Write(reinterpret_cast<ULONG_PTR>(replacement));
            return;
        }
    }
}

ImportPatch::~ImportPatch()
{
    if (m_slot)
        Write(m_original);
}

void ImportPatch::Write(ULONG_PTR value)
{
    DWORD oldProtection = 0;
    VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &oldProtection);
    *m_slot = value;
    VirtualProtect(m_slot, sizeof *m_slot, oldProtection, &oldProtection);
}
