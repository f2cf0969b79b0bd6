#include "station/CsvReader.h"

#include <gtest/gtest.h>

namespace {

// Records as "line:field|field" lines, or "error line: what".
std::string Read(const std::string& text)
{
    std::vector<CsvRecord> records;
    CsvError error;
    if (!ReadCsv(text, records, error)) {
        return "error " + std::to_string(error.line) + ": " + error.what;
    }
    std::string shown;
    for (const CsvRecord& record : records) {
        shown += std::to_string(record.line) + ":";
        for (size_t i = 0; i < record.fields.size(); ++i) {
            shown += (i ? "|" : "") + record.fields[i];
        }
        shown += "\n";
    }
    return shown;
}

TEST(CsvReader, ReadsWhatRfc4180Writes)
{
    const struct {
        const char* name;
        std::string text;
        std::string records;
    } cases[] = {
        {"LF and no final line end", "a,b\nc,d", "1:a|b\n2:c|d\n"},
        {"CRLF", "a,b\r\nc,d\r\n", "1:a|b\n2:c|d\n"},
        {"byte order mark skipped", "\xEF\xBB\xBFserial,x\n", "1:serial|x\n"},
        {"empty fields kept", ",a,\n", "1:|a|\n"},
        {"quoted comma, quote and line break", "\"a,b\",\"say \"\"hi\"\"\",\"x\r\ny\"\nz\n",
         "1:a,b|say \"hi\"|x\r\ny\n3:z\n"},
        {"blank lines are no records", "a\n\n\r\nb\n", "1:a\n4:b\n"},
        {"a quoted empty field is a record", "\"\"\n", "1:\n"},
        {"lone carriage return is data", "a\rb\n", "1:a\rb\n"},
        {"quote inside a plain field", "ab\"c\n", "error 1: a quote inside a field that does not start with one"},
        {"text after a closing quote", "x\n\"a\"b,c\n", "error 2: text after the closing quote of a field"},
        {"quote left open, reported where it opened", "x\n\"a\nb\nc", "error 2: a quoted field is not closed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.text), c.records) << c.name;
    }
}

}  // namespace
