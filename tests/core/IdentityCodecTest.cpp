#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/IdentityCodec.h"

namespace {

const WideString kCyrillic16 = WIDE("\u0410\u0411\u0412\u0413\u0414\u0415\u0416\u0417"
                                    "\u0418\u0419\u041A\u041B\u041C\u041D\u041E\u041F");

WideString Ideographs(size_t count)
{
    return WideString(count, static_cast<WideChar>(0x4EA4));
}

IdentityTexts ValidIds()
{
    IdentityTexts texts;
    texts.cameraId = WIDE("CAM0001");
    texts.userId = WIDE("123456");
    return texts;
}

IdentityRecord FilledRecord(unsigned char value)
{
    IdentityRecord record;
    std::memset(record.bytes, value, sizeof record.bytes);
    return record;
}

bool AllZero(const IdentityRecord& record, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (record.bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

std::string Bytes(const IdentityRecord& record, size_t from, size_t to)
{
    return std::string(reinterpret_cast<const char*>(record.bytes + from), to - from);
}

void Put(IdentityRecord& record, size_t offset, const std::string& bytes)
{
    std::memcpy(record.bytes + offset, bytes.data(), bytes.size());
}

TEST(BuildIdentityRecordTest, PlacesBothIdsAndZeroFillsTheRest)
{
    IdentityRecord record = FilledRecord(0xEE);

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(ValidIds(), record));
    EXPECT_EQ("CAM0001", Bytes(record, 0, 7));
    EXPECT_EQ(0, record.bytes[7]);
    EXPECT_EQ("123456", Bytes(record, 8, 14));
    EXPECT_TRUE(AllZero(record, 14, kIdentityRecordSize));
}

struct WrongIdCase {
    const char* name;
    WideString cameraId;
    WideString userId;
    BuildResult verdict;
};

void PrintTo(const WrongIdCase& c, std::ostream* out) { *out << c.name; }

class BuildWrongIdTest : public ::testing::TestWithParam<WrongIdCase> {};

TEST_P(BuildWrongIdTest, ReportsTheFirstWrongLength)
{
    IdentityTexts texts = ValidIds();
    texts.cameraId = GetParam().cameraId;
    texts.userId = GetParam().userId;
    IdentityRecord record;

    EXPECT_EQ(GetParam().verdict, BuildIdentityRecord(texts, record));
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildWrongIdTest, ::testing::Values(
    WrongIdCase{"CameraIdOfSix", WIDE("CAM001"), WIDE("123456"), BuildResult::CameraIdLength},
    WrongIdCase{"CameraIdOfEight", WIDE("CAM00001"), WIDE("123456"), BuildResult::CameraIdLength},
    WrongIdCase{"CameraIdCutByCyrillic", WIDE("CAM\u04180001"), WIDE("123456"), BuildResult::CameraIdLength},
    WrongIdCase{"BothEmptyNamesTheCameraId", WIDE(""), WIDE(""), BuildResult::CameraIdLength},
    WrongIdCase{"UserIdOfFive", WIDE("CAM0001"), WIDE("12345"), BuildResult::UserIdLength},
    WrongIdCase{"UserIdOfSeven", WIDE("CAM0001"), WIDE("1234567"), BuildResult::UserIdLength},
    WrongIdCase{"UserIdOfSixWideCharacters", WIDE("CAM0001"), WIDE("\u4EA4\u4EA4\u4EA4\u4EA4\u4EA4\u4EA4"), BuildResult::UserIdLength}),
    [](const ::testing::TestParamInfo<WrongIdCase>& info) { return info.param.name; });

TEST(BuildIdentityRecordTest, TwelveCharacterDepartmentIdFillsItsField)
{
    IdentityTexts texts = ValidIds();
    texts.departmentId = WIDE("DEPT00000012");
    IdentityRecord record;

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(texts, record));
    EXPECT_EQ("DEPT00000012", Bytes(record, 48, 60));
    EXPECT_EQ(0, record.bytes[60]);
}

TEST(BuildIdentityRecordTest, OverlongDepartmentIdStaysInsideItsField)
{
    IdentityTexts texts = ValidIds();
    texts.departmentId = WIDE("DEPARTMENT-ID-THAT-IS-LONG");
    IdentityRecord record;

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(texts, record));
    EXPECT_EQ("DEPARTMENT-ID", Bytes(record, 48, 61));
    EXPECT_TRUE(AllZero(record, 61, kIdentityRecordSize));
}

TEST(BuildIdentityRecordTest, SixteenCyrillicLettersFillTheNameExactly)
{
    IdentityTexts texts = ValidIds();
    texts.userName = kCyrillic16;
    IdentityRecord record;

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(texts, record));
    EXPECT_EQ("\xD0\x90\xD0\x91", Bytes(record, 15, 19));
    EXPECT_EQ("\xD0\x9F", Bytes(record, 45, 47));
    EXPECT_EQ(0, record.bytes[47]);
}

