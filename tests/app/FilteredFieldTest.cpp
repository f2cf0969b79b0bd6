// CMyEdit on its own: one filtered field on the camera window's template,
// whose mode the test sets through the host window's thread.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "MyEdit.h"
#include "WindowDriver.h"
#include "res/resource.h"
#include "texts/TextTable.h"
#include "ui/Dialog.h"

namespace {

constexpr UINT kSetMode = WM_APP + 1;
const wchar_t kHostTitle[] = L"Filtered field host";

class FieldHost : public ui::Dialog {
public:
    FieldHost() : Dialog(IDD_CAMERA) {}

protected:
    BOOL OnInitDialog() override
    {
        Dialog::OnInitDialog();
        m_field.SubclassDlgItem(IDC_CAMERA_ID, *this);
        SetWindowText(kHostTitle);
        return TRUE;
    }
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override
    {
        if (message != kSetMode)
            return false;
        m_field.m_inputMode = static_cast<int>(wParam);
        return true;
    }

private:
    CMyEdit m_field;
};

class FilteredField : public ::testing::Test {
protected:
    void SetUp() override { g_language = kEnglish; }

    // Runs the host with `script`; the field starts in mode 0 and focused.
    static void RunField(const std::function<void(WindowDriver&, HWND host, HWND field)>& script)
    {
        FieldHost host;
        WindowDriver::Run([&] { return host.DoModal(); }, [&](WindowDriver& driver) {
            HWND window = driver.WaitForWindow(kHostTitle);
            HWND field = GetDlgItem(window, IDC_CAMERA_ID);
            PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
            driver.WaitUntil([&] { return driver.Focus() == field; }, "the focus on the field");
            script(driver, window, field);
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            driver.WaitUntilGone(window);
        });
    }

    static void SetMode(HWND host, int mode) { SendMessageW(host, kSetMode, static_cast<WPARAM>(mode), 0); }

    // The field's text "xy" with the caret between the two letters.
    static void Prepare(WindowDriver& driver, HWND field)
    {
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"xy"));
        SendMessageW(field, EM_SETSEL, 1, 1);
        driver.WaitUntil([&] { return driver.Text(field) == L"xy"; }, "the prepared text");
    }

    static DWORD Caret(HWND field)
    {
        DWORD start = 0;
        SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        return start;
    }
};

const wchar_t kAlnumNotice[] = L"Input must be number or letter!";
const wchar_t kLineBreakNotice[] = L"Input can't be space!";

TEST_F(FilteredField, AcceptsOrRefusesEachCharacterByMode)
{
    const struct {
        int mode;
        wchar_t character;
        const wchar_t* notice; // null: accepted
    } kCases[] = {
        {AlnumOnly, L'a', nullptr},          {AlnumOnly, L'Z', nullptr},
        {AlnumOnly, L'7', nullptr},          {AlnumOnly, L'-', kAlnumNotice},
        {AlnumOnly, L'_', kAlnumNotice},     {AlnumOnly, L' ', kAlnumNotice},
        {AlnumOnly, L'@', kAlnumNotice},     {AlnumOnly, L'\x00E9', kAlnumNotice},
        {AlnumOnly, L'\x0416', kAlnumNotice}, {AlnumOnly, L'\x4E2D', kAlnumNotice},
        {AlnumOnly, 22, kAlnumNotice}, // Ctrl+V
        {AnyChar, L' ', nullptr},            {AnyChar, L'-', nullptr},
        {AnyChar, L'\x00E9', nullptr},       {AnyChar, L'\x4E2D', nullptr},
        {NoLineBreaks, L' ', nullptr},       {NoLineBreaks, L'-', nullptr},
        {NoLineBreaks, L'\x0416', nullptr},  {NoLineBreaks, L'\r', kLineBreakNotice},
        {NoLineBreaks, L'\n', kLineBreakNotice}, {5, L' ', nullptr},
        {5, L'\r', nullptr},
    };
    RunField([&](WindowDriver& driver, HWND host, HWND field) {
        for (const auto& c : kCases) {
            SetMode(host, c.mode);
            Prepare(driver, field);
            if (c.notice) {
                driver.Type(field, std::wstring(1, c.character));
                WindowDriver::Notice notice = driver.WaitForNotice();
                EXPECT_EQ(notice.text, c.notice) << c.mode << " " << int(c.character);
                EXPECT_EQ(driver.Text(field), L"xy") << c.mode << " " << int(c.character);
                EXPECT_EQ(Caret(field), 1u) << c.mode << " " << int(c.character);
                driver.CloseNotice(notice);
                driver.Type(field, L"0");
                driver.WaitUntil([&] { return driver.Text(field) == L"x0y"; }, "a digit after the notice");
            } else if (c.character == L'\r') {
                // Accepted, but a single-line field inserts no line break;
                // the digit behind it shows it has been handled.
                driver.Type(field, L"\r0");
                driver.WaitUntil([&] { return driver.Text(field) == L"x0y"; }, "a digit after Ctrl+M");
            } else {
                driver.Type(field, std::wstring(1, c.character));
                driver.WaitUntil([&] { return driver.Text(field) == std::wstring(L"x") + c.character + L"y"; },
                                 "the accepted character");
            }
            EXPECT_EQ(FindWindowW(nullptr, L"VUZ"), nullptr) << c.mode << " " << int(c.character);
        }
    });
}

TEST_F(FilteredField, BackspaceDeletesInTheLettersAndDigitsMode)
{
    RunField([&](WindowDriver& driver, HWND, HWND field) {
        Prepare(driver, field);
        driver.Type(field, L"\b");
        driver.WaitUntil([&] { return driver.Text(field) == L"y"; }, "the deleted letter");
    });
}

TEST_F(FilteredField, PasteFromTheContextMenuIsNotFiltered)
{
    RunField([&](WindowDriver& driver, HWND, HWND field) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const wchar_t text[] = L"a-b c";
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
        std::memcpy(GlobalLock(memory), text, sizeof text);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();

        Prepare(driver, field);
        SendMessageW(field, WM_PASTE, 0, 0);
        driver.WaitUntil([&] { return driver.Text(field) == L"xa-b cy"; }, "the pasted text");
        EXPECT_EQ(FindWindowW(nullptr, L"VUZ"), nullptr);
    });
}

TEST_F(FilteredField, AModeChangedWhileFocusedCountsFromTheNextCharacter)
{
    RunField([&](WindowDriver& driver, HWND host, HWND field) {
        Prepare(driver, field);
        driver.Type(field, L" ");
        driver.CloseNotice(driver.WaitForNotice());
        SetMode(host, AnyChar);
        driver.Type(field, L" ");
        driver.WaitUntil([&] { return driver.Text(field) == L"x y"; }, "the accepted space");
        EXPECT_EQ(driver.Focus(), field);
    });
}

} // namespace
