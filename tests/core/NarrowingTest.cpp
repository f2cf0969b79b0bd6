#include <gtest/gtest.h>

#include <cstring>

#include "core/TextConversions.h"

namespace {

constexpr char kGuard = '\x5A';

struct NarrowCase {
    const char* name;
    WideString text;
    size_t size;
    size_t written;
    const char* bytes;  // the `written` bytes expected
};

void PrintTo(const NarrowCase& c, std::ostream* out) { *out << c.name; }

class NarrowIntoTest : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowIntoTest, WritesTheExpectedBytesAndNothingBeyond)
{
    const NarrowCase& c = GetParam();
    char buffer[32];
    std::memset(buffer, kGuard, sizeof buffer);

    EXPECT_EQ(c.written, NarrowInto(c.text.c_str(), buffer, c.size));
    EXPECT_EQ(0, std::memcmp(c.bytes, buffer, c.written));
    for (size_t i = c.written; i < sizeof buffer; ++i) {
        ASSERT_EQ(kGuard, buffer[i]) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, NarrowIntoTest, ::testing::Values(
    NarrowCase{"CopiesTheTerminator", WIDE("abc"), 10, 4, "abc\0"},
    NarrowCase{"EmptyTextWritesOnlyTheTerminator", WIDE(""), 10, 1, "\0"},
    NarrowCase{"StopsAtTheSizeWithoutTerminator", WIDE("ABCDEFGH"), 8, 8, "ABCDEFGH"},
    NarrowCase{"ExactFitKeepsTheTerminator", WIDE("ABCDEFG"), 8, 8, "ABCDEFG\0"},
    NarrowCase{"KeepsLatin1AsSameValueBytes", WIDE("\u00E9\u00FF"), 10, 3, "\xE9\xFF\0"},
    NarrowCase{"StopsBeforeACharacterAboveU00FF", WIDE("ab\u0100cd"), 10, 2, "ab"},
    NarrowCase{"CyrillicWritesNothing", WIDE("\u0418\u0432"), 10, 0, ""},
    NarrowCase{"ZeroSizeWritesNothing", WIDE("abc"), 0, 0, ""}),
    [](const ::testing::TestParamInfo<NarrowCase>& info) { return info.param.name; });

TEST(NarrowIntoTerminatedTest, CutsOneByteShortToKeepTheZero)
{
    char buffer[8];
    std::memset(buffer, kGuard, sizeof buffer);

    EXPECT_EQ(5u, NarrowIntoTerminated(WIDE("ABCDEFGH"), buffer, 6));
    EXPECT_STREQ("ABCDE", buffer);
    EXPECT_EQ(kGuard, buffer[6]);
}

TEST(NarrowIntoTerminatedTest, TerminatesAfterACharacterAboveU00FF)
{
    char buffer[8];
    std::memset(buffer, kGuard, sizeof buffer);

    EXPECT_EQ(2u, NarrowIntoTerminated(WIDE("ab\u20ACcd"), buffer, 8));
    EXPECT_STREQ("ab", buffer);
    EXPECT_EQ(kGuard, buffer[3]);
}

TEST(NarrowIntoTerminatedTest, ShortTextIsCopiedWithItsTerminator)
{
    char buffer[10];
    std::memset(buffer, kGuard, sizeof buffer);

    EXPECT_EQ(6u, NarrowIntoTerminated(WIDE("123456"), buffer, sizeof buffer));
    EXPECT_STREQ("123456", buffer);
    EXPECT_EQ(kGuard, buffer[7]);
}

TEST(NarrowIntoTerminatedTest, ZeroSizeWritesNothing)
{
    char guard = kGuard;
    EXPECT_EQ(0u, NarrowIntoTerminated(WIDE("abc"), &guard, 0));
    EXPECT_EQ(kGuard, guard);
}

}  // namespace
