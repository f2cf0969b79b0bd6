// "Verify archive": every bag of the archive checked in full on a thread,
// with its progress, a stop button, and one line per bag.
#pragma once

#include <memory>
#include <string>

#include "dock/ArchiveCheck.h"
#include "texts/TextTable.h"
#include "ui/Dialog.h"

class VerifyDialog : public ui::Dialog {
public:
    VerifyDialog(std::string archive, Language language, HWND parent);
    ~VerifyDialog() override;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Poll();
    void Stop();

    std::string m_archive;
    Language m_language;
    std::unique_ptr<ArchiveCheck> m_check;
    std::size_t m_linesShown = 0;
    std::size_t m_valid = 0;
    bool m_closing = false;
};
