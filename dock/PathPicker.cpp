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

}  // namespace

std::wstring PickFolder(HWND owner, const wchar_t* title, const std::wstring& start)
{
    ComApartment com;
    ComPointer<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.receive()))))
        return std::wstring();
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    dialog->SetTitle(title);
    StartIn(*dialog.operator->(), start);
    return Chosen(*dialog.operator->(), owner);
}

std::wstring PickAuditFile(HWND owner, const wchar_t* title, const std::wstring& start)
{
    ComApartment com;
    ComPointer<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.receive()))))
        return std::wstring();
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    // An existing trail is continued, never replaced: no question about it.
    dialog->SetOptions((options | FOS_FORCEFILESYSTEM) & ~FOS_OVERWRITEPROMPT);
    dialog->SetDefaultExtension(L"jsonl");
    dialog->SetTitle(title);
    StartIn(*dialog.operator->(), FolderOf(start));
    std::size_t name = start.find_last_of(L"\\/");
    dialog->SetFileName(name == std::wstring::npos ? L"audit.jsonl" : start.c_str() + name + 1);
    return Chosen(*dialog.operator->(), owner);
}
