// UTF-8 text brought into Windows-1252 for the task table: a character the code page has no
// room for becomes the nearest one it has (the letter without its accent, plain quotes and
// dashes), or "?" when nothing is near.
#pragma once

#include <string>
#include <string_view>

namespace exchange {

struct AnsiText {
    std::string text;
    bool changed = false;  // some character could not be kept as it was
};

// Letters written as a base letter and a combining accent come out as the one letter of the
// code page where it has one, unchanged. A malformed UTF-8 sequence counts as a change ("?");
// control characters other than tabs and line breaks are left out, which is a change too.
AnsiText ClosestAnsi(std::string_view utf8);

}  // namespace exchange
