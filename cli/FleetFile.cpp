#include "cli/FleetFile.h"

#include <array>
#include <cstdint>

#include "cli/CsvReader.h"
#include "cli/FieldMessages.h"
#include "core/FieldRules.h"

namespace {

enum Column { kSerial, kCameraId, kUserId, kUserName, kDepartmentId, kDepartmentName, kColumns };

const std::array<const char*, kColumns> kColumnNames = {
    "serial", "camera_id", "user_id", "user_name", "department_id", "department_name"};

struct IdentityColumn {
    Column column;
    InputField field;
};

const IdentityColumn kIdentityColumns[] = {
    {kCameraId, InputField::CameraId},         {kUserId, InputField::UserId},
    {kUserName, InputField::UserName},         {kDepartmentId, InputField::DepartmentId},
    {kDepartmentName, InputField::DepartmentName}};

void Report(Fleet& fleet, std::size_t line, const std::string& what)
{
    fleet.problems.push_back(std::to_string(line) + ": " + what);
}

// Where each column sits in the rows; false (with problems) when the header
// misses one, repeats one, or names one this file has no use for.
bool MapHeader(const CsvRecord& header, std::array<std::size_t, kColumns>& position, Fleet& fleet)
{
    position.fill(SIZE_MAX);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        std::size_t column = 0;
        while (column < kColumns && header.fields[i] != kColumnNames[column]) {
            ++column;
        }
        if (column == kColumns) {
            Report(fleet, header.line, "unknown column \"" + header.fields[i] + "\"");
        } else if (position[column] != SIZE_MAX) {
            Report(fleet, header.line, "column \"" + header.fields[i] + "\" appears twice");
        } else {
            position[column] = i;
        }
    }
    for (std::size_t column = 0; column < kColumns; ++column) {
        if (position[column] == SIZE_MAX) {
            Report(fleet, header.line, std::string("missing column \"") + kColumnNames[column] + "\"");
        }
    }
    return fleet.problems.empty();
}

void AddRow(const CsvRecord& record, const std::array<std::size_t, kColumns>& position,
            std::size_t columns, Fleet& fleet)
{
    if (record.fields.size() != columns) {
        Report(fleet, record.line, std::to_string(record.fields.size()) + " fields where the header has "
                                       + std::to_string(columns));
        return;
    }
    const std::string& serial = record.fields[position[kSerial]];
    bool sound = true;
    if (!IsValidSerial(serial)) {
        Report(fleet, record.line, serial.empty() ? "no serial number" : SerialMessage());
        sound = false;
    }
    std::array<WideString, kColumns> texts;
    for (const IdentityColumn& identity : kIdentityColumns) {
        const std::string& value = record.fields[position[identity.column]];
        const FieldProblem problem = CheckField(identity.field, value);
        if (problem != FieldProblem::None) {
            Report(fleet, record.line, FieldMessage(identity.field, value, problem));
            sound = false;
            continue;
        }
        DecodeStrictUtf8(value, texts[identity.column]);
    }
    const auto earlier = fleet.rows.find(serial);
    if (sound && earlier != fleet.rows.end()) {
        Report(fleet, record.line, "serial number " + serial + " is already on line "
                                       + std::to_string(earlier->second.line));
        sound = false;
    }
    if (!sound) {
        return;
    }
    FleetRow row;
    row.line = record.line;
    row.serial = serial;
    row.identity = {texts[kCameraId], texts[kUserId], texts[kDepartmentId], texts[kUserName],
                    texts[kDepartmentName]};
    fleet.rows.emplace(serial, std::move(row));
}

}  // namespace

bool IsValidSerial(const std::string& serial)
{
    if (serial.empty() || serial.size() >= kSerialNoLength) {
        return false;
    }
    for (char c : serial) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

Fleet ParseFleet(std::string_view text)
{
    Fleet fleet;
    std::vector<CsvRecord> records;
    CsvError error;
    if (!ReadCsv(text, records, error)) {
        Report(fleet, error.line, error.what);
        return fleet;
    }
    if (records.empty()) {
        Report(fleet, 1, "no header row");
        return fleet;
    }
    std::array<std::size_t, kColumns> position;
    if (!MapHeader(records[0], position, fleet)) {
        return fleet;
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        AddRow(records[i], position, records[0].fields.size(), fleet);
    }
    if (fleet.problems.empty() && fleet.rows.empty()) {
        Report(fleet, records[0].line, "no camera rows after the header");
    }
    return fleet;
}
