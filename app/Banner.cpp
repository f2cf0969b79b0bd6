#include "Banner.h"

#include "texts/TextTable.h"
#include "ui/Handles.h"

namespace {
constexpr COLORREF kBannerBlue = RGB(0, 0, 255);
constexpr COLORREF kBannerText = RGB(255, 255, 255);
constexpr int kBannerTextTop = 10;
constexpr int kBannerPointSize = 160; // tenths of a point
} // namespace

void PaintBanner(HWND surface, int centreX)
{
    ui::WindowDC dc(surface);
    if (!dc)
        return;
    RECT client;
    GetClientRect(surface, &client);

    ui::Brush fill(CreateSolidBrush(kBannerBlue));
    RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
    FillRect(dc.get(), &inner, fill.get());

    LOGFONTW face{};
    {
        ui::WindowDC screen(nullptr);
        face.lfHeight = -MulDiv(GetDeviceCaps(screen.get(), LOGPIXELSY), kBannerPointSize, 720);
    }
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(face.lfFaceName, L"Arial Narrow", LF_FACESIZE);
    ui::Font font(CreateFontIndirectW(&face));
    ui::SelectedObject selected(dc.get(), font.get());

    SetTextColor(dc.get(), kBannerText);
    SetTextAlign(dc.get(), TA_CENTER | TA_TOP);
    SetBkColor(dc.get(), kBannerBlue);
    const WideChar* name = Text(kTextProductName);
    TextOutW(dc.get(), centreX, kBannerTextTop, name, lstrlenW(name));
}
