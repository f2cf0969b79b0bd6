// The few elements the S3 client reads from the store's answers. S3's
// documents are records of plain elements, no mixed content and no CDATA,
// so a reader of named elements is enough; no Debian XML library builds for
// MinGW.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace objectstore {

// The raw content of every element called `name` ("<Key>...</Key>" or an
// empty "<Key/>"), in document order; an element of that name inside
// another one of the same name is not looked for.
std::vector<std::string_view> XmlElements(std::string_view xml, std::string_view name);
// The text of the first such element with the five entities and character
// references decoded; empty when there is none.
std::string XmlValue(std::string_view xml, std::string_view name);
std::string XmlDecode(std::string_view text);

}  // namespace objectstore
