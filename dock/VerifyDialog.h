// "Verify archive": every bag of the archive (a folder, or a prefix in an
// object store) checked in full on a thread, with its progress, a stop
// button, and one line per bag.
#pragma once

#include <memory>
#include <string>

#include "dock/ArchiveCheck.h"
#include "platform/LocalHost.h"
#include "station/Dock.h"
#include "texts/TextTable.h"
#include "ui/Dialog.h"

class VerifyDialog : public ui::Dialog {
public:
    // The archive and how it is reached from the dock's settings, whose
    // secrets are wiped here.
    VerifyDialog(station::DockSettings settings, Language language, HWND parent);
    ~VerifyDialog() override;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Poll();
    void Stop();

    std::string m_archive;
    station::StoreAccess m_access;  // until the check takes it
    Language m_language;
    platform::LocalHost m_host;
    std::unique_ptr<ArchiveCheck> m_check;
    std::size_t m_linesShown = 0;
    std::size_t m_valid = 0;
    bool m_closing = false;
};
