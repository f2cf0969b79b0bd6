#include "MyEdit.h"

// Filled in with the filtered field's rules.
void CMyEdit::OnChar(UINT, UINT, UINT) { Default(); }
