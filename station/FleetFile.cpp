#include "station/FleetFile.h"

#include <array>
#include <cstdint>

#include "station/CsvReader.h"
#include "station/FieldMessages.h"
#include "station/IdentityFields.h"
#include "station/ShownText.h"
#include "core/FieldRules.h"

namespace {

// The columns: the serial number, then the identity fields in their table's
// order.
constexpr std::size_t kSerialColumn = 0;
constexpr std::size_t kColumns = 1 + kIdentityFieldCount;
using Positions = std::array<std::size_t, kColumns>;

std::string ColumnName(std::size_t column)
{
    return column == kSerialColumn ? "serial" : kIdentityFields[column - 1].key;
}

void Report(Fleet& fleet, std::size_t line, const std::string& what)
{
    fleet.problems.push_back(std::to_string(line) + ": " + what);
}

// Where each column sits in the rows; false (with problems) when the header
// misses one, repeats one, or names one this file has no use for.
bool MapHeader(const CsvRecord& header, Positions& position, Fleet& fleet)
{
    position.fill(SIZE_MAX);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        std::size_t column = 0;
        while (column < kColumns && header.fields[i] != ColumnName(column)) {
            ++column;
        }
        if (column == kColumns) {
            Report(fleet, header.line, "unknown column " + Quoted(header.fields[i]));
        } else if (position[column] != SIZE_MAX) {
            Report(fleet, header.line, "column " + Quoted(header.fields[i]) + " appears twice");
        } else {
            position[column] = i;
        }
    }
    for (std::size_t column = 0; column < kColumns; ++column) {
        if (position[column] == SIZE_MAX) {
            Report(fleet, header.line, "missing column \"" + ColumnName(column) + "\"");
        }
    }
    return fleet.problems.empty();
}

void AddRow(const CsvRecord& record, const Positions& position, std::size_t columns, Fleet& fleet)
{
    if (record.fields.size() != columns) {
        Report(fleet, record.line, std::to_string(record.fields.size()) + " fields where the header has "
                                       + std::to_string(columns));
        return;
    }
    FleetRow row;
    row.line = record.line;
    row.serial = record.fields[position[kSerialColumn]];
    bool sound = true;
    if (!IsValidSerial(row.serial)) {
        Report(fleet, record.line, row.serial.empty() ? "no serial number" : SerialMessage());
        sound = false;
    }
    for (std::size_t column = 1; column < kColumns; ++column) {
        const IdentityField& identity = kIdentityFields[column - 1];
        const std::string& value = record.fields[position[column]];
        const FieldProblem problem = CheckField(identity.field, value);
        if (problem != FieldProblem::None) {
            Report(fleet, record.line, FieldMessage(identity.field, value, problem));
            sound = false;
            continue;
        }
        DecodeStrictUtf8(value, row.identity.*identity.text);
    }
    const auto earlier = fleet.rows.find(row.serial);
    if (sound && earlier != fleet.rows.end()) {
        Report(fleet, record.line, "serial number " + row.serial + " is already on line "
                                       + std::to_string(earlier->second.line));
        sound = false;
    }
    if (sound) {
        fleet.rows.emplace(row.serial, std::move(row));
    }
}

}  // namespace

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
    Positions position;
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
