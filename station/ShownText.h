// Text from the camera, a file or the command line as the tool shows it to
// a person: nothing in it may steer the terminal or fake a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// `text` (UTF-8) with its control characters (C0, DEL, C1) escaped: a line
// feed as \n, a carriage return as \r, the others as \x1b and the like.
// Bytes that are not UTF-8 show as U+FFFD.
std::string Shown(std::string_view text);

// An error message quotes no more of a value than this many characters.
constexpr std::size_t kQuotedChars = 64;

// `value` shown in double quotes, cut after kQuotedChars characters with
// "..." after the closing quote.
std::string Quoted(std::string_view value);
