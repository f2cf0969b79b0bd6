// The operator's choice of language: a submenu of the sign-in window's
// system menu, below the About item, with each language under its own name.
#pragma once

#include <windows.h>

// Appends the submenu, titled in the active language, with the active
// language checked.
void AppendLanguageMenu(HWND window);

// If `command` is one of the submenu's items: makes its language the active
// one, remembers it for the next start, retitles and rechecks the submenu,
// and returns true. The caller relabels its window.
bool ChooseLanguage(HWND window, UINT command);
