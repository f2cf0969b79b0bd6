// Any bytes read as each of a bag's tag files, in each encoding, without
// reading out of bounds; every path a reader accepts stays inside the bag
// and encodes back to what decodes to it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

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
        Require(declaration.version == "1.0" || declaration.version == "0.97");
    }
    for (TagEncoding encoding :
         {TagEncoding::Utf8, TagEncoding::UsAscii, TagEncoding::Latin1, TagEncoding::Windows1252}) {
        std::string text;
        if (DecodeTagText(bytes, encoding, text, why)) {
            ReadAsTagFiles(text, true);
            ReadAsTagFiles(text, false);
        }
    }
    const std::string path(bytes);
    Require(DecodeBagPath(EncodeBagPath(path)) == path);
    return 0;
}
