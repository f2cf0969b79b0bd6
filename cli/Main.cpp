// The program's entry: the vendor library kept out of the current folder,
// the camera seam bound to Telvix, the arguments handed on as UTF-8 with
// the local host.
#include "camera/CameraLibrary.h"
#include "camera/DllSearch.h"
#include "cli/Orvanectl.h"
#include "platform/LocalHost.h"

#ifdef _WIN32
#include <cwchar>
#include <string>
#include <vector>

#include "core/CodePages.h"
#endif

namespace {

void BindTheCamera()
{
    LeaveTheCurrentFolderOffTheDllSearch();
    g_cameraLibrary = &TelvixLibraryWithSerialNumbers();
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    BindTheCamera();
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) {
        texts.push_back(EncodeUtf8(argv[i], std::wcslen(argv[i])));
    }
    std::vector<const char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(text.c_str());
    }
    platform::LocalHost host;
    return Orvanectl(argc, pointers.data(), host);
}
#else
int main(int argc, char** argv)
{
    BindTheCamera();
    platform::LocalHost host;
    return Orvanectl(argc, argv, host);
}
#endif
