// The dialog framework on its own, with a test template of its own.
#include <gtest/gtest.h>

#include <atomic>

#include "FrameworkResources.h"
#include "WindowDriver.h"
#include "ui/Dialog.h"
#include "ui/Edit.h"

namespace {

const std::wstring kTitle = L"Framework test";

// Records which handler of its map ran, with what.
struct Recorder {
    std::string ran;
    UINT_PTR timerId = 0;
    UINT command = 0;
    LPARAM commandParam = 0;

    void OnAction() { ran = "action"; }
    void OnNoteChange() { ran = "note change"; }
    void OnPaint() { ran = "paint"; }
    void OnTimer(UINT_PTR id) { ran = "timer", timerId = id; }
    void OnSysCommand(UINT id, LPARAM lParam) { ran = "syscommand", command = id, commandParam = lParam; }
    LRESULT OnQueryDragIcon() { ran = "query"; return 77; }
};

const ui::MessageEntry<Recorder> kRecorderMap[] = {
    ui::Clicked(IDC_TEST_ACTION, &Recorder::OnAction),
    ui::Command(IDC_TEST_NOTE, EN_CHANGE, &Recorder::OnNoteChange),
    ui::Message(WM_PAINT, &Recorder::OnPaint),
    ui::Message(WM_TIMER, &Recorder::OnTimer),
    ui::Message(WM_SYSCOMMAND, &Recorder::OnSysCommand),
    ui::Message(WM_QUERYDRAGICON, &Recorder::OnQueryDragIcon),
};

TEST(MessageMap, RunsTheEntryOfTheMessageAndControlWithItsArguments)
{
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* ran; // "" when no entry matches
    } cases[] = {
        {WM_COMMAND, MAKEWPARAM(IDC_TEST_ACTION, BN_CLICKED), 0, "action"},
        {WM_COMMAND, MAKEWPARAM(IDC_TEST_NOTE, EN_CHANGE), 0, "note change"},
        {WM_COMMAND, MAKEWPARAM(IDC_TEST_NOTE, BN_CLICKED), 0, ""},
        {WM_COMMAND, MAKEWPARAM(IDC_TEST_ACTION, EN_CHANGE), 0, ""},
        {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, ""},
        {WM_PAINT, 0, 0, "paint"},
        {WM_TIMER, 3, 0, "timer"},
        {WM_SYSCOMMAND, 0x0010, 42, "syscommand"},
        {WM_QUERYDRAGICON, 0, 0, "query"},
        {WM_SIZE, 0, 0, ""},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        LRESULT result = -5;
        bool handled = ui::Dispatch(recorder, kRecorderMap, c.message, c.wParam, c.lParam, result);
        EXPECT_EQ(handled, *c.ran != '\0') << "message " << c.message;
        EXPECT_EQ(recorder.ran, c.ran) << "message " << c.message;
        if (c.message == WM_TIMER) {
            EXPECT_EQ(recorder.timerId, 3u);
        }
        if (c.message == WM_SYSCOMMAND) {
            EXPECT_TRUE(recorder.command == 0x0010 && recorder.commandParam == 42);
        }
        EXPECT_EQ(result, c.message == WM_QUERYDRAGICON ? 77 : -5);
    }
}

// The test template with a name field limited to 5 characters.
class TestDialog : public ui::Dialog {
public:
    TestDialog() : Dialog(IDD_FRAMEWORK_TEST) {}

    WideString m_name = L"Anna";
    WideString m_note = L"first note";
    ui::ComboBox m_list;
    int m_actions = 0;
    std::atomic<int> m_timerTicks{0};
    std::atomic<int> m_escapes{0};
    bool m_filterEscape = false;
    bool m_boxOnAction = false;
    bool m_quitOnAction = false;

protected:
    void DoDataExchange(ui::DataExchange& exchange) override
    {
        exchange.Text(IDC_TEST_NAME, m_name, 5);
        exchange.Control(IDC_TEST_LIST, m_list);
        exchange.Text(IDC_TEST_NOTE, m_note);
    }

    bool PreTranslateMessage(MSG* message) override
    {
        if (m_filterEscape && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
            ++m_escapes;
            return true;
        }
        return Dialog::PreTranslateMessage(message);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        static const ui::MessageEntry<TestDialog> kMap[] = {
            ui::Clicked(IDC_TEST_ACTION, &TestDialog::OnAction),
            ui::Message(WM_TIMER, &TestDialog::OnTimer),
        };
        return ui::Dispatch(*this, kMap, message, wParam, lParam, result);
    }

private:
    void OnAction()
    {
        ++m_actions;
        if (m_quitOnAction)
            PostQuitMessage(7);
        if (m_boxOnAction) {
            SetTimer(5, 10);
            MessageBoxW(nullptr, L"nested", L"Nested box", MB_OK);
            KillTimer(5);
        }
    }
    void OnTimer(UINT_PTR id)
    {
        if (id == 5)
            ++m_timerTicks;
    }
};

