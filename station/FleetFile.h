// The fleet file of the provisioning station: one row per camera, keyed by
// its serial number, with the identity it is to receive.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/IdentityCodec.h"

struct FleetRow {
    std::size_t line = 0;
    std::string serial;
    IdentityTexts identity;
};

struct Fleet {
    std::map<std::string, FleetRow> rows;  // by serial number
    std::vector<std::string> problems;     // "LINE: what", in file order
};

// Reads and checks the whole file; a fleet with problems must not be used.
Fleet ParseFleet(std::string_view text);
