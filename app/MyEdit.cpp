#include "MyEdit.h"

#include "texts/Notice.h"
#include "texts/TextTable.h"

void CMyEdit::OnChar(UINT character, UINT, UINT)
{
    // A refused character never reaches the control: text and caret stay.
    if (m_inputMode == AlnumOnly && !AcceptsCharacter(AlnumOnly, character)) {
        ShowNotice(Text(kTextAlnumOnly));
        return;
    }
    if (m_inputMode == NoLineBreaks && !AcceptsCharacter(NoLineBreaks, character)) {
        ShowNotice(Text(kTextNoLineBreaks));
        return;
    }
    Default();
}
