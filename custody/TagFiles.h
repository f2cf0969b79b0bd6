// Readers of a bag's tag files: bagit.txt, bag-info.txt, manifests and tag
// manifests, fetch.txt. Pure functions over bytes, since the bags come from
// anywhere; each says what is wrong as "line N: what".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "custody/TagEncoding.h"

namespace custody {

struct BagDeclaration {
    std::string version;  // "1.0", or "0.9x" (read as 0.97)
    TagEncoding encoding;
};

// bagit.txt: exactly "BagIt-Version: M.N" and "Tag-File-Character-Encoding:
// NAME", in UTF-8 without a byte-order mark. Versions 1.0 and 0.9x are
// read; an encoding no decoder here knows is refused with its name.
bool ParseBagDeclaration(std::string_view bytes, BagDeclaration& declaration, std::string& why);

struct BagInfoElement {
    std::string label;
    std::string value;  // a continued value keeps its line breaks as LF
};

// bag-info.txt as UTF-8: "Label: value" lines (blanks around the label
// are not part of it), a value continued on lines that start with a space
// or tab.
bool ParseBagInfo(std::string_view text, std::vector<BagInfoElement>& elements, std::string& why);

// "OCTETS.STREAMS" of Payload-Oxum.
bool ParsePayloadOxum(std::string_view value, std::uint64_t& octets, std::uint64_t& streams);

struct ManifestEntry {
    std::size_t line = 0;
    std::string checksum;  // lowercase hex
    std::string path;      // decoded, checked: inside the bag
    std::string written;   // the path as the line spells it, where decoding changed it
};

// A manifest or tag manifest as UTF-8: "CHECKSUM PATH" lines; md5sum's '*'
// before the path and a leading "./" are accepted. `hexDigits` is the
// checksum's length (0: any). Paths of version 1.0 are percent-encoded
// (`percentEncoded`); older ones are taken as written.
bool ParseManifest(std::string_view text, std::size_t hexDigits, bool percentEncoded,
                   std::vector<ManifestEntry>& entries, std::string& why);

struct FetchEntry {
    std::size_t line = 0;
    std::string url;
    std::string length;  // digits, or "-" when unknown
    std::string path;    // decoded, checked: inside the bag
};

// fetch.txt as UTF-8: "URL LENGTH PATH" lines.
bool ParseFetch(std::string_view text, bool percentEncoded, std::vector<FetchEntry>& entries, std::string& why);

}  // namespace custody
