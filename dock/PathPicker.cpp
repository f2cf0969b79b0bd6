#include "dock/PathPicker.h"

#include <shobjidl.h>

namespace {

// COM for the picker's time on this thread.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

template <class Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer()
    {
        if (m_pointer)
            m_pointer->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* operator->() const { return m_pointer; }
    Interface** receive() { return &m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

private:
    Interface* m_pointer = nullptr;
};

// The folder the picker opens in: `start`'s, when it names one.
void StartIn(IFileDialog& dialog, const std::wstring& folder)
{
    if (folder.empty())
        return;
    ComPointer<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(item.receive()))))
        dialog.SetFolder(item.operator->());
}

std::wstring Chosen(IFileDialog& dialog, HWND owner)
{
    if (FAILED(dialog.Show(owner)))
        return std::wstring();
    ComPointer<IShellItem> item;
    if (FAILED(dialog.GetResult(item.receive())))
        return std::wstring();
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return std::wstring();
    std::wstring chosen = path;
    CoTaskMemFree(path);
    return chosen;
}

std::wstring FolderOf(const std::wstring& path)
{
    std::size_t end = path.find_last_of(L"\\/");
    return end == std::wstring::npos ? std::wstring() : path.substr(0, end);
}

// The picker of `kind` with these options changed, opened in `folder`; a
// file's picker proposes `fileName`.
std::wstring Pick(HWND owner, REFCLSID kind, FILEOPENDIALOGOPTIONS add, FILEOPENDIALOGOPTIONS remove,
                  const wchar_t* title, const std::wstring& folder, const wchar_t* fileName)
{
    ComApartment com;
    ComPointer<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.receive()))))
        return std::wstring();
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions((options | add | FOS_FORCEFILESYSTEM) & ~remove);
    dialog->SetTitle(title);
    if (fileName) {
        dialog->SetDefaultExtension(L"jsonl");
        dialog->SetFileName(fileName);
    }
    StartIn(*dialog.operator->(), folder);
    return Chosen(*dialog.operator->(), owner);
}

}  // namespace

std::wstring PickFolder(HWND owner, const wchar_t* title, const std::wstring& start)
{
    return Pick(owner, CLSID_FileOpenDialog, FOS_PICKFOLDERS, 0, title, start, nullptr);
}

// An existing trail is continued, never replaced: no question about it.
std::wstring PickAuditFile(HWND owner, const wchar_t* title, const std::wstring& start)
{
    std::size_t name = start.find_last_of(L"\\/");
    return Pick(owner, CLSID_FileSaveDialog, 0, FOS_OVERWRITEPROMPT, title, FolderOf(start),
                name == std::wstring::npos ? L"audit.jsonl" : start.c_str() + name + 1);
}
