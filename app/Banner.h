// The blue banner with the product name that the sign-in and camera windows
// paint over their banner surface, a static control of their template.
#pragma once

#include <windows.h>

// Fills `surface`'s client area, less one pixel on every side, with blue
// and draws text entry 1 on it in white, horizontally centred on
// `centreX` and with its top 10 pixels down (client coordinates of
// `surface`).
void PaintBanner(HWND surface, int centreX);
