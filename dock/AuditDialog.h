// The audit trail, read-only: whether its chain is whole or where it
// breaks, and its last lines. The file is read on a thread.
#pragma once

#include <string>
#include <thread>

#include "dock/AuditView.h"
#include "texts/TextTable.h"
#include "ui/Dialog.h"

class AuditDialog : public ui::Dialog {
public:
    AuditDialog(std::string auditFile, Language language, HWND parent);
    ~AuditDialog() override;

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Show();

    std::string m_auditFile;
    Language m_language;
    AuditView m_view;
    std::thread m_reader;
};

// What the status line and the status bar say of a view.
std::wstring AuditVerdict(const AuditView& view, Language language);
