// The camera window against the simulated camera: each test signs in,
// runs the window modally and plays the user from a driver thread.
#pragma once

#include <gtest/gtest.h>

#include <telvix/Telvix.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "Camera.h"
#include "Session.h"
#include "WindowDriver.h"
#include "ScratchCamera.h"
#include "res/resource.h"
#include "texts/TextTable.h"

class CameraWindow : public ::testing::Test {
public:
    static constexpr const wchar_t* kCaption = L"Stand-Alone Kestrava";

    void SetUp() override
    {
        OpenScratchCamera(L"orvane-camera-", m_state, m_log);
        g_language = kEnglish;
        int status = 0;
        ASSERT_EQ(Init_Device(nullptr, &status), 1);
        SignIn(0, "888888");
    }

    void TearDown() override
    {
        UnInit_Device(nullptr);
        CloseScratchCamera(m_state, m_log);
    }

    // As the sign-in window records an accepted sign-in.
    static void SignIn(int userType, const char* password)
    {
        ASSERT_EQ(client_login(userType, password), 1);
        g_userType = userType;
        std::memset(g_sessionPassword, 0, sizeof g_sessionPassword);
        std::strcpy(g_sessionPassword, password);
    }

protected:
    static void SetFaults(const wchar_t* faults) { SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", faults); }

    void WriteState(const std::string& text)
    {
        std::ofstream out(m_state.c_str());
        out << text;
    }

    std::string TransferLog() const
    {
        std::ifstream in(m_log.c_str());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Runs a new camera window with `script` as the user, then logs out if
    // the script left it open. Returns DoModal's result.
    static INT_PTR RunCamera(const std::function<void(WindowDriver&, HWND)>& script)
    {
        Camera camera;
        return WindowDriver::Run([&] { return camera.DoModal(); }, [&](WindowDriver& driver) {
            HWND window = driver.WaitForWindow(kCaption);
            script(driver, window);
            if (IsWindow(window) && IsWindowVisible(window)) {
                driver.Click(window, IDCANCEL);
                driver.WaitUntilGone(window);
            }
        });
    }

public:
    // Program-written text, as the handlers write it: not filtered.
    static void SetField(WindowDriver& driver, HWND window, int id, const std::wstring& text)
    {
        SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        driver.WaitUntil([&] { return driver.Text(window, id) == text; }, "the field's text");
    }

    // Gives `id` the keyboard focus through the dialog manager.
    static void FocusField(WindowDriver& driver, HWND window, int id)
    {
        HWND field = GetDlgItem(window, id);
        PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        driver.WaitUntil([&] { return driver.Focus() == field; }, "the focus");
    }

protected:
    std::wstring m_state;
    std::wstring m_log;
};
