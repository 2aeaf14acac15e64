// xbtool's index commands (index, tags, walk, seek, check, reindex).
#pragma once

#include <string>
#include <vector>

namespace xbtool {

extern const char kIndexUsage[];
bool IsIndexCommand(const std::string& command);
// Runs one index command; args[0] is the command. Answers the exit code (1 for bad usage).
int RunIndexCommand(const std::vector<std::string>& args);

}  // namespace xbtool
