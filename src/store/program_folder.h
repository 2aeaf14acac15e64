// Small services every window uses: where the program's files live, and the text utilities.
#pragma once

#include <string>

#include "rtl/text.h"

// The folder that holds the task files, TODO.INI and the help file, ending in "/": the folder
// of the running executable, or, when that cannot be written (an installed copy),
// $XDG_DATA_HOME/quillet/ (by default ~/.local/share/quillet/), created on first use.
std::string GetProgramDir();

namespace shell_detail {
struct ProgramFolder {
    std::string dir;      // ending in "/"; empty when no folder can be had
    std::string notice;   // for the message line, when the tasks are not beside the program
    std::string failure;  // when dir is empty: why, naming each folder tried and its cause
};
}  // namespace shell_detail

// The choice behind GetProgramDir, with what the person is to be told about it.
const shell_detail::ProgramFolder& ChosenProgramFolder();

// GetProgramDir() + "TODO.INI", and + "QUILX.HLP", each in the letter case it has there.
std::string GetIniFileName();
std::string GetHelpFileName();

// The text utilities of the shell belong to the run-time library, so that layers below the
// shell (the task store's upgrade) use them too.
using rtl::PadMemoText;
using rtl::SplitText;
using rtl::TrimLeadingSpaces;
using rtl::TrimSpaces;
using rtl::TrimTrailingSpaces;

namespace shell_detail {
// The choice GetProgramDir makes, given the executable's folder and the environment's
// XDG_DATA_HOME and HOME (either may be empty).
ProgramFolder ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                               const std::string& home);
}  // namespace shell_detail
