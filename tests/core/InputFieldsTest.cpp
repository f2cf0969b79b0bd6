#include <gtest/gtest.h>

#include <cstdint>

#include "core/InputFields.h"

namespace {

// Each accepted range's neighbours on both sides, and the characters the
// modes single out.
struct FilterCase {
    std::uint32_t character;
    bool alnumOnly;
    bool noLineBreaks;
};

const FilterCase kFilterCases[] = {
    {'/', false, true},  {'0', true, true},   {'9', true, true},    {':', false, true},
    {'@', false, true},  {'A', true, true},   {'Z', true, true},    {'[', false, true},
    {'`', false, true},  {'a', true, true},   {'z', true, true},    {'{', false, true},
    {0x7F, false, true}, {' ', false, true},  {'\b', true, true},   {'\t', false, true},
    {'\r', false, false}, {'\n', false, false}, {0x0410, false, true}, {0x4EA4, false, true},
    {0xFF10, false, true},  // fullwidth digit zero: not ASCII
};

TEST(InputFieldsTest, EachModeAcceptsExactlyItsCharacters)
{
    for (const FilterCase& c : kFilterCases) {
        SCOPED_TRACE(testing::Message() << "character 0x" << std::hex << c.character);
        EXPECT_EQ(AcceptsCharacter(AlnumOnly, c.character), c.alnumOnly);
        EXPECT_EQ(AcceptsCharacter(NoLineBreaks, c.character), c.noLineBreaks);
        EXPECT_TRUE(AcceptsCharacter(AnyChar, c.character));
        EXPECT_TRUE(AcceptsCharacter(7, c.character)) << "an unknown mode accepts everything";
    }
}

TEST(InputFieldsTest, LimitsLeaveRoomForTheTerminatorOfEachRecordField)
{
    // A limit past its field would let the window send a cut text.
    EXPECT_LT(RuleOf(InputField::CameraId).maxChars, static_cast<size_t>(kCameraIdLength));
    EXPECT_LT(RuleOf(InputField::UserId).maxChars, static_cast<size_t>(kUserIdLength));
    EXPECT_LT(RuleOf(InputField::DepartmentId).maxChars, static_cast<size_t>(kDepartmentIdLength));
    EXPECT_LE(RuleOf(InputField::UserName).maxChars * 2, kNameBytes) << "16 two-byte characters fit";
    EXPECT_EQ(RuleOf(InputField::UserName).mode, AnyChar);
    EXPECT_EQ(RuleOf(InputField::DepartmentName).mode, NoLineBreaks);
}

}  // namespace
