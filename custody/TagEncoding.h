// The character encodings a bag's tag files are read in: the one its
// bagit.txt declares, decoded to UTF-8 for the readers of TagFiles.h.
#pragma once

#include <string>
#include <string_view>

namespace custody {

struct TagEncoding {
    enum class Kind {
        Utf8,
        UsAscii,
        Latin1,
        Windows1252,
        Utf16,    // the order from a byte-order mark, else from the text
        Utf16Le,
        Utf16Be,
        System,   // any other the system's converters know by name
    };
    Kind kind = Kind::Utf8;
    std::string name = "UTF-8";  // as declared
};

// False for a name no decoder here knows.
bool ParseTagEncoding(std::string_view name, TagEncoding& encoding);

// A tag file's bytes in `encoding` as UTF-8, line ends kept as they were.
// A byte-order mark at the start is dropped. False, with `why` ("line N:
// not NAME" where the line can be told), on bytes that are not in it.
bool DecodeTagText(std::string_view bytes, const TagEncoding& encoding, std::string& text, std::string& why);

}  // namespace custody
