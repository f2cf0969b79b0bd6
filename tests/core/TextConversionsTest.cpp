#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/TextConversions.h"

namespace {

constexpr char kGuard = '\x5A';
constexpr WideChar kWideGuard = 0x5A5A;

WideString Repeat(const WideString& piece, size_t times)
{
    WideString text;
    for (size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

const WideString kIdeograph = WIDE("\u4EA4");  // 3 bytes of UTF-8

TEST(AnsiToWideTest, DropsOneTrailingLineFeedInTheCallersBuffer)
{
    char text[] = "abc\n";
    EXPECT_EQ(WIDE("abc"), AnsiToWide(text));
    EXPECT_STREQ("abc", text);
}

TEST(AnsiToWideTest, KeepsTheCarriageReturnBeforeTheLineFeed)
{
    char text[] = "abc\r\n";
    EXPECT_EQ(WIDE("abc\r"), AnsiToWide(text));
    EXPECT_STREQ("abc\r", text);
}

TEST(AnsiToWideTest, DropsOnlyOneLineFeed)
{
    char text[] = "a\n\n";
    EXPECT_EQ(WIDE("a\n"), AnsiToWide(text));
}

TEST(AnsiToWideTest, EmptyAndLoneLineFeedGiveEmptyText)
{
    char empty[] = "";
    char lineFeed[] = "\n";
    EXPECT_EQ(WIDE(""), AnsiToWide(empty));
    EXPECT_EQ(WIDE(""), AnsiToWide(lineFeed));
    EXPECT_EQ(WIDE(""), AnsiToWide(nullptr));
}

struct Utf8ToWideCase {
    const char* name;
    std::string source;
    size_t units;          // returned; 0 means refused
    WideString expected;   // written text when accepted
};

void PrintTo(const Utf8ToWideCase& c, std::ostream* out) { *out << c.name; }

class Utf8ToWideTest : public ::testing::TestWithParam<Utf8ToWideCase> {};

TEST_P(Utf8ToWideTest, ConvertsWithinTheLimitAndLeavesTheRestAlone)
{
    const Utf8ToWideCase& c = GetParam();
    WideChar destination[kUtf8ToWideLimit + 4];
    std::fill(std::begin(destination), std::end(destination), kWideGuard);

    ASSERT_EQ(c.units, Utf8ToWide(c.source.c_str(), destination));
    const size_t written = c.units;
    if (written > 0) {
        EXPECT_EQ(c.expected, WideString(destination));
    }
    for (size_t i = written; i < std::size(destination); ++i) {
        ASSERT_EQ(kWideGuard, destination[i]) << "unit " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8ToWideTest, ::testing::Values(
    Utf8ToWideCase{"ThirtyOneAsciiLettersFit", std::string(31, 'a'), 32, WideString(31, 'a')},
    Utf8ToWideCase{"ThirtyTwoAsciiLettersAreRefused", std::string(32, 'a'), 0, WIDE("")},
    Utf8ToWideCase{"EmptyIsRefused", "", 0, WIDE("")},
    Utf8ToWideCase{"Cyrillic", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", 5, WIDE("\u0418\u0432\u0430\u043D")},
    Utf8ToWideCase{"SupplementaryBecomesASurrogatePair", "\xF0\x9F\x98\x80", 3, WIDE("\U0001F600")},
    Utf8ToWideCase{"StrayContinuationByteIsReplaced", "a\x80z", 4, WIDE("a\uFFFDz")},
    Utf8ToWideCase{"TruncatedSequenceAtTheEndIsReplaced", "a\xE4\xBA", 3, WIDE("a\uFFFD")}),
    [](const ::testing::TestParamInfo<Utf8ToWideCase>& info) { return info.param.name; });

TEST(Utf8ToWideTest, NullSourceIsRefused)
{
    WideChar destination[kUtf8ToWideLimit];
    std::fill(std::begin(destination), std::end(destination), kWideGuard);
    EXPECT_EQ(0u, Utf8ToWide(nullptr, destination));
    EXPECT_EQ(kWideGuard, destination[0]);
}

struct WideToUtf8Case {
    const char* name;
    WideString source;
    size_t bytes;          // returned; 0 means refused
    std::string expected;  // written text when accepted
};

void PrintTo(const WideToUtf8Case& c, std::ostream* out) { *out << c.name; }

class WideToUtf8Test : public ::testing::TestWithParam<WideToUtf8Case> {};

TEST_P(WideToUtf8Test, ConvertsWithinTheLimitAndLeavesTheRestAlone)
{
    const WideToUtf8Case& c = GetParam();
    char destination[kWideToUtf8Limit + 4];
    std::memset(destination, kGuard, sizeof destination);

    ASSERT_EQ(c.bytes, WideToUtf8(c.source.c_str(), destination));
    if (c.bytes > 0) {
        EXPECT_EQ(c.expected, std::string(destination));
    }
    for (size_t i = c.bytes; i < sizeof destination; ++i) {
        ASSERT_EQ(kGuard, destination[i]) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WideToUtf8Test, ::testing::Values(
    WideToUtf8Case{"ThirtyTwoAsciiLettersFit", WideString(32, 'a'), 33, std::string(32, 'a')},
    WideToUtf8Case{"ThirtyThreeAsciiLettersAreRefused", WideString(33, 'a'), 0, ""},
    WideToUtf8Case{"TenIdeographsFit", Repeat(kIdeograph, 10), 31, [] {
        std::string s;
        for (int i = 0; i < 10; ++i) s += "\xE4\xBA\xA4";
        return s;
    }()},
    WideToUtf8Case{"ElevenIdeographsAreRefused", Repeat(kIdeograph, 11), 0, ""},
    WideToUtf8Case{"EmptyIsRefused", WIDE(""), 0, ""},
    WideToUtf8Case{"SurrogatePairIsOneFourByteSequence", WIDE("\U0001F600"), 5, "\xF0\x9F\x98\x80"},
    WideToUtf8Case{"UnpairedHighSurrogateBecomesReplacement",
                   WideString{0xD83D, 'x'}, 5, "\xEF\xBF\xBDx"},
    WideToUtf8Case{"UnpairedLowSurrogateBecomesReplacement",
                   WideString{'x', 0xDE00}, 5, "x\xEF\xBF\xBD"}),
    [](const ::testing::TestParamInfo<WideToUtf8Case>& info) { return info.param.name; });

TEST(WideToUtf8Test, NullSourceIsRefused)
{
    char destination[kWideToUtf8Limit];
    std::memset(destination, kGuard, sizeof destination);
    EXPECT_EQ(0u, WideToUtf8(nullptr, destination));
    EXPECT_EQ(kGuard, destination[0]);
}

TEST(Utf8RoundTripTest, NamesSurviveBothDirections)
{
    for (const WideString& name : {WideString(WIDE("\u0418\u0432\u0430\u043D \u041F\u0435\u0442\u0440\u043E\u0432")),
                                   WideString(WIDE("\u4EA4\u901A\u652F\u961F")),
                                   WideString(WIDE("Z\u00FCrich \U0001F600"))}) {
        char bytes[kWideToUtf8Limit] = {};
        ASSERT_NE(0u, WideToUtf8(name.c_str(), bytes));
        WideChar back[kUtf8ToWideLimit] = {};
        ASSERT_EQ(name.size() + 1, Utf8ToWide(bytes, back));
        EXPECT_EQ(name, WideString(back));
    }
}

}  // namespace
