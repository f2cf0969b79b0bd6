// The dock's settings: shown at the first start and from the Settings
// button. IT's presets are shown greyed; while the dock runs only the
// language may change. The object store's fields show only for an s3://
// archive. "Try it" signs in to a plugged camera on a thread of
// its own.
#pragma once

#include <string>
#include <thread>

#include "dock/DockSettings.h"
#include "dock/DockTexts.h"
#include "ui/Dialog.h"

class SettingsDialog : public ui::Dialog {
public:
    SettingsDialog(DockSettings settings, bool dockRunning, HWND parent = nullptr);
    ~SettingsDialog() override;

    // The settings as saved, after IDOK.
    const DockSettings& Settings() const { return m_settings; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ApplyLanguage();
    void FillChoices();
    void EnableControls();
    void ShowStoreControls();
    int Top(int id) const;
    void TryPassword();
    // Puts the picked path into `edit`.
    using Picker = std::wstring (*)(HWND owner, const wchar_t* title, const std::wstring& start);
    void Browse(int edit, DockText title, Picker pick);
    void TrialDone(WPARAM result);
    Language ChosenLanguage() const;
    void ShowProblem(DockText text);

    DockSettings m_settings;
    bool m_dockRunning;
    bool m_storeShown = true;  // as the template lays it out
    int m_storeHeight = 0;
    std::thread m_trial;
};
