// The operator's language: chosen from the sign-in window's system menu,
// shown at once and in every window opened later, kept for the next start,
// and English whenever nothing usable is stored.
#include <ostream>

#include "ProgramTest.h"

namespace e2e {
namespace {

// Where the program keeps the choice, per user.
constexpr wchar_t kSettingsKey[] = L"Software\\应用程序向导生成的本地应用程序\\Orvane\\Settings";
constexpr wchar_t kLanguageValue[] = L"Language";

// The system-menu commands of the language items, as the menu carries them.
constexpr WPARAM kLanguageCommand[] = {0x0100, 0x0110, 0x0120, 0x0130};

// The stored value as a DWORD; -1 when there is none (or not a DWORD).
long long StoredLanguage()
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kLanguageValue, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return value;
}

void Store(DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLanguageValue, type, data, size));
}

// Every test leaves no choice behind, so that every other test starts in English.
class ProgramLanguage : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Forget();
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        Forget();
    }
    static void Forget() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLanguageValue); }

    // Index of the item reading `text` in the account-type list, -1 if none.
    int ItemIndex(const std::wstring& text) const
    {
        auto items = signIn.ListItems(id::kUserType);
        for (size_t index = 0; index < items.size(); ++index) {
            if (items[index] == text)
                return static_cast<int>(index);
        }
        return -1;
    }
};

// Texts that tell one language from another, on each kind of control.
struct Telling {
    const char* name;
    int index; // in the stored value, as the text table numbers the languages
    const wchar_t* title;
    const wchar_t* connect;
    const wchar_t* disconnect;
    const wchar_t* administrator;
    const wchar_t* user;
    const wchar_t* setAdminPassword; // row 42
    const wchar_t* setUserPassword;  // row 43
    const wchar_t* logout;           // row 45
    const wchar_t* setSuccessful;    // a notice
    const wchar_t* ok;               // the notice's button
};

const Telling kLanguages[] = {
    {"Chinese", 0, L"Kestrava 单机版", L"连接设备", L"断开设备", L"管理员", L"用户", L"设置管理员密码",
     L"设置用户密码", L"返回", L"设置成功。", L"确认"},
    {"English", 1, text::kTitle, text::kConnectDevice, text::kDisconnectDevice, text::kAdministrator, text::kUser,
     L"Setting", L"Setting", L"Logout", text::kSetSuccessful, text::kOk},
    {"Russian", 2, L"Kestrava (автономная версия)", L"Подключить камеру", L"Отключить камеру", L"Администратор",
     L"Пользователь", L"настройка", L"настройка", L"назад", L"Настройки сохранены.", L"Хорошо"},
    {"Ukrainian", 3, L"Kestrava (автономна версія)", L"Підключити пристрій", L"Відключити пристрій",
     L"Адміністратор", L"Користувач", L"Встановлення", L"Встановлення", L"Назад", L"Налаштування збережено.",
     L"Ок."},
};

// Test names and reports show the language by its name.
void PrintTo(const Telling& value, std::ostream* out)
{
    *out << value.name;
}

class ProgramLanguageChoice : public ProgramLanguage, public ::testing::WithParamInterface<Telling> {};

TEST_P(ProgramLanguageChoice, RelabelsEveryWindowAndIsKeptForTheNextStart)
{
    const Telling& language = GetParam();
    Start();
    CHECK_EQ(-1, StoredLanguage()) << "nothing is stored before the operator chooses";

    // Chosen with User selected: the list is relabelled and keeps the account type.
    signIn.SelectItem(id::kUserType, kUser);
    PostMessageW(signIn.hwnd(), WM_SYSCOMMAND, kLanguageCommand[language.index], 0);
    signIn.Settle(id::kPassword);
    CHECK_EQ(std::wstring(language.title), signIn.Title());
    CHECK_EQ(std::wstring(language.connect), signIn.Text(id::kConnect));
    CHECK_EQ(2u, signIn.ListItems(id::kUserType).size());
    CHECK_NE(-1, ItemIndex(language.administrator));
    CHECK_EQ(std::wstring(language.user), signIn.SelectedText(id::kUserType));
    CHECK_EQ(language.index, StoredLanguage());

    // Signed in as Administrator by the item's text, wherever the sorted list put it.
    signIn.Click(id::kConnect);
    WaitUntil([&] { return signIn.Text(id::kConnect) == language.disconnect; }, "Connect to find the camera");
    int administrator = ItemIndex(language.administrator);
    CHECK_NE(-1, administrator);
    signIn.SelectItem(id::kUserType, administrator);
    EnterPassword(L"888888");
    signIn.Click(id::kSignIn);
    ExternalWindow camera = program->WaitForWindow(language.title, id::kSetAdminPassword, kSignInMs);
    CHECK_EQ(std::wstring(language.setAdminPassword), camera.Text(id::kSetAdminPassword));
    CHECK_EQ(std::wstring(language.setUserPassword), camera.Text(id::kSetUserPassword));
    CHECK_EQ(std::wstring(language.logout), camera.Text(id::kLogout));
    CHECK_TRUE(camera.Visible(id::kFormatCard)) << "signed in as Administrator";

    camera.Click(id::kSetIdentity);
    Notice notice = program->WaitForNotice();
    CHECK_EQ(std::wstring(language.setSuccessful), notice.text);
    CHECK_EQ(std::wstring(language.ok), notice.button);
    program->CloseNotice(notice);
    camera.Click(id::kLogout);
    WaitUntil([&] { return !camera.Exists() && signIn.WindowEnabled(); }, "the camera window to close");
    CHECK_EQ(std::wstring(language.administrator), signIn.SelectedText(id::kUserType));

    signIn.CloseBox();
    program->WaitForExit();
    Start(L"", true, language.title);
    CHECK_EQ(std::wstring(language.connect), signIn.Text(id::kConnect));
    CHECK_EQ(std::wstring(language.administrator), signIn.SelectedText(id::kUserType));
}

INSTANTIATE_TEST_SUITE_P(Languages, ProgramLanguageChoice, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramLanguage, AStoredValueThatNamesNoLanguageStartsInEnglishAndIsLeftAsItIs)
{
    const DWORD outOfRange = 4;
    Store(REG_DWORD, &outOfRange, sizeof outOfRange);
    Start();
    CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    signIn.CloseBox();
    program->WaitForExit();
    CHECK_EQ(4, StoredLanguage());

    const wchar_t russianAsText[] = L"2";
    Store(REG_SZ, russianAsText, sizeof russianAsText);
    Start();
    CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
}

} // namespace
} // namespace e2e
