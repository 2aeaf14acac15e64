// quillet-report's stream commands, without a window or a display:
//   quillet-report play STREAMFILE OUT.pdf [--pages SELECTION]
//   quillet-report dump STREAMFILE
// Exit 0 when done; 1 with one line on the error stream for an unreadable or malformed stream;
// 2 with the usage for a bad command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace report {

inline constexpr char kStreamUsage[] =
    "usage: quillet-report play STREAMFILE OUT.pdf [--pages SELECTION]\n"
    "       quillet-report dump STREAMFILE";

// Runs `args` (the program's arguments after its name) when they start with "play" or "dump"
// and answers the exit code; nothing for any other command. Needs a QGuiApplication for play.
std::optional<int> RunStreamCommand(const std::vector<std::string>& args, std::ostream& out,
                                    std::ostream& err);

}  // namespace report
