#include "station/FleetFile.h"

#include <gtest/gtest.h>

#include "core/FieldRules.h"

namespace {

const std::string kHeader = "serial,camera_id,user_id,user_name,department_id,department_name\n";

std::string Problems(const std::string& text)
{
    std::string all;
    for (const std::string& problem : ParseFleet(text).problems) {
        all += problem + "\n";
    }
    return all;
}

TEST(FleetFile, ReportsEveryProblemWithItsLine)
{
    const struct {
        const char* name;
        std::string text;
        std::string problems;
    } cases[] = {
        {"empty file", "", "1: no header row\n"},
        {"header only", kHeader, "1: no camera rows after the header\n"},
        {"missing and unknown columns", "serial,camera_id,user_id,user_name,department_id,dept\n",
         "1: unknown column \"dept\"\n1: missing column \"department_name\"\n"},
        {"column twice", "serial," + kHeader, "1: column \"serial\" appears twice\n"},
        {"short row", kHeader + "S1,CAM0001\n", "2: 2 fields where the header has 6\n"},
        {"no serial", kHeader + ",CAM0001,000001,,,\n", "2: no serial number\n"},
        {"serial of 21 characters", kHeader + "123456789012345678901,CAM0001,000001,,,\n",
         "2: a serial number must be 1 to 20 printable ASCII characters\n"},
        {"duplicate serial", kHeader + "S1,CAM0001,000001,,,\nS1,CAM0002,000002,,,\n",
         "3: serial number S1 is already on line 2\n"},
        {"each broken field of a row",
         kHeader + "S1,CAM001,00001A7,\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80"
                   "\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80,D-1,\"a\nb\"\n",
         "2: camera_id \"CAM001\" must be exactly 7 letters or digits\n"
         "2: user_id \"00001A7\" must be exactly 6 letters or digits\n"
         "2: user_name \"\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80"
         "\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\" must be at most 16 characters and 32 bytes of UTF-8\n"
         "2: department_id \"D-1\" must be at most 12 letters or digits\n"
         "2: department_name \"a\\nb\" must be at most 16 characters and 32 bytes of UTF-8, without line breaks\n"},
        {"invalid UTF-8", kHeader + "S1,CAM0001,000001,\xC3\x28,,\n", "2: user_name is not valid UTF-8\n"},
        {"malformed CSV", kHeader + "S1,\"CAM0001\"x,000001,,,\n", "2: text after the closing quote of a field\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Problems(c.text), c.problems) << c.name;
    }
}

TEST(FleetFile, ReadsRowsInAnyColumnOrder)
{
    const Fleet fleet = ParseFleet(
        "\xEF\xBB\xBF" "department_name,user_name,serial,user_id,camera_id,department_id\r\n"
        "\"Traffic, North\",\"Anna \"\"Bo\"\" Lind\",SIM-7,004217,CAM0042,D07\r\n");
    ASSERT_EQ(fleet.problems.size(), 0u);
    const FleetRow& row = fleet.rows.at("SIM-7");
    EXPECT_EQ(row.line, 2u);
    EXPECT_EQ(row.identity.cameraId, WIDE("CAM0042"));
    EXPECT_EQ(row.identity.userId, WIDE("004217"));
    EXPECT_EQ(row.identity.userName, WIDE("Anna \"Bo\" Lind"));
    EXPECT_EQ(row.identity.departmentId, WIDE("D07"));
    EXPECT_EQ(row.identity.departmentName, WIDE("Traffic, North"));
}

TEST(FieldRules, HoldsValuesToTheWindowsLimits)
{
    const std::string cyrillic16 = "\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96"
                                   "\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96";
    const struct {
        InputField field;
        std::string value;
        FieldProblem problem;
    } cases[] = {
        {InputField::CameraId, "CAM0042", FieldProblem::None},
        {InputField::CameraId, "CAM004", FieldProblem::WrongLength},
        {InputField::CameraId, "CAM\b042", FieldProblem::BadCharacter},
        {InputField::CameraId, "CAM 042", FieldProblem::BadCharacter},
        {InputField::UserId, std::string("00421\0", 6), FieldProblem::BadCharacter},
        {InputField::DepartmentId, "", FieldProblem::None},
        {InputField::DepartmentId, "D12345678901", FieldProblem::None},
        {InputField::DepartmentId, "D123456789012", FieldProblem::WrongLength},
        {InputField::UserName, cyrillic16, FieldProblem::None},         // 16 characters, 32 bytes
        {InputField::UserName, "x" + cyrillic16, FieldProblem::WrongLength},
        {InputField::UserName, "abcdefghijklmnopq", FieldProblem::WrongLength},  // would read back empty
        {InputField::UserName, "a\nb", FieldProblem::ControlCharacter},
        {InputField::UserName, "a\x1b" "b", FieldProblem::ControlCharacter},
        {InputField::DepartmentName, "a\x7f", FieldProblem::ControlCharacter},
        {InputField::DepartmentName, "a\xC2\x9B", FieldProblem::ControlCharacter},  // C1
        {InputField::DepartmentName, "a\xC2\xA0", FieldProblem::None},
        {InputField::DepartmentName, "a\rb", FieldProblem::BadCharacter},
        {InputField::DepartmentName, "\xED\xA0\x80", FieldProblem::InvalidUtf8},  // a surrogate
        {InputField::AdminPassword, "abc123", FieldProblem::None},
        {InputField::AdminPassword, "abc12", FieldProblem::WrongLength},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckField(c.field, c.value), c.problem) << c.value;
    }
}

TEST(FieldRules, TakesSerialNumbersOfPrintableAscii)
{
    const struct {
        std::string serial;
        bool valid;
    } cases[] = {
        {" ", true}, {"~", true}, {"12345678901234567890", true},
        {"", false}, {"123456789012345678901", false},
        {"SN\x1f", false}, {"SN\x7f", false}, {"SN\x80", false}, {"SN\xC3\xA9", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidSerial(c.serial), c.valid) << c.serial;
    }
}

TEST(FieldRules, PutsOneFieldAndLeavesTheOthers)
{
    IdentityRecord record;
    for (size_t i = 0; i < sizeof record.bytes; ++i) {
        record.bytes[i] = static_cast<unsigned char>(0x41 + i % 26);
    }
    const IdentityRecord original = record;
    PutIdentityText(record, PlaceOf(&IdentityTexts::userName), WIDE("Ann"));
    for (size_t i = 0; i < sizeof record.bytes; ++i) {
        const bool inName = i >= kUserNameOffset && i < kUserNameOffset + kUserNameLength;
        const unsigned char expected = !inName ? original.bytes[i] : i < kUserNameOffset + 3 ? "Ann"[i - kUserNameOffset] : 0;
        EXPECT_EQ(record.bytes[i], expected) << "byte " << i;
    }
}

}  // namespace
