// A single-line field that refuses typed characters outside its input mode
// and tells the operator why.
#pragma once

#include "ui/Edit.h"

// Which characters a CMyEdit accepts. Any other value accepts everything.
enum InputMode : int {
    AlnumOnly = 0,     // ASCII letters and digits, and backspace
    AnyChar = 1,       // everything
    NoLineBreaks = 2   // everything but carriage return and line feed
};

class CMyEdit : public ui::Edit {
public:
    // Read afresh for every character, so the owner may change it any time.
    int m_inputMode = AlnumOnly;

protected:
    void OnChar(UINT character, UINT repeatCount, UINT flags) override;
};
