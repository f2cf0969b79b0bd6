// Every language, every window: the language is chosen from the sign-in
// window's menu, each window is opened in it, and every text a control
// carries (or will carry: the other state of a button, the displays' longest
// texts) is measured in that control's own font against the room the control
// gives it. Notices must show their text whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "CameraWindowFixture.h"
#include "DeleteDialog.h"
#include "OrvaneDlg.h"
#include "texts/Notice.h"
#include "ui/Handles.h"

namespace {

struct LanguageCase {
    const char* name;
    Language language;
    const wchar_t* ownName; // the language's item in the menu
};

const LanguageCase kLanguages[] = {
    {"Chinese", kChinese, L"中文"},
    {"English", kEnglish, L"English"},
    {"Russian", kRussian, L"Русский"},
    {"Ukrainian", kUkrainian, L"Українська"},
};

// Test names and reports show the language by its name.
void PrintTo(const LanguageCase& value, std::ostream* out)
{
    *out << value.name;
}

// English texts the templates have always clipped; the English column and
// the templates stay as they are.
struct KnownClipping {
    Language language;
    int control;
};
const KnownClipping kKnownClippings[] = {
    {kEnglish, IDC_TIME_RESULT},          // "... --Time Synchronizer has finished"
    {kEnglish, IDC_ADMIN_PASSWORD_LABEL}, // "Administrator password"
};

// Room lost to a push button's edges and focus frame, on each side, and to
// a group box's frame and the gap before its caption.
constexpr int kButtonMargin = 4;
constexpr int kGroupMargin = 8;

// What a text needs and what its place gives, in pixels.
struct Misfit {
    std::wstring where;
    std::wstring text;
    long need;
    long room;
};

SIZE TextSize(HWND control, HFONT font, const std::wstring& text)
{
    ui::WindowDC dc(control);
    ui::SelectedObject selected(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

HFONT FontOf(HWND control)
{
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

class FitCheck {
public:
    explicit FitCheck(Language language) : m_language(language) {}

    // `text` on `control`, as the control's kind draws it.
    void Control(HWND control, const std::wstring& text)
    {
        if (text.empty())
            return;
        RECT client{};
        GetClientRect(control, &client);
        long room = client.right - client.left;
        std::wstring kind = ClassOf(control);
        LONG style = GetWindowLongW(control, GWL_STYLE);
        if (lstrcmpiW(kind.c_str(), L"Button") == 0)
            room -= 2 * ((style & BS_TYPEMASK) == BS_GROUPBOX ? kGroupMargin : kButtonMargin);
        Check(control, GetDlgCtrlID(control), text, TextSize(control, FontOf(control), text).cx, room);
    }

    // Every child of `window` with its own text, list items included, and
    // the window's caption in the caption font.
    void Window(HWND window)
    {
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (lstrcmpiW(ClassOf(child).c_str(), L"ComboBox") == 0)
                ListItems(child);
            else if (lstrcmpiW(ClassOf(child).c_str(), L"Edit") != 0)
                Control(child, TextOf(child));
        }
        Caption(window);
    }

    void ListItems(HWND list)
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(list, &info);
        int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            std::wstring item(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
            item.resize(static_cast<size_t>(
                SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&item[0]))));
            Check(list, GetDlgCtrlID(list), item, TextSize(list, FontOf(list), item).cx,
                  info.rcItem.right - info.rcItem.left);
        }
    }

    // The title bar loses the icon, the close box and the frame to the caption.
    void Caption(HWND window)
    {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        ui::Font font(CreateFontIndirectW(&metrics.lfCaptionFont));
        RECT frame{};
        GetWindowRect(window, &frame);
        long room = frame.right - frame.left - metrics.iCaptionWidth - GetSystemMetrics(SM_CXSMICON) -
                    4 * GetSystemMetrics(SM_CXFIXEDFRAME);
        std::wstring title = TextOf(window);
        Check(window, 0, title, TextSize(window, font.get(), title).cx, room);
    }

