// Fuzz target of the task readers: any bytes, read as the kind their content shows, with a
// time-zone converter that knows some zones and shifts times over a day's end. A read either
// fails with a line and no tasks, or gives tasks that fit the task record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/task_readers.h"

namespace {

std::optional<exchange::WallTime> ShiftToLocal(const exchange::WallTime& time,
                                               std::string_view zone) {
    if (zone != "UTC" && zone != "Europe/Berlin") {
        return std::nullopt;
    }
    exchange::WallTime local = time;
    local.hour += zone == "UTC" ? 23 : -1;
    return local;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const exchange::ReadResult read = exchange::ReadTasks(bytes, ShiftToLocal);
    if (!read.ok() && (!read.tasks.empty() || read.errorLine < 1)) {
        std::abort();
    }
    for (const exchange::ImportedTask& task : read.tasks) {
        const store::TaskEntry& entry = task.entry;
        if (entry.descript.size() > static_cast<std::size_t>(store::kDescriptWidth) ||
            entry.keys.size() > static_cast<std::size_t>(store::kKeysWidth) ||
            (!entry.date.empty() && entry.date.size() != 8) ||
            (!entry.time.empty() && entry.time.size() != 5) || entry.priority.size() > 1) {
            std::abort();
        }
    }
    return 0;
}
