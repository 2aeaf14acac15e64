// Text routines the whole program uses on its 8-bit texts: blank trimming, splitting at a
// delimiter, and the padding rule for stored notes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rtl {

// Only the space character counts as a blank; tabs and other white space stay.
std::string TrimLeadingSpaces(std::string_view text);
std::string TrimTrailingSpaces(std::string_view text);
// Trailing blanks first, then leading ones.
std::string TrimSpaces(std::string_view text);

// Appends the pieces of `text` between occurrences of `delimiter` to `list`, in order, empty
// pieces included; an empty text gives one empty piece. Texts of any length.
void SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& list);

// The note padding rule, on a multi-line text whose lines are joined by CR LF: when the text
// holds at least one line and its length (line breaks included) is a positive multiple of 4,
// one space is appended to its last line.
std::string PadMemoText(std::string_view text);

}  // namespace rtl
