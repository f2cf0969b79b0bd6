// The program's English texts that these tests expect to see, word for word.
#pragma once

namespace e2e::text {

inline constexpr wchar_t kTitle[] = L"Stand-Alone Kestrava";
inline constexpr wchar_t kConnectDevice[] = L"Connect device";
inline constexpr wchar_t kDisconnectDevice[] = L"Disconnect device";
inline constexpr wchar_t kAdministrator[] = L"Administrator";
inline constexpr wchar_t kUser[] = L"User";
inline constexpr wchar_t kOk[] = L"OK";

inline constexpr wchar_t kConnectFailed[] = L"Connect device failed.Please check if device connected.";
inline constexpr wchar_t kConnectFirst[] = L"Please press \"Connect device\" button first";
inline constexpr wchar_t kSignInFailed[] = L"Sign in failed.";

inline constexpr wchar_t kTimeDone[] = L"Time Synchronizer has finished";
inline constexpr wchar_t kTimeFailed[] = L"Calibrate time failed!";
inline constexpr wchar_t kResolution[] = L"Current video resoulution:";
inline constexpr wchar_t kBattery[] = L"Current Battery life:";
inline constexpr wchar_t kFail[] = L"fail";

inline constexpr wchar_t kSetSuccessful[] = L"Set successful.";
inline constexpr wchar_t kSetFailed[] = L"Set failed.";
inline constexpr wchar_t kCameraIdLength[] = L"The length of the camera ID is 7!";
inline constexpr wchar_t kUserIdLength[] = L"The length of user ID is 6!";

inline constexpr wchar_t kPasswordLength[] = L"The length of the password must be 6!";
inline constexpr wchar_t kPasswordsDiffer[] = L"The two password is inconsistent";
inline constexpr wchar_t kPasswordChanged[] = L"The password modify successfully!";
inline constexpr wchar_t kPasswordNotChanged[] = L"The Password modify failed!";

inline constexpr wchar_t kStorageOn[] = L"Camera has entered to u-disk";
inline constexpr wchar_t kStorageFailed[] = L"Camera enter U-disk failed!";
inline constexpr wchar_t kFormatTitle[] = L"Format TF Card";
inline constexpr wchar_t kFormatQuestion[] = L"Confirm to format card?";
inline constexpr wchar_t kYes[] = L"Yes";
inline constexpr wchar_t kNo[] = L"No";
inline constexpr wchar_t kFormatDone[] = L"Format Success!";
inline constexpr wchar_t kFormatFailed[] = L"Format Failed!";

inline constexpr wchar_t kAlnumOnly[] = L"Input must be number or letter!";
inline constexpr wchar_t kNoLineBreaks[] = L"Input can't be space!";

} // namespace e2e::text
