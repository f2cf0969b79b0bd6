// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends. Its path is UTF-8, as the custody code takes it.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<unsigned> serial{0};
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string("orvane-custody-") + (test ? test->name() : "test") + "-"
                                 + std::to_string(Process()) + "-" + std::to_string(serial++);
        std::filesystem::path path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(Long(path));
        std::filesystem::create_directories(path);
        path_ = path;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Long(path_), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return path_.u8string(); }

private:
    static unsigned long Process();
    // The tests make paths beyond 260 characters; Windows removes them only
    // under the \\?\ prefix.
    static std::filesystem::path Long(const std::filesystem::path& path)
    {
#ifdef _WIN32
        return std::filesystem::path(L"\\\\?\\" + std::filesystem::absolute(path).wstring());
#else
        return path;
#endif
    }

    std::filesystem::path path_;
};

#ifdef _WIN32
#include <process.h>
inline unsigned long TempFolder::Process() { return static_cast<unsigned long>(_getpid()); }
#else
#include <unistd.h>
inline unsigned long TempFolder::Process() { return static_cast<unsigned long>(getpid()); }
#endif
