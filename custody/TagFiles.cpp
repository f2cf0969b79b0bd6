#include "custody/TagFiles.h"

#include <algorithm>
#include <cctype>

#include "core/FieldRules.h"
#include "custody/BagPaths.h"

namespace custody {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Line {
    std::size_t number;
    std::string_view text;
};

// Lines end with LF, CR or CR LF; a last line without an end counts too.
std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({lines.size() + 1, text.substr(start)});
            break;
        }
        lines.push_back({lines.size() + 1, text.substr(start, end - start)});
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string LineError(std::size_t number, const std::string& what)
{
    return "line " + std::to_string(number) + ": " + what;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBlankLine(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsBlank);
}

std::string_view SkipBlanks(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return text.substr(at);
}

std::string_view TrimBlanks(std::string_view text)
{
    text = SkipBlanks(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The text up to the first space or tab, and what follows it.
std::string_view TakeWord(std::string_view& text)
{
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) {
        ++end;
    }
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

bool IsDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

bool IsHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// "Label: value" of bagit.txt, where both labels are fixed.
bool ReadDeclarationLine(const Line& line, std::string_view label, std::string& value, std::string& why)
{
    std::string_view text = line.text;
    if (text.substr(0, label.size()) != label || text.substr(label.size(), 1) != ":") {
        why = LineError(line.number, "not '" + std::string(label) + ": ...'");
        return false;
    }
    value = std::string(TrimBlanks(text.substr(label.size() + 1)));
    if (value.empty()) {
        why = LineError(line.number, std::string(label) + " has no value");
        return false;
    }
    return true;
}

std::string_view WithoutDotSlash(std::string_view path)
{
    return path.compare(0, 2, "./") == 0 ? path.substr(2) : path;
}

// 1.0, and the drafts before it (0.93 to 0.97), which are read as 0.97.
bool IsReadVersion(const std::string& version)
{
    return version == "1.0" || (version.size() == 4 && version.compare(0, 3, "0.9") == 0 && IsDigits(version.substr(3)));
}

// A path field of a manifest or fetch.txt, decoded and checked.
bool ReadPath(std::string_view field, std::size_t line, bool percentEncoded, std::string& path, std::string& why)
{
    path = percentEncoded ? DecodeBagPath(field) : std::string(field);
    path = std::string(WithoutDotSlash(path));
    const std::string problem = PathProblem(path);
    if (!problem.empty()) {
        why = LineError(line, std::string(field) + " " + problem);
        return false;
    }
    return true;
}

}  // namespace

bool ParseBagDeclaration(std::string_view bytes, BagDeclaration& declaration, std::string& why)
{
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        why = "starts with a byte-order mark, which it must not";
        return false;
    }
    WideString ignored;
    if (!DecodeStrictUtf8(std::string(bytes), ignored)) {
        why = "not UTF-8";
        return false;
    }
    std::vector<Line> lines = SplitLines(bytes);
    while (!lines.empty() && lines.back().text.empty()) {
        lines.pop_back();
    }
    if (lines.size() != 2) {
        why = "holds " + std::to_string(lines.size()) + " lines, not 2";
        return false;
    }
    std::string version;
    std::string encoding;
    if (!ReadDeclarationLine(lines[0], "BagIt-Version", version, why)
        || !ReadDeclarationLine(lines[1], "Tag-File-Character-Encoding", encoding, why)) {
        return false;
    }
    if (!IsReadVersion(version)) {
        why = "BagIt-Version " + version + " is not read (1.0 and 0.9x are)";
        return false;
    }
    if (!ParseTagEncoding(encoding, declaration.encoding)) {
        why = "tag files in " + encoding + " cannot be read (no decoder for it here)";
        return false;
    }
    declaration.version = version;
    return true;
}

bool ParseBagInfo(std::string_view text, std::vector<BagInfoElement>& elements, std::string& why)
{
    for (const Line& line : SplitLines(text)) {
        if (IsBlankLine(line.text)) {
            continue;
        }
        if (IsBlank(line.text.front())) {
            if (elements.empty()) {
                why = LineError(line.number, "continues no element");
                return false;
            }
            elements.back().value += "\n" + std::string(SkipBlanks(line.text));
            continue;
        }
        const std::size_t colon = line.text.find(':');
        if (colon == std::string_view::npos) {
            why = LineError(line.number, "no ':' after a label");
            return false;
        }
        // Others write "Label : value" too: the blanks are not the label's.
        const std::string_view label = TrimBlanks(line.text.substr(0, colon));
        if (label.empty()) {
            why = LineError(line.number, "no label before ':'");
            return false;
        }
        elements.push_back({std::string(label), std::string(SkipBlanks(line.text.substr(colon + 1)))});
    }
    return true;
}

bool ParsePayloadOxum(std::string_view value, std::uint64_t& octets, std::uint64_t& streams)
{
    value = TrimBlanks(value);
    const std::size_t dot = value.find('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const auto parse = [](std::string_view digits, std::uint64_t& number) {
        if (!IsDigits(digits) || digits.size() > 19) {
            return false;
        }
        number = 0;
        for (char c : digits) {
            number = number * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return true;
    };
    return parse(value.substr(0, dot), octets) && parse(value.substr(dot + 1), streams);
}

bool ParseManifest(std::string_view text, std::size_t hexDigits, bool percentEncoded,
                   std::vector<ManifestEntry>& entries, std::string& why)
{
    for (const Line& line : SplitLines(text)) {
        if (IsBlankLine(line.text)) {
            continue;
        }
        std::string_view rest = line.text;
        const std::string_view checksum = TakeWord(rest);
        if (checksum.empty() || !IsHex(checksum) || (hexDigits != 0 && checksum.size() != hexDigits)) {
            why = LineError(line.number, hexDigits != 0 ? "not a checksum of " + std::to_string(hexDigits)
                                                               + " hex digits and a path"
                                                         : "not a hex checksum and a path");
            return false;
        }
        rest = SkipBlanks(rest);
        if (!rest.empty() && rest.front() == '*') {
            rest.remove_prefix(1);
        }
        if (rest.empty()) {
            why = LineError(line.number, "no path after the checksum");
            return false;
        }
        ManifestEntry entry;
        entry.line = line.number;
        entry.checksum = Lower(checksum);
        if (!ReadPath(rest, line.number, percentEncoded, entry.path, why)) {
            return false;
        }
        if (percentEncoded && entry.path != WithoutDotSlash(rest)) {
            entry.written = std::string(WithoutDotSlash(rest));
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

bool ParseFetch(std::string_view text, bool percentEncoded, std::vector<FetchEntry>& entries, std::string& why)
{
    for (const Line& line : SplitLines(text)) {
        if (IsBlankLine(line.text)) {
            continue;
        }
        std::string_view rest = line.text;
        FetchEntry entry;
        entry.line = line.number;
        entry.url = std::string(TakeWord(rest));
        rest = SkipBlanks(rest);
        entry.length = std::string(TakeWord(rest));
        rest = SkipBlanks(rest);
        if (entry.url.empty() || (entry.length != "-" && !IsDigits(entry.length)) || rest.empty()) {
            why = LineError(line.number, "not 'URL LENGTH PATH' (LENGTH a number or '-')");
            return false;
        }
        if (!ReadPath(rest, line.number, percentEncoded, entry.path, why)) {
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace custody
