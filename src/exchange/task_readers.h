// Tasks read in from other programs' files: the to-dos of an iCalendar file or the rows of a
// CSV table of Quillet's own shape, each made into a task record that the task table can hold
// (Windows-1252, its fields' widths, its notations of date, time and priority).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/task_record.h"

namespace exchange {

// A wall-clock date and time, without a zone of its own.
struct WallTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const WallTime&, const WallTime&) = default;
};

// Turns a time read on the clock of `zone` into the same moment on the local clock. `zone`
// is "UTC" for a time written with a trailing Z, else the TZID the file names (an Olson
// name such as "Europe/Berlin" mostly, but any text other programs put there). nullopt when
// the zone is unknown. The windows and the command line give one built on the system's zone
// data; without one, only floating times and dates can be read.
using ToLocalTime =
    std::function<std::optional<WallTime>(const WallTime& time, std::string_view zone)>;

// One task read from a file.
struct ImportedTask {
    store::TaskEntry entry;
    // The to-do's UID as the file gives it, unescaped (UTF-8); empty when it has none (and
    // for every CSV row).
    std::string uid;
};

enum class FileKind { kICalendar, kCsv };

struct ReadResult {
    FileKind kind = FileKind::kCsv;
    // Every task of the file in file order; empty whenever `error` is set.
    std::vector<ImportedTask> tasks;
    // How many texts (descriptions, key words, notes) held characters Windows-1252 has no
    // room for and were changed to their closest letters or "?".
    int changedTexts = 0;
    // The first fault of a malformed file, in words for a person, and its line (from 1).
    std::string error;
    int errorLine = 0;

    bool ok() const { return error.empty(); }
    // "Line 12: ..." for a message box or the command line.
    std::string ErrorText() const;
};

// iCalendar when the text starts (after a byte-order mark and blank lines) with
// BEGIN:VCALENDAR, else CSV.
FileKind KindOf(std::string_view bytes);

// Reads a whole file of the kind its content shows.
ReadResult ReadTasks(std::string_view bytes, const ToLocalTime& toLocal = {});
// Reads every VTODO of every VCALENDAR; other components are skipped.
ReadResult ReadICalendar(std::string_view bytes, const ToLocalTime& toLocal = {});
// Reads the CSV table the CSV writer writes: its exact header, then one task per row (LF ends
// and empty lines too; priority and done in any letter case, an empty done as No).
ReadResult ReadCsv(std::string_view bytes);

}  // namespace exchange
