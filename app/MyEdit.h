// A single-line field that refuses typed characters outside its input mode
// and tells the operator why.
#pragma once

#include "core/InputFields.h"
#include "ui/Edit.h"

class CMyEdit : public ui::Edit {
public:
    // An InputMode, read afresh for every character, so the owner may change
    // it any time.
    int m_inputMode = AlnumOnly;

protected:
    void OnChar(UINT character, UINT repeatCount, UINT flags) override;
};