    // A notice shows its whole text: wrapped at its width, every line and
    // every word fits the text's place.
    void Notice(HWND box)
    {
        HWND text = GetDlgItem(box, 0xFFFF);
        std::wstring shown = TextOf(text);
        RECT place{};
        GetClientRect(text, &place);
        ui::WindowDC dc(text);
        ui::SelectedObject selected(dc.get(), FontOf(text));
        RECT need = place;
        DrawTextW(dc.get(), shown.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        Check(box, 0xFFFF, shown + L" (height)", need.bottom - need.top, place.bottom - place.top);
        Check(box, 0xFFFF, shown + L" (width)", need.right - need.left, place.right - place.left);
    }

    // The blue banner: its text centred on x, inside the surface.
    void Banner(HWND surface, int x)
    {
        LOGFONTW face{};
        {
            ui::WindowDC screen(nullptr);
            face.lfHeight = -MulDiv(GetDeviceCaps(screen.get(), LOGPIXELSY), 160, 720);
        }
        face.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(face.lfFaceName, L"Arial Narrow", LF_FACESIZE);
        ui::Font font(CreateFontIndirectW(&face));
        RECT client{};
        GetClientRect(surface, &client);
        std::wstring name = Text(kTextProductName);
        long half = TextSize(surface, font.get(), name).cx / 2;
        Check(surface, GetDlgCtrlID(surface), name, 2 * half, 2 * std::min<long>(x, client.right - x));
    }

    std::string Report() const
    {
        std::ostringstream out;
        for (const Misfit& misfit : m_misfits) {
            int length = WideCharToMultiByte(CP_UTF8, 0, misfit.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string text(static_cast<size_t>(length), '\0');
            WideCharToMultiByte(CP_UTF8, 0, misfit.text.c_str(), -1, &text[0], length, nullptr, nullptr);
            text.pop_back();
            out << "\n  " << std::string(misfit.where.begin(), misfit.where.end()) << " \"" << text
                << "\" needs " << misfit.need << " px, has " << misfit.room;
        }
        return out.str();
    }
    bool Fits() const { return m_misfits.empty(); }

    // Known clippings of this language that no longer clip: the list is stale.
    std::vector<int> KnownButFitting() const
    {
        std::vector<int> stale;
        for (const KnownClipping& known : kKnownClippings) {
            if (known.language == m_language &&
                std::find(m_clipped.begin(), m_clipped.end(), known.control) == m_clipped.end())
                stale.push_back(known.control);
        }
        return stale;
    }

private:
    void Check(HWND control, int id, const std::wstring& text, long need, long room)
    {
        if (need <= room)
            return;
        for (const KnownClipping& known : kKnownClippings) {
            if (known.language == m_language && known.control == id) {
                m_clipped.push_back(id);
                return;
            }
        }
        wchar_t where[80];
        wsprintfW(where, L"%ls control %d", ClassOf(GetAncestor(control, GA_ROOT)).c_str(), id);
        m_misfits.push_back({where, text, need, room});
    }

    Language m_language;
    std::vector<Misfit> m_misfits;
    std::vector<int> m_clipped;
};

// The resolution the camera may report at its largest, and a full battery.
const wchar_t kWidestResolution[] = L"2304*1296";
const wchar_t kFullBattery[] = L"100%";

class TextFit : public CameraWindow, public ::testing::WithParamInterface<LanguageCase> {
protected:
    void TearDown() override
    {
        g_language = kEnglish;
        CameraWindow::TearDown();
    }

    // Chooses the language from the sign-in window's menu and checks the
    // menu: below About, titled in the language chosen, that language checked.
    static void ChooseFromMenu(WindowDriver& driver, HWND window, const LanguageCase& choice)
    {
        HMENU systemMenu = GetSystemMenu(window, FALSE);
        int last = GetMenuItemCount(systemMenu) - 1;
        ASSERT_EQ(IDM_ABOUT, static_cast<int>(GetMenuItemID(systemMenu, last - 1)));
        HMENU languages = GetSubMenu(systemMenu, last);
        ASSERT_TRUE(languages != nullptr);
        std::vector<std::wstring> names;
        UINT command = 0;
        for (int item = 0; item < GetMenuItemCount(languages); ++item) {
            wchar_t name[64] = L"";
            GetMenuStringW(languages, static_cast<UINT>(item), name, 64, MF_BYPOSITION);
            names.push_back(name);
            if (names.back() == choice.ownName)
                command = GetMenuItemID(languages, item);
        }
        EXPECT_EQ((std::vector<std::wstring>{L"English", L"中文", L"Русский", L"Українська"}), names);
        ASSERT_NE(0u, command);
        PostMessageW(window, WM_SYSCOMMAND, command, 0);
        driver.WaitUntil([&] { return g_language == choice.language; }, "the language chosen");
        driver.WaitUntil([&] { return TextOf(window) == Text(kTextAppTitle); }, "the window relabelled");
        wchar_t title[64] = L"";
        GetMenuStringW(systemMenu, static_cast<UINT>(last), title, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(g_textTable[choice.language]->entries[118]), title);
        for (int item = 0; item < GetMenuItemCount(languages); ++item) {
            bool checked = (GetMenuState(languages, static_cast<UINT>(item), MF_BYPOSITION) & MF_CHECKED) != 0;
            EXPECT_EQ(names[static_cast<size_t>(item)] == choice.ownName, checked) << "item " << item;
        }
    }
};

TEST_P(TextFit, EveryTextFitsItsControlAndEveryNoticeShowsItsTextWhole)
{
    const LanguageCase& language = GetParam();
    FitCheck fit(language.language);

    COrvaneDlg signIn;
    WindowDriver::Run([&] { return signIn.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(L"Stand-Alone Kestrava");
        ChooseFromMenu(driver, window, language);
        fit.Window(window);
        fit.Control(GetDlgItem(window, IDC_CONNECT), Text(kTextDisconnectDevice));
        fit.Banner(GetDlgItem(window, IDC_BANNER), 250);
        // The close box leaves the camera connected for the camera window.
        driver.CloseBox(window);
        driver.WaitUntilGone(window);
    });
    ASSERT_EQ(language.language, g_language);

    Camera camera;
    WindowDriver::Run([&] { return camera.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(Text(kTextAppTitle));
        fit.Window(window);
        std::wstring shown = driver.Text(window, IDC_TIME_RESULT);
        std::wstring stamp = shown.substr(0, shown.find(L"--") + 2);
        fit.Control(GetDlgItem(window, IDC_TIME_RESULT), stamp + Text(kTextTimeSyncFailed));
        fit.Control(GetDlgItem(window, IDC_RESOLUTION), Text(kTextResolutionLabel) + std::wstring(kWidestResolution));
        fit.Control(GetDlgItem(window, IDC_BATTERY), Text(kTextBatteryLabel) + std::wstring(kFullBattery));
        fit.Banner(GetDlgItem(window, IDC_CAMERA_BANNER), 360);
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });

    DeleteDialog confirm;
    WindowDriver::Run([&] { return confirm.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(Text(kTextFormatCard));
        fit.Window(window);
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });

    const std::wstring kNotices[] = {
        Text(kTextSetSuccessful), Text(kTextSetFailed), Text(kTextConnectFailed), Text(kTextConnectFirst),
        Text(kTextSignInFailed), Text(kTextPasswordsDiffer), Text(kTextPasswordChanged),
        Text(kTextPasswordChangeFailed), Text(kTextUsbStorageEntered), Text(kTextUsbStorageFailed),
        Text(kTextCameraIdLength) + std::wstring(L" 7!"), Text(kTextUserIdLength) + std::wstring(L" 6!"),
        Text(kTextPasswordLength), Text(kTextAlnumOnly), Text(kTextNoLineBreaks), Text(kTextFormatDone),
        Text(kTextFormatFailed), Text(kTextFail),
    };
    for (const std::wstring& notice : kNotices) {
        WindowDriver::Run([&] {
            ShowNotice(notice.c_str());
            return INT_PTR(0);
        }, [&](WindowDriver& driver) {
            WindowDriver::Notice box = driver.WaitForNotice();
            EXPECT_EQ(notice, box.text);
            EXPECT_EQ(std::wstring(Text(kTextNoticeButton)), box.button);
            fit.Notice(box.box);
            fit.Control(GetDlgItem(box.box, IDOK), box.button);
            driver.CloseNotice(box);
        });
    }

    EXPECT_TRUE(fit.Fits()) << language.name << ":" << fit.Report();
    EXPECT_EQ(std::vector<int>{}, fit.KnownButFitting()) << "listed as clipped, but fit";
}

INSTANTIATE_TEST_SUITE_P(Languages, TextFit, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
