#include "custody/VerifiedJournal.h"

#include <map>

#include "custody/BagPaths.h"
#include "custody/TagFileIo.h"

namespace custody {

const char* const kVerifiedJournalName = "orvane-verified.txt";

namespace {

bool IsLowerHex(std::string_view text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool ParseSize(std::string_view digits, std::uint64_t& size)
{
    if (digits.empty() || digits.size() > 19 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    size = 0;
    for (const char c : digits) {
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool ParseLine(std::string_view line, PayloadFile& file)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos || !IsLowerHex(line.substr(0, first))
        || !ParseSize(line.substr(first + 1, second - first - 1), file.size)) {
        return false;
    }
    file.sha256 = std::string(line.substr(0, first));
    file.path = DecodeBagPath(line.substr(second + 1));
    return !file.path.empty() && PathProblem(file.path).empty();
}

}  // namespace

std::string VerifiedJournalLine(const PayloadFile& file)
{
    return file.sha256 + " " + std::to_string(file.size) + " " + EncodeBagPath(file.path) + "\n";
}

bool ReadVerifiedJournal(const FileSystem& fs, const std::string& partial, std::vector<PayloadFile>& files,
                         std::string& why)
{
    files.clear();
    const std::string path = fs.Join(partial, kVerifiedJournalName);
    if (!fs.Exists(path)) {
        return true;
    }
    std::string bytes;
    if (!ReadTagFile(fs, path, bytes, why)) {
        return false;
    }
    std::map<std::string, std::size_t> index;
    std::size_t start = 0;
    std::uint64_t number = 0;
    for (std::size_t end = bytes.find('\n'); end != std::string::npos; end = bytes.find('\n', start)) {
        ++number;
        PayloadFile file;
        if (!ParseLine(std::string_view(bytes).substr(start, end - start), file)) {
            why = path + ":" + std::to_string(number) + ": not a journal line";
            return false;
        }
        start = end + 1;
        const auto [at, added] = index.emplace(file.path, files.size());
        if (added) {
            files.push_back(std::move(file));
        } else {
            files[at->second] = std::move(file);
        }
    }
    return true;
}

}  // namespace custody
