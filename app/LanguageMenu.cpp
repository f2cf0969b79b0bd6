#include "LanguageMenu.h"

#include <iterator>

#include "LanguageSetting.h"
#include "texts/TextTable.h"

namespace {

// System-menu commands lie below 0xF000 in steps of 16, since the system
// keeps the low four bits; 0x0010 is the About item.
constexpr UINT kFirstLanguageCommand = 0x0100;
constexpr UINT kCommandStep = 0x10;

constexpr int kTextLanguageMenu = 118;
constexpr int kTextEnglishName = 119;
constexpr int kTextChineseName = 120;

UINT CommandOf(Language language)
{
    return kFirstLanguageCommand + kCommandStep * static_cast<UINT>(language);
}

// The items in menu order. The table holds no Russian or Ukrainian name of
// its own; a language's own name reads the same whatever the active one.
struct LanguageItem {
    Language language;
    int text;               // entry of the table, or -1
    const WideChar* ownName; // when there is no entry
};
constexpr LanguageItem kItems[] = {
    {kEnglish, kTextEnglishName, nullptr},
    {kChinese, kTextChineseName, nullptr},
    {kRussian, -1, L"Русский"},
    {kUkrainian, -1, L"Українська"},
};

const WideChar* NameOf(const LanguageItem& item)
{
    return item.ownName ? item.ownName : Text(item.text);
}

// The submenu and its place in the system menu, told by its first command.
HMENU LanguageSubmenu(HMENU systemMenu, int* position)
{
    int count = GetMenuItemCount(systemMenu);
    for (int index = count - 1; index >= 0; --index) {
        HMENU submenu = GetSubMenu(systemMenu, index);
        if (submenu && GetMenuItemID(submenu, 0) == CommandOf(kItems[0].language)) {
            *position = index;
            return submenu;
        }
    }
    return nullptr;
}

void CheckActiveLanguage(HMENU submenu)
{
    constexpr UINT kLast = static_cast<UINT>(std::size(kItems)) - 1;
    for (UINT position = 0; position <= kLast; ++position) {
        if (kItems[position].language == g_language)
            CheckMenuRadioItem(submenu, 0, kLast, position, MF_BYPOSITION);
    }
}

} // namespace

void AppendLanguageMenu(HWND window)
{
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    if (!systemMenu)
        return;
    HMENU submenu = CreatePopupMenu();
    if (!submenu)
        return;
    for (const LanguageItem& item : kItems)
        AppendMenuW(submenu, MF_STRING, CommandOf(item.language), NameOf(item));
    CheckActiveLanguage(submenu);
    // The system menu owns the submenu from here and destroys it with itself.
    AppendMenuW(systemMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), Text(kTextLanguageMenu));
}

bool ChooseLanguage(HWND window, UINT command)
{
    for (const LanguageItem& item : kItems) {
        if ((command & 0xFFF0) != CommandOf(item.language))
            continue;
        g_language = item.language;
        StoreLanguage(item.language);
        HMENU systemMenu = GetSystemMenu(window, FALSE);
        int position = 0;
        if (HMENU submenu = systemMenu ? LanguageSubmenu(systemMenu, &position) : nullptr) {
            // Only the title changes; replacing the item would destroy the submenu.
            MENUITEMINFOW title{};
            title.cbSize = sizeof title;
            title.fMask = MIIM_STRING;
            title.dwTypeData = const_cast<WideChar*>(Text(kTextLanguageMenu));
            SetMenuItemInfoW(systemMenu, static_cast<UINT>(position), TRUE, &title);
            CheckActiveLanguage(submenu);
        }
        return true;
    }
    return false;
}
