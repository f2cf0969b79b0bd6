// Any 94 bytes from the camera parse without reading or writing out of
// bounds, and texts that build into a record parse back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/IdentityCodec.h"

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// A trailing line feed is dropped on reading, so such a text cannot come
// back as it went.
bool EndsWithLineFeed(const WideString& text)
{
    return !text.empty() && text.back() == '\n';
}

bool SameTexts(const IdentityTexts& a, const IdentityTexts& b)
{
    return a.cameraId == b.cameraId && a.userId == b.userId && a.departmentId == b.departmentId
        && a.userName == b.userName && a.departmentName == b.departmentName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IdentityRecord received = {};
    std::memcpy(received.bytes, data, size < sizeof received.bytes ? size : sizeof received.bytes);

    const IdentityTexts texts = ParseIdentityRecord(received);
    Require(texts.cameraId.size() <= kCameraIdLength);
    Require(texts.userId.size() <= kUserIdLength);
    Require(texts.departmentId.size() <= kDepartmentIdLength);
    Require(texts.userName.size() < 32 && texts.departmentName.size() < 32);

    IdentityRecord built;
    if (BuildIdentityRecord(texts, built) != BuildResult::Ok) {
        return 0;
    }
    if (EndsWithLineFeed(texts.cameraId) || EndsWithLineFeed(texts.userId)
        || EndsWithLineFeed(texts.departmentId)) {
        return 0;
    }
    Require(SameTexts(texts, ParseIdentityRecord(built)));
    return 0;
}
