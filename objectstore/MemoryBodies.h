// Bodies held in memory: small objects such as tag files, the store's XML
// answers, and request documents.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "objectstore/HttpTransport.h"

namespace objectstore {

// Gives at most `block` bytes a read (a test's odd-sized blocks, as a file
// read would give them).
class StringSource final : public BodySource {
public:
    explicit StringSource(std::string bytes, std::size_t block = SIZE_MAX) : bytes_(std::move(bytes)), block_(block) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Rewind() override
    {
        at_ = 0;
        return true;
    }
    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        count = std::min({capacity, bytes_.size() - at_, block_});
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return true;
    }

private:
    std::string bytes_;
    std::size_t block_;
    std::size_t at_ = 0;
};

// Refuses more than `limit` bytes, so that a runaway answer cannot take the
// address space.
class StringSink final : public BodySink {
public:
    explicit StringSink(std::size_t limit) : limit_(limit) {}
    bool Write(const void* bytes, std::size_t count) override
    {
        if (count > limit_ - text_.size()) {
            return false;
        }
        text_.append(static_cast<const char*>(bytes), count);
        return true;
    }
    const std::string& Text() const { return text_; }

private:
    std::size_t limit_;
    std::string text_;
};

}  // namespace objectstore
