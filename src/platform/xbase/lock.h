// Waiting for a byte-range lock within a timeout. Private to the engine.
#pragma once

#include <cstdint>

#include "platform/xbase/file_system.h"

namespace xbase {

// Tries at once, then retries until `timeoutSeconds` have passed; 0 never waits and a
// negative timeout waits as long as it takes.
bool LockWithin(File& file, std::uint64_t offset, std::uint64_t length, LockKind kind,
                int timeoutSeconds);

}  // namespace xbase
