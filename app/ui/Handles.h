// Owners for the Win32 handles the windows use. Each type releases its
// handle exactly once, with the call that matches how it was obtained.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

// A GDI object from a Create* call (font, brush, pen, bitmap).
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset()
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = nullptr;
    }

private:
    Handle m_handle = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDC()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// The device context of one WM_PAINT, from BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~PaintDC() { EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// Selects an object into a device context and selects the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A handle released with `Release` once, when its owner goes.
template <class Handle, auto Release>
class OwnedHandle {
public:
    explicit OwnedHandle(Handle handle = nullptr) : m_handle(handle) {}
    ~OwnedHandle()
    {
        if (m_handle)
            Release(m_handle);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Handle get() const { return m_handle; }
    // For the call that opens the handle to fill; the owner must hold none yet.
    Handle* receive() { return &m_handle; }

private:
    Handle m_handle;
};

// A hook from SetWindowsHookExW; removed when the owner goes.
using Hook = OwnedHandle<HHOOK, UnhookWindowsHookEx>;

// An icon loaded for this owner alone (not shared), destroyed with it.
class Icon : public OwnedHandle<HICON, DestroyIcon> {
public:
    Icon() = default;
    // Loads icon resource `id` of `module` at cx x cy pixels, or at the
    // system's icon size when they are 0.
    Icon(HINSTANCE module, int id, int cx = 0, int cy = 0)
        : OwnedHandle(static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, cx == 0 ? LR_DEFAULTSIZE : 0)))
    {
    }
};

// A registry key from RegOpenKeyExW or RegCreateKeyExW, closed with it.
using RegistryKey = OwnedHandle<HKEY, RegCloseKey>;

} // namespace ui
