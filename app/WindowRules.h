// What every window of the program shares: the About item in its system
// menu, and Escape, which closes none of them.
#pragma once

#include <windows.h>

#include "ui/Dialog.h"

// Appends a separator and the About item to `window`'s system menu.
void AddAboutItem(ui::Dialog& window);

// Runs the About box when `command` (a WM_SYSCOMMAND id) is the About
// item; false for every other command, which the caller passes on.
bool RunAboutOnCommand(UINT command);

// A key-down of Escape: to be consumed before the dialog manager turns it
// into a cancel.
bool IsEscapeKey(const MSG& message);
