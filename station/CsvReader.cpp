#include "station/CsvReader.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

class CsvParser {
public:
    explicit CsvParser(std::string_view text) : text_(text) {
        if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            at_ = kByteOrderMark.size();
        }
    }

    bool Run(std::vector<CsvRecord>& records, CsvError& error) {
        while (at_ < text_.size()) {
            CsvRecord record{line_, {}};
            if (!ReadRecord(record.fields)) {
                error = error_;
                return false;
            }
            const bool blankLine = record.fields.size() == 1 && record.fields[0].empty() && !quotedLast_;
            if (!blankLine) {
                records.push_back(std::move(record));
            }
        }
        return true;
    }

private:
    bool Fail(const char* what) {
        error_ = {line_, what};
        return false;
    }

    // Consumes a line end at the cursor (LF or CRLF); false when none is there.
    bool TakeLineEnd() {
        if (text_.compare(at_, 2, "\r\n") == 0) {
            at_ += 2;
        } else if (at_ < text_.size() && text_[at_] == '\n') {
            ++at_;
        } else {
            return false;
        }
        ++line_;
        return true;
    }

    bool ReadRecord(std::vector<std::string>& fields) {
        for (;;) {
            std::string field;
            if (!ReadField(field)) {
                return false;
            }
            fields.push_back(std::move(field));
            if (at_ >= text_.size() || TakeLineEnd()) {
                return true;
            }
            ++at_;  // the comma ReadField stopped at
        }
    }

    bool ReadField(std::string& field) {
        quotedLast_ = at_ < text_.size() && text_[at_] == '"';
        return quotedLast_ ? ReadQuoted(field) : ReadPlain(field);
    }

    bool AtFieldEnd() const {
        return at_ >= text_.size() || text_[at_] == ',' || text_[at_] == '\n'
               || text_.compare(at_, 2, "\r\n") == 0;
    }

    bool ReadPlain(std::string& field) {
        while (!AtFieldEnd()) {
            if (text_[at_] == '"') {
                return Fail("a quote inside a field that does not start with one");
            }
            field += text_[at_++];
        }
        return true;
    }

    bool ReadQuoted(std::string& field) {
        const std::size_t openedOn = line_;
        ++at_;
        for (;;) {
            if (at_ >= text_.size()) {
                line_ = openedOn;
                return Fail("a quoted field is not closed");
            }
            const char c = text_[at_++];
            if (c == '\n') {
                ++line_;
            }
            if (c != '"') {
                field += c;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == '"') {
                field += '"';
                ++at_;
                continue;
            }
            return AtFieldEnd() ? true : Fail("text after the closing quote of a field");
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    bool quotedLast_ = false;
    CsvError error_;
};

}  // namespace

bool ReadCsv(std::string_view text, std::vector<CsvRecord>& records, CsvError& error)
{
    return CsvParser(text).Run(records, error);
}
