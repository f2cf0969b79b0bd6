// The two digests every PUT and part carries, so that the store refuses a
// body damaged on the way: SHA-256 (signed, x-amz-content-sha256) and MD5
// (Content-MD5, base64).
#pragma once

#include <string>
#include <string_view>

#include "objectstore/HttpTransport.h"

namespace objectstore {

struct PayloadDigests {
    std::string sha256Hex;
    std::string md5Base64;
};

// Standard base64 with padding (RFC 4648).
std::string Base64(std::string_view bytes);

PayloadDigests DigestsOf(std::string_view bytes);
// Reads the source once to its end and back to its start; false when it
// could not be read or rewound.
bool DigestsOf(BodySource& source, PayloadDigests& digests);

}  // namespace objectstore