TEST(DialogFramework, ExchangesFieldsBothWaysAndLimitsTheField)
{
    TestDialog dialog;
    INT_PTR result = WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        EXPECT_EQ(driver.Text(window, IDC_TEST_NAME), L"Anna");
        EXPECT_EQ(driver.Text(window, IDC_TEST_NOTE), L"first note");
        EXPECT_EQ(driver.TextLimit(window, IDC_TEST_NAME), 5);
        HWND name = GetDlgItem(window, IDC_TEST_NAME);
        driver.Type(name, L"bcdef");
        driver.WaitUntil([&] { return driver.Text(name).size() == 5; }, "typing");
        driver.Click(window, IDOK); // the base OnOK takes the fields in
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_name.size(), 5u);
    EXPECT_EQ(dialog.m_note, L"first note");
}

TEST(DialogFramework, FillsListsFromTheTemplateInitialisationData)
{
    TestDialog dialog;
    std::vector<std::wstring> items;
    WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        items = driver.ListItems(window, IDC_TEST_LIST);
        driver.Click(window, IDCANCEL);
    });
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Beta", L"Gamma"}));
}

TEST(DialogFramework, DisablesTheActiveWindowAsOwnerWhileModal)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
    if (GetActiveWindow() != owner) {
        DestroyWindow(owner);
        GTEST_SKIP() << "another program holds the foreground";
    }

    TestDialog dialog;
    bool ownerEnabledWhileModal = true;
    HWND ownerWhileModal = nullptr;
    bool activeAtEnd = false;
    INT_PTR result = WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        ownerWhileModal = GetWindow(window, GW_OWNER);
        ownerEnabledWhileModal = IsWindowEnabled(owner);
        // Activation is shared with other programs on the display.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(driver.uiThread(), &info);
        activeAtEnd = info.hwndActive == window;
        driver.Click(window, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(ownerWhileModal, owner);
    EXPECT_FALSE(ownerEnabledWhileModal);
    EXPECT_TRUE(IsWindowEnabled(owner));
    if (activeAtEnd) {
        EXPECT_EQ(GetActiveWindow(), owner);
    }
    DestroyWindow(owner);
}

TEST(DialogFramework, PreFilterConsumesKeysBeforeTheDialogManager)
{
    TestDialog dialog;
    dialog.m_filterEscape = true;
    bool openAfterEscape = false;
    INT_PTR result = WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        HWND name = GetDlgItem(window, IDC_TEST_NAME);
        driver.PressKey(name, VK_ESCAPE);
        driver.WaitUntil([&] { return dialog.m_escapes == 1; }, "the escape");
        driver.Text(window); // a round trip through the window's queue
        openAfterEscape = IsWindowVisible(window);
        driver.PressKey(name, VK_RETURN); // unfiltered: the default button
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(result, IDOK);
}

TEST(DialogFramework, PassesQuitOnToTheOuterLoop)
{
    TestDialog dialog;
    dialog.m_quitOnAction = true;
    HWND window = nullptr;
    WindowDriver::Run(
        [&] {
            INT_PTR result = dialog.DoModal();
            MSG quit{};
            EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
            EXPECT_EQ(quit.wParam, 7u);
            return result;
        },
        [&](WindowDriver& driver) {
            window = driver.WaitForWindow(kTitle);
            driver.Click(window, IDC_TEST_ACTION);
        });
    EXPECT_FALSE(IsWindow(window));
}

TEST(DialogFramework, ServesTimersInsideANestedMessageBox)
{
    TestDialog dialog;
    dialog.m_boxOnAction = true;
    WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        driver.Click(window, IDC_TEST_ACTION);
        HWND box = driver.WaitForWindow(L"Nested box");
        driver.WaitUntil([&] { return dialog.m_timerTicks >= 3; }, "timer ticks under the box");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        driver.WaitUntilGone(box);
        driver.Click(window, IDCANCEL);
    });
    EXPECT_GE(dialog.m_timerTicks, 3);
    EXPECT_EQ(dialog.m_actions, 1);
}

// Drops every 'x' and passes everything else on.
class NoXEdit : public ui::Edit {
public:
    int m_dropped = 0;

protected:
    void OnChar(UINT character, UINT, UINT) override
    {
        if (character == 'x') {
            ++m_dropped;
            return;
        }
        Default();
    }
};

class EditDialog : public TestDialog {
public:
    NoXEdit m_edit;

protected:
    BOOL OnInitDialog() override
    {
        TestDialog::OnInitDialog();
        m_edit.SubclassDlgItem(IDC_TEST_NOTE, *this);
        return TRUE;
    }
};

TEST(DialogFramework, SubclassedEditDropsOrPassesEachCharacter)
{
    EditDialog dialog;
    dialog.m_note.clear();
    std::wstring typed;
    WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(kTitle);
        HWND note = GetDlgItem(window, IDC_TEST_NOTE);
        driver.Type(note, L"axbxc\b");
        driver.WaitUntil([&] { return dialog.m_edit.m_dropped == 2 && driver.Text(note) == L"ab"; }, "typing");
        typed = driver.Text(note);
        driver.Click(window, IDCANCEL);
    });
    EXPECT_EQ(typed, L"ab");
    EXPECT_EQ(dialog.m_edit.hwnd(), nullptr); // let go with its window
}

} // namespace
