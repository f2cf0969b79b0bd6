// The operator's language, remembered per user under the program's profile
// key. Nothing is written until the operator chooses a language.
#pragma once

#include "core/WideText.h"
#include "texts/TextTable.h"

// Names the profile key the program selected at start; the choice lives in
// HKEY_CURRENT_USER\Software\<profileKey>\Orvane\Settings. Until a key is
// named, nothing is read or written and the stored language is English.
void UseProfileKey(const WideString& profileKey);

// The stored language; English when none is stored, or when the value cannot
// be read or names no language.
Language StoredLanguage();

// Remembers `language` for the next start. A failure to write only means the
// next start is in English; the window in front of the operator is not hurt.
void StoreLanguage(Language language);
