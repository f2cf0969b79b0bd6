#include "MyEdit.h"

#include "texts/Notice.h"
#include "texts/TextTable.h"

void CMyEdit::OnChar(UINT character, UINT, UINT)
{
    // A refused character never reaches the control: text and caret stay.
    // Only the two filtering modes refuse any.
    if (!AcceptsCharacter(m_inputMode, character)) {
        ShowNotice(Text(m_inputMode == AlnumOnly ? kTextAlnumOnly : kTextNoLineBreaks));
        return;
    }
    Default();
}
