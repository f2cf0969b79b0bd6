// Notices: caption, relabelled button, and no hook left behind.
#include <gtest/gtest.h>

#include <atomic>

#include "WindowDriver.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

class Notices : public ::testing::Test {
protected:
    void SetUp() override { g_language = kRussian; }
    void TearDown() override { g_language = kEnglish; }

    // The label of a later box's button: the system's, unless a hook is left.
    static std::wstring LaterBoxLabel(WindowDriver& driver)
    {
        WindowDriver::Notice box = driver.WaitForBox(L"Later");
        driver.CloseNotice(box);
        return box.button;
    }

    static int LaterBox() { return MessageBoxW(nullptr, L"later", L"Later", MB_OK); }
};

TEST_F(Notices, ShowTheTextUnderVuzWithTheButtonInEveryLanguage)
{
    for (signed char language : {kChinese, kEnglish, kRussian, kUkrainian}) {
        g_language = language;
        WindowDriver::Notice seen;
        WindowDriver::Run([] { ShowNotice(Text(kTextSignInFailed)); return 0; },
                          [&](WindowDriver& driver) {
                              seen = driver.WaitForNotice();
                              driver.CloseNotice(seen);
                          });
        EXPECT_EQ(seen.text, Text(kTextSignInFailed)) << "language " << int(language);
        EXPECT_EQ(seen.button, g_textTable[language]->entries[kTextNoticeButton]) << "language " << int(language);
    }
    g_language = kRussian;
    EXPECT_EQ(std::wstring(Text(kTextNoticeButton)), L"Хорошо");
}

TEST_F(Notices, ShowAComposedTextTheSameWay)
{
    std::wstring composed = std::wstring(Text(kTextCameraIdLength)) + L"7";
    WindowDriver::Notice seen;
    WindowDriver::Run([&] { ShowNotice(composed.c_str()); return 0; }, [&](WindowDriver& driver) {
        seen = driver.WaitForNotice();
        driver.CloseNotice(seen);
    });
    EXPECT_EQ(seen.text, composed);
    EXPECT_EQ(seen.button, L"Хорошо");
}

UINT_PTR g_secondNoticeTimer = 0;
std::atomic<bool> g_firstNoticeSeen{false};

// Opens the second notice once the driver has found the first: with both
// open before that, which one the driver finds first would be a race.
void CALLBACK ShowSecondNotice(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_firstNoticeSeen) {
        return;
    }
    KillTimer(nullptr, g_secondNoticeTimer);
    ShowNotice(L"second");
}

TEST_F(Notices, TwoOpenAtOnceAreBothRelabelledAndLeaveNoHookBehind)
{
    WindowDriver::Notice first, second;
    std::wstring laterLabel;
    g_firstNoticeSeen = false;
    WindowDriver::Run(
        [] {
            // The second notice opens from the first one's message loop.
            g_secondNoticeTimer = SetTimer(nullptr, 0, 10, &ShowSecondNotice);
            ShowNotice(L"first");
            return LaterBox();
        },
        [&](WindowDriver& driver) {
            first = driver.WaitForNotice();
            g_firstNoticeSeen = true;
            second = driver.WaitForNotice({first.box});
            driver.CloseNotice(second);
            driver.CloseNotice(first);
            laterLabel = LaterBoxLabel(driver);
        });
    KillTimer(nullptr, g_secondNoticeTimer);  // already gone, unless the script failed
    EXPECT_EQ(first.text + L"," + second.text, L"first,second");
    EXPECT_EQ(first.button, L"Хорошо");
    EXPECT_EQ(second.button, L"Хорошо");
    EXPECT_NE(laterLabel, L"Хорошо");
    EXPECT_FALSE(laterLabel.empty());
}

} // namespace