TEST(BuildIdentityRecordTest, TenIdeographsAreStored)
{
    IdentityTexts texts = ValidIds();
    texts.departmentName = Ideographs(10);
    IdentityRecord record;

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(texts, record));
    EXPECT_EQ("\xE4\xBA\xA4", Bytes(record, 61, 64));
    EXPECT_TRUE(AllZero(record, 91, kIdentityRecordSize));
}

TEST(BuildIdentityRecordTest, NameThatDoesNotFitIsReportedAndNotCut)
{
    for (bool inUserName : {true, false}) {
        IdentityTexts texts = ValidIds();
        (inUserName ? texts.userName : texts.departmentName) = Ideographs(11);
        IdentityRecord record;

        EXPECT_EQ(BuildResult::NameTooLong, BuildIdentityRecord(texts, record));
        EXPECT_TRUE(AllZero(record, 15, 48));
        EXPECT_TRUE(AllZero(record, 61, kIdentityRecordSize));
    }
}

TEST(BuildIdentityRecordTest, WrongIdTakesPrecedenceOverALongName)
{
    IdentityTexts texts = ValidIds();
    texts.userId = WIDE("12345");
    texts.userName = Ideographs(11);
    IdentityRecord record;

    EXPECT_EQ(BuildResult::UserIdLength, BuildIdentityRecord(texts, record));
}

TEST(ParseIdentityRecordTest, ZeroRecordGivesFiveEmptyTexts)
{
    const IdentityTexts texts = ParseIdentityRecord(FilledRecord(0));

    for (const WideString* text : {&texts.cameraId, &texts.userId, &texts.departmentId,
                                   &texts.userName, &texts.departmentName}) {
        EXPECT_EQ(WIDE(""), *text);
    }
}

TEST(ParseIdentityRecordTest, NameOfThirtyOneLettersReadsBackWhole)
{
    IdentityRecord record = FilledRecord(0);
    Put(record, kUserNameOffset, std::string(31, 'n'));

    EXPECT_EQ(WideString(31, 'n'), ParseIdentityRecord(record).userName);
}

TEST(ParseIdentityRecordTest, NameOfThirtyTwoLettersReadsBackEmpty)
{
    IdentityRecord record = FilledRecord(0);
    Put(record, kUserNameOffset, std::string(32, 'n'));
    Put(record, kDepartmentNameOffset, std::string(32, 'd'));

    const IdentityTexts texts = ParseIdentityRecord(record);
    EXPECT_EQ(WIDE(""), texts.userName);
    EXPECT_EQ(WIDE(""), texts.departmentName);
}

TEST(ParseIdentityRecordTest, DropsOneTrailingLineFeedOfAnId)
{
    IdentityRecord record = FilledRecord(0);
    Put(record, kDepartmentIdOffset, "D01\n");
    Put(record, kUserIdOffset, "12\n\n");

    const IdentityTexts texts = ParseIdentityRecord(record);
    EXPECT_EQ(WIDE("D01"), texts.departmentId);
    EXPECT_EQ(WIDE("12\n"), texts.userId);
}

TEST(ParseIdentityRecordTest, FieldsWithoutZeroByteStayInsideTheirRange)
{
    const IdentityTexts texts = ParseIdentityRecord(FilledRecord('A'));

    EXPECT_EQ(WideString(kCameraIdLength, 'A'), texts.cameraId);
    EXPECT_EQ(WideString(kUserIdLength, 'A'), texts.userId);
    EXPECT_EQ(WideString(kDepartmentIdLength, 'A'), texts.departmentId);
    // 33 letters need 34 units with the terminator: refused.
    EXPECT_EQ(WIDE(""), texts.userName);
    EXPECT_EQ(WIDE(""), texts.departmentName);
}

TEST(ParseIdentityRecordTest, ReadsNothingPastTheRecord)
{
    // The record sits at the very end of an exact-size heap block, so a read
    // past its last byte is caught by the sanitizer build.
    std::vector<unsigned char> block(sizeof(IdentityRecord), 'B');
    auto* record = reinterpret_cast<IdentityRecord*>(block.data());

    EXPECT_EQ(WideString(kDepartmentIdLength, 'B'), ParseIdentityRecord(*record).departmentId);
}

TEST(IdentityRoundTripTest, BuiltRecordParsesBackToTheSameTexts)
{
    IdentityTexts texts = ValidIds();
    texts.departmentId = WIDE("D01");
    texts.userName = WIDE("\u0418\u0432\u0430\u043D \u041F\u0435\u0442\u0440\u043E\u0432");
    texts.departmentName = WIDE("\u4EA4\u901A\u652F\u961F");
    IdentityRecord record;

    ASSERT_EQ(BuildResult::Ok, BuildIdentityRecord(texts, record));
    const IdentityTexts back = ParseIdentityRecord(record);
    EXPECT_EQ(texts.cameraId, back.cameraId);
    EXPECT_EQ(texts.userId, back.userId);
    EXPECT_EQ(texts.departmentId, back.departmentId);
    EXPECT_EQ(texts.userName, back.userName);
    EXPECT_EQ(texts.departmentName, back.departmentName);
}

}  // namespace
