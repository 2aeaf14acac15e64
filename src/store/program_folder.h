// The folder that holds the task files, TODO.INI and the help file: the executable's folder,
// or the user's data folder for an installed copy that cannot write beside itself.
#pragma once

#include <string>

namespace store {

struct ProgramFolder {
    std::string dir;      // ending in "/"; empty when no folder can be had
    std::string notice;   // for the message line, when the tasks are not beside the program
    std::string failure;  // when dir is empty: why, naming each folder tried and its cause
};

// The folder of the running executable, or, when that cannot be written,
// $XDG_DATA_HOME/quillet/ (by default ~/.local/share/quillet/), created on first use; with
// what the person is to be told about the choice.
const ProgramFolder& ChosenProgramFolder();

// ChosenProgramFolder().dir.
std::string GetProgramDir();

// GetProgramDir() + "TODO.INI", and + "QUILX.HLP", each in the letter case it has there.
std::string GetIniFileName();
std::string GetHelpFileName();

// The choice ChosenProgramFolder makes, given the executable's folder and the environment's
// XDG_DATA_HOME and HOME (either may be empty).
ProgramFolder ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                               const std::string& home);

}  // namespace store
