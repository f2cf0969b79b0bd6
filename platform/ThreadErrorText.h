// Why the last failed call on this thread failed, kept per thread as the
// system keeps its error code: `thread_local platform::ThreadErrorText`.
// A fixed buffer with no destructor, never a std::string: when a thread
// ends in the MinGW static posix-thread build, the storage of its
// thread_local objects is freed before their destructors run, so a
// string's destructor read its pointer from freed memory, by then handed
// out again, and freed whatever text stood there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform {

class ThreadErrorText {
public:
    static constexpr std::size_t kCapacity = 4096;

    // A longer text keeps its start and its end (the system's reason),
    // cut on whole UTF-8 characters around an ellipsis.
    void Set(std::string_view text);
    void Clear() { size_ = 0; }
    bool Empty() const { return size_ == 0; }
    std::string Text() const { return std::string(text_, size_); }

private:
    char text_[kCapacity] = {};
    std::size_t size_ = 0;
};

static_assert(std::is_trivially_destructible_v<ThreadErrorText>,
              "thread_local objects must not need a destructor in the static MinGW build");

}  // namespace platform
