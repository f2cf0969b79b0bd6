#include "ui/Dialog.h"

#include <vector>

namespace ui {

namespace {

constexpr WORD kDialogInitType = 240;
// CB_ADDSTRING as the initialisation data writes it (its 16-bit value).
constexpr WORD kInitComboAddString = 0x0403;

// Messages a dialog procedure answers with its return value instead of
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

WideString WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return WideString();
    std::vector<WideChar> buffer(static_cast<size_t>(length) + 1);
    int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return WideString(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

} // namespace

void DataExchange::Text(int id, WideString& value, int maxLength)
{
    HWND control = GetDlgItem(m_dialog, id);
    if (m_saving) {
        value = WindowText(control);
        return;
    }
    if (maxLength > 0)
        SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(maxLength), 0);
    SetWindowTextW(control, value.c_str());
}

void DataExchange::Control(int id, ComboBox& control)
{
    control.Attach(GetDlgItem(m_dialog, id));
}

Dialog::Dialog(int templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

INT_PTR Dialog::DoModal()
{
    HWND owner = m_parent ? m_parent : GetActiveWindow();
    m_ending = false;
    m_result = -1;
    HWND window = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), owner,
                                     &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!window)
        return -1;

    bool ownerDisabled = owner && owner != GetDesktopWindow() && IsWindowEnabled(owner);
    if (ownerDisabled)
        EnableWindow(owner, FALSE);
    if (!m_ending)
        ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (!m_ending && m_hwnd) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave every loop up to the program's: pass the quit on.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1)
            break;
        if (PreTranslateMessage(&message))
            continue;
        if (m_hwnd && IsDialogMessageW(m_hwnd, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    // The owner must be usable again before this window goes, or the
    // activation would pass to some other program's window.
    if (ownerDisabled)
        EnableWindow(owner, TRUE);
    if (owner && m_hwnd && GetActiveWindow() == m_hwnd)
        SetActiveWindow(owner);
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    return m_result;
}

void Dialog::EndDialog(INT_PTR result)
{
    m_result = result;
    m_ending = true;
    // Wakes the loop if the call came from outside a dispatched message.
    if (m_hwnd)
        PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange exchange(m_hwnd, saveAndValidate);
    DoDataExchange(exchange);
    return true;
}

void Dialog::AppendSystemMenuItem(UINT commandId, UINT stringId)
{
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu)
        return;
    const WideChar* text = nullptr;
    // With a zero buffer size LoadStringW gives a pointer into the resource.
    int length = LoadStringW(ResourceModule(), stringId, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return;
    WideString item(text, static_cast<size_t>(length));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, commandId, item.c_str());
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool Dialog::PreTranslateMessage(MSG*)
{
    return false;
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hwnd = window;
        dialog->ApplyInitData();
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    return dialog->OnMessage(message, wParam, lParam);
}

INT_PTR Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Handlers may run nested loops that dispatch further messages here.
    bool outerPassOn = m_passOn;
    m_passOn = false;
    LRESULT result = 0;
    bool handled = HandleMessage(message, wParam, lParam, result);
    bool passOn = m_passOn;
    m_passOn = outerPassOn;

    if (handled && !passOn) {
        if (AnswersDirectly(message))
            return static_cast<INT_PTR>(result);
        if (m_hwnd)
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (handled)
        return FALSE;

    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        m_hwnd = nullptr;
        m_ending = true;
    }
    return FALSE;
}

void Dialog::ApplyInitData()
{
    HINSTANCE module = ResourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(kDialogInitType));
    if (!found)
        return;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!data)
        return;
    const BYTE* end = data + SizeofResource(module, found);

    // Entries: WORD control id (0 ends), WORD message, DWORD length, then
    // that many bytes of an ANSI text. Entries follow each other unaligned.
    auto readWord = [](const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); };
    const BYTE* p = data;
    while (end - p >= 8) {
        WORD id = readWord(p);
        if (id == 0)
            break;
        WORD initMessage = readWord(p + 2);
        DWORD length = readWord(p + 4) | (static_cast<DWORD>(readWord(p + 6)) << 16);
        p += 8;
        if (length > static_cast<DWORD>(end - p))
            break;
        if (initMessage == kInitComboAddString) {
            int bytes = 0;
            while (bytes < static_cast<int>(length) && p[bytes] != 0)
                ++bytes;
            const char* narrow = reinterpret_cast<const char*>(p);
            int units = MultiByteToWideChar(CP_ACP, 0, narrow, bytes, nullptr, 0);
            WideString text(static_cast<size_t>(units), L'\0');
            if (units > 0)
                MultiByteToWideChar(CP_ACP, 0, narrow, bytes, &text[0], units);
            SendDlgItemMessageW(m_hwnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        p += length;
    }
}

} // namespace ui
