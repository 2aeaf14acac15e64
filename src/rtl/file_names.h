// Finding a file by a name whatever its letter case: files copied from a system whose names
// ignore case arrive as quilx.dbf or Todo.ini as often as QUILX.DBF or TODO.INI.
#pragma once

#include <string>
#include <string_view>

namespace rtl {

// The name under which `name` exists in `directory` (ending in "/" or empty for the current
// one), letters compared without regard to case: the exact name when it exists, else the
// first matching name in byte order. `name` itself when nothing matches.
std::string FindFileName(std::string_view directory, std::string_view name);

}  // namespace rtl
