// The question asked before the camera's memory card is formatted. Yes ends
// the run with IDOK; No, Escape and the close box end it with IDCANCEL.
#pragma once

#include "res/resource.h"
#include "ui/Dialog.h"

class DeleteDialog : public ui::Dialog {
public:
    enum { IDD = IDD_CONFIRM_FORMAT };
    DeleteDialog() : Dialog(IDD) {}

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
};
