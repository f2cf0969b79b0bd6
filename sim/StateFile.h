// The camera's state as a small text file of "key = value" lines, "#"
// starting a comment. Binary fields are hex; passwords are written as they
// are unless they hold bytes that would not survive a text line, then as
// "hex:" followed by their bytes in hex.
#pragma once

#include "CameraState.h"

#include <filesystem>
#include <string>
#include <vector>

namespace nvusb_sim {

struct StateFileContents {
    CameraState state;                  // defaults wherever the file could not be read
    std::vector<std::string> problems;  // one line each: "<file>:<line>: <what>"
};

// Keys the file does not set keep their value in `defaults`; a missing file
// gives the defaults without a problem.
StateFileContents readStateFile(const std::filesystem::path& file, const CameraState& defaults = {});
// Parses the text of a state file; `fileName` names it in the problems.
StateFileContents parseStateText(const std::string& text, const std::string& fileName,
                                 const CameraState& defaults = {});

std::string formatStateText(const CameraState& state);

// InPlace truncates and rewrites the file; Replace writes a whole new file
// beside it and renames it over the old one, so that another process never
// reads half a file.
enum class StateWrite { InPlace, Replace };
// False with `error` set when the file cannot be written.
bool writeStateFile(const std::filesystem::path& file, const CameraState& state, std::string& error,
                    StateWrite how = StateWrite::InPlace);

}  // namespace nvusb_sim
