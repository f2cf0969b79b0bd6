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

// A missing file gives the defaults without a problem.
StateFileContents readStateFile(const std::filesystem::path& file);
// Parses the text of a state file; `fileName` names it in the problems.
StateFileContents parseStateText(const std::string& text, const std::string& fileName);

std::string formatStateText(const CameraState& state);
// False with `error` set when the file cannot be written.
bool writeStateFile(const std::filesystem::path& file, const CameraState& state, std::string& error);

}  // namespace nvusb_sim
