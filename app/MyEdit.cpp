#include "MyEdit.h"

#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

bool IsAsciiAlnumOrBackspace(UINT character)
{
    return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'Z')
           || (character >= 'a' && character <= 'z') || character == '\b';
}

} // namespace

void CMyEdit::OnChar(UINT character, UINT, UINT)
{
    // A refused character never reaches the control: text and caret stay.
    if (m_inputMode == AlnumOnly && !IsAsciiAlnumOrBackspace(character)) {
        ShowNotice(Text(kTextAlnumOnly));
        return;
    }
    if (m_inputMode == NoLineBreaks && (character == '\r' || character == '\n')) {
        ShowNotice(Text(kTextNoLineBreaks));
        return;
    }
    Default();
}
