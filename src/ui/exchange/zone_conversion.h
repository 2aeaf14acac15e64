// The conversion of a file's due times to the local clock, on the system's time-zone data.
#pragma once

#include "exchange/task_readers.h"

namespace exchange_flow {

// A converter for the readers: "UTC", an Olson name ("Europe/Berlin"), a Windows zone name
// ("W. Europe Standard Time"), or an Olson name at the end of a longer path, as some programs
// write their TZIDs. A zone the system does not know converts nothing.
exchange::ToLocalTime SystemZones();

}  // namespace exchange_flow
