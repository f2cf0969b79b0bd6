// A reader of comma-separated values as RFC 4180 writes them: fields in
// double quotes may hold commas, doubled quotes and line breaks; records end
// with CRLF or LF. A UTF-8 byte order mark at the start is skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord {
    std::size_t line;  // the line the record starts on, from 1
    std::vector<std::string> fields;
};

struct CsvError {
    std::size_t line = 0;
    std::string what;
};

// Reads every record of `text`. A line with nothing on it is no record.
// Returns false, with the first error, on a quote inside an unquoted field,
// text after a closing quote, or a quoted field left open.
bool ReadCsv(std::string_view text, std::vector<CsvRecord>& records, CsvError& error);
