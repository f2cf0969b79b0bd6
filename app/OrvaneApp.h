// The application object: prepares the common controls and runs the
// sign-in window; when that window ends, the program ends.
#pragma once

#include "core/WideText.h"

class COrvaneApp {
public:
    // Returns the program's exit code.
    int InitInstance();

    // The per-user key for profile settings; holds the chosen language.
    const WideString& registryKey() const { return m_registryKey; }

private:
    void SetRegistryKey(const WideChar* key) { m_registryKey = key; }

    WideString m_registryKey;
};
