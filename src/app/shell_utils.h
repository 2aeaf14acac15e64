// Small services every window uses: where the program's files live, blank trimming,
// splitting a text at a delimiter, and the padding rule for stored notes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The folder that holds the task files, TODO.INI and the help file, ending in "/": the folder
// of the running executable, or, when that cannot be written (an installed copy),
// $XDG_DATA_HOME/quillet/ (by default ~/.local/share/quillet/), created on first use.
std::string GetProgramDir();

// GetProgramDir() + "TODO.INI".
std::string GetIniFileName();

// Only the space character counts as a blank; tabs and other white space stay.
std::string TrimLeadingSpaces(std::string_view text);
std::string TrimTrailingSpaces(std::string_view text);
std::string TrimSpaces(std::string_view text);

// Appends the pieces of `text` between occurrences of `delimiter` to `list`, in order, empty
// pieces included; an empty text gives one empty piece. Texts of any length.
void SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& list);

// The note padding rule, on a multi-line text whose lines are joined by CR LF: when the text
// holds at least one line and its length (line breaks included) is a positive multiple of 4,
// one space is appended to its last line.
std::string PadMemoText(std::string_view text);

namespace shell_detail {
// The choice GetProgramDir makes, given the executable's folder and the environment's
// XDG_DATA_HOME and HOME (either may be empty). Empty when no folder can be had.
std::string ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                             const std::string& home);
}  // namespace shell_detail
