// The folders of the program's files: the task files and INIs beside the executable, or in the
// user's data folder for an installed copy and for one that cannot write beside itself; and
// the folder of the help file.
#pragma once

#include <string>

namespace store {

struct ProgramFolder {
    std::string dir;  // ending in "/"; empty when no folder can be had
    std::string
        helpDir;  // the help file's folder, ending in "/": dir, or an installed share/quillet/
    std::string notice;   // for the message line, when the tasks are not beside the program
    std::string failure;  // when dir is empty: why, naming each folder tried and its cause
};

// The folder of the running executable, or $XDG_DATA_HOME/quillet/ (by default
// ~/.local/share/quillet/), created on first use, when the executable's folder cannot be written
// or the copy is an installed one (../share/quillet/ lies beside its folder, where its help file
// is then found); with what the person is to be told about the choice.
const ProgramFolder& ChosenProgramFolder();

// ChosenProgramFolder().dir.
std::string GetProgramDir();

// GetProgramDir() + "TODO.INI", and the help folder + "QUILX.HLP", each in the letter case it
// has there.
std::string GetIniFileName();
std::string GetHelpFileName();

// The help file of a program keeping its files in `programDir`: the chosen help folder's when
// that is the chosen folder (an installed copy reads the help it was installed with), else the
// one in `programDir`.
std::string HelpFileFor(const std::string& programDir);

// The choice ChosenProgramFolder makes, given the executable's folder and the environment's
// XDG_DATA_HOME and HOME (either may be empty).
ProgramFolder ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                               const std::string& home);

}  // namespace store
