#include "core/DisplayTexts.h"

#include <cstdio>

#include "core/TextConversions.h"

namespace {

// Numbers are formatted narrow and decoded as the camera's texts are.
template <typename... Values>
WideString Formatted(const char* format, Values... values)
{
    char text[100] = {};
    if (std::snprintf(text, sizeof text, format, values...) < 0) {
        return WideString();
    }
    return AnsiToWide(text);
}

}  // namespace

WideString TimeDisplay(const LocalClock& now, const WideChar* outcome)
{
    return Formatted("%04d-%02d-%02d %02d:%02d:%02d --", now.year, now.month, now.day, now.hour, now.minute,
                     now.second)
           + outcome;
}

WideString ResolutionDisplay(const WideChar* label, bool read, int width, int height)
{
    return read ? label + Formatted("%d*%d", width, height) : WideString(label);
}

WideString BatteryDisplay(const WideChar* label, bool read, int level)
{
    return read ? label + Formatted("%d%%", level) : WideString(label);
}

WideString IdentityNotice(BuildResult result, const WideChar* entry)
{
    switch (result) {
    case BuildResult::CameraIdLength:
        return entry + Formatted(" %d!", static_cast<int>(kCameraIdChars));
    case BuildResult::UserIdLength:
        return entry + Formatted(" %d!", static_cast<int>(kUserIdChars));
    case BuildResult::Ok:
    case BuildResult::NameTooLong:
        break;
    }
    return entry;
}
