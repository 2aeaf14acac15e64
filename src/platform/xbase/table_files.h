// What a program may learn of a table file from outside a work area: whether a copy of it is
// whole, and the two table-wide locks the engine takes, so that a copy can wait for a writer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/xbase/file_system.h"

namespace xbase {

// Whether the table file holds every record its header counts; a copy cut short does not.
bool TableLooksWhole(FileSystem& files, const std::string& path);

// Held by every program that has the table open (shared by readers and writers alike).
std::uint64_t TableOpenLockByte();
// Held while a program writes the table's header (its record count with an append).
std::uint64_t TableHeaderLockByte();

}  // namespace xbase
