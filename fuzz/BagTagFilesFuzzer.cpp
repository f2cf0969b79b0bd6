// Any bytes read as each of a bag's tag files, in each kind of encoding,
// without reading out of bounds; every text decoded is UTF-8, and every
// path a reader accepts stays inside the bag and encodes back to what
// decodes to it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/FieldRules.h"
#include "custody/BagPaths.h"
#include "custody/TagFiles.h"

namespace {

using namespace custody;

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void RequireInsideTheBag(const std::string& path)
{
    Require(PathProblem(path).empty());
    Require(DecodeBagPath(EncodeBagPath(path)) == path);
}

void ReadAsTagFiles(std::string_view text, bool percentEncoded)
{
    std::string why;
    std::vector<BagInfoElement> elements;
    if (ParseBagInfo(text, elements, why)) {
        for (const BagInfoElement& element : elements) {
            std::uint64_t octets = 0;
            std::uint64_t streams = 0;
            ParsePayloadOxum(element.value, octets, streams);
        }
    }
    for (std::size_t digits : {std::size_t{0}, std::size_t{32}, std::size_t{64}}) {
        std::vector<ManifestEntry> entries;
        if (ParseManifest(text, digits, percentEncoded, entries, why)) {
            for (const ManifestEntry& entry : entries) {
                Require(digits == 0 || entry.checksum.size() == digits);
                RequireInsideTheBag(entry.path);
                Require(entry.written.empty() || (percentEncoded && DecodeBagPath(entry.written) == entry.path));
            }
        }
    }
    std::vector<FetchEntry> fetched;
    if (ParseFetch(text, percentEncoded, fetched, why)) {
        for (const FetchEntry& entry : fetched) {
            RequireInsideTheBag(entry.path);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    BagDeclaration declaration;
    std::string why;
    if (ParseBagDeclaration(bytes, declaration, why)) {
        Require(declaration.version == "1.0" || declaration.version.compare(0, 3, "0.9") == 0);
    }
    // One name of each kind; the system decodes the last three.
    for (const char* name : {"UTF-8", "US-ASCII", "ISO-8859-1", "windows-1252", "UTF-16", "UTF-16LE", "UTF-16BE",
                             "Shift_JIS", "KOI8-R", "ISO-2022-JP"}) {
        TagEncoding encoding;
        Require(ParseTagEncoding(name, encoding));
        std::string text;
        if (DecodeTagText(bytes, encoding, text, why)) {
            WideString wide;
            Require(text.empty() || DecodeStrictUtf8(text, wide));
            ReadAsTagFiles(text, true);
            ReadAsTagFiles(text, false);
        }
    }
    const std::string path(bytes);
    Require(DecodeBagPath(EncodeBagPath(path)) == path);
    return 0;
}
