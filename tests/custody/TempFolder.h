// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends. Its path is UTF-8, as the custody code takes it.
#pragma once

#include <algorithm>
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
        std::string name = std::string("orvane-custody-") + (test ? test->name() : "test") + "-"
                           + std::to_string(Process()) + "-" + std::to_string(serial++);
        // A parameterised test's name holds '/', which the \\?\ removal below would not take as a separator.
        std::replace(name.begin(), name.end(), '/', '-');
        path_ = std::filesystem::temp_directory_path() / name;
        RemoveAll(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { RemoveAll(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return path_.u8string(); }

private:
    static unsigned long Process();
    static void RemoveAll(const std::filesystem::path& path);

    std::filesystem::path path_;
};

#ifdef _WIN32
#include <process.h>
#include <windows.h>

inline unsigned long TempFolder::Process() { return static_cast<unsigned long>(_getpid()); }

// The tests make paths beyond 260 characters, which std::filesystem of
// MinGW cannot remove; the W calls can, under the \\?\ prefix.
inline void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

inline void TempFolder::RemoveAll(const std::filesystem::path& path)
{
    RemoveTree(L"\\\\?\\" + std::filesystem::absolute(path).wstring());
}
#else
#include <unistd.h>

inline unsigned long TempFolder::Process() { return static_cast<unsigned long>(getpid()); }

inline void TempFolder::RemoveAll(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
#endif
