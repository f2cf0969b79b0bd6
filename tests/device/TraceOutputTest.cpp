// Trace lines reach the real standard output as exactly the bytes given,
// "\r\n" included (no text-mode translation).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "DeviceLink.h"
#include "telvix/Telvix.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sends standard output to `path` for the life of the object.
class StdoutToFile {
public:
    explicit StdoutToFile(const std::string& path) {
        std::fflush(stdout);
#ifdef _WIN32
        saved_ = GetStdHandle(STD_OUTPUT_HANDLE);
        file_ = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        SetStdHandle(STD_OUTPUT_HANDLE, file_);
#else
        saved_ = dup(STDOUT_FILENO);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
        close(fd);
#endif
    }
    ~StdoutToFile() {
#ifdef _WIN32
        SetStdHandle(STD_OUTPUT_HANDLE, saved_);
        CloseHandle(file_);
#else
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
#endif
    }

private:
#ifdef _WIN32
    HANDLE saved_;
    HANDLE file_;
#else
    int saved_;
#endif
};

TEST(TraceOutput, LinesReachStandardOutputByteForByte) {
    telvix::ResetForTesting();
    telvix::CurrentEnvironment().loadVendor = [] { return std::unique_ptr<telvix::VendorLink>(); };
    const std::string path = ::testing::TempDir() + "telvix-trace.txt";
    {
        StdoutToFile redirect(path);
        int status = 0;
        Init_Device(nullptr, &status);
        client_login(0, "x");
    }
    EXPECT_EQ("Cannot find NvUSB.dll\r\nclient_login type  Failed!\r\n", ReadFile(path));
    std::remove(path.c_str());
    telvix::ResetForTesting();
}

}  // namespace
