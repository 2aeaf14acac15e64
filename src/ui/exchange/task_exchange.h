// Tasks in and out of the task file without the windows: a file read and sorted into what an
// import adds, the words that tell a person how it went, the export of the task set, and the
// command line "quillet --import FILE [--dir DIR]".
#pragma once

#include <string>
#include <vector>

#include "exchange/task_readers.h"
#include "platform/xbase/status.h"
#include "store/task_import.h"

namespace store {
class TTaskStore;
class TTaskUids;
}  // namespace store

namespace exchange_flow {

// A file read for an import: what it would add, or why it cannot be imported.
struct ImportReading {
    store::ImportPlan plan;
    int changedTexts = 0;
    // Empty when the file was read; else why not, for a person ("Line 12: ..."), in UTF-8.
    std::string failure;
    bool ok() const { return failure.empty(); }
};

// Reads the file at `path` (iCalendar when it starts with BEGIN:VCALENDAR, else CSV), its
// times converted to the local clock by `toLocal`, and leaves out what `uids` knows already.
ImportReading ReadImportFile(const std::string& path, const exchange::ToLocalTime& toLocal,
                             const store::TTaskUids& uids);

// "3 tasks", "1 task".
std::string Tasks(int count);
// What the import will do, in sentences: the tasks it adds, the texts it changes to fit the
// task file's characters, and the tasks it leaves out as imported before.
std::string ImportSummary(const ImportReading& reading);
// What it did, short enough for the message line: "Imported 3 tasks, 1 text changed".
std::string ImportDoneLine(const ImportReading& reading, int added);

// Writes the task set under the store's filter and order to `path` as iCalendar (`icalendar`)
// or CSV, with each task's UID. A failed export leaves an earlier file of that name as it was.
xbase::Status ExportTaskSet(store::TTaskStore& store, const std::string& path, bool icalendar);

// The command line: whether `arguments` (without the program's name) ask for an import, and
// running it over `defaultDir` unless --dir names another folder. Lines for standard output and
// standard error are appended to `out` and `err`. Exit code: 0 added, 1 nothing added (one line
// on `err` says why), 2 a bad command line.
bool IsImportCommandLine(const std::vector<std::string>& arguments);
int RunImportCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDir,
                         const exchange::ToLocalTime& toLocal, std::string& out, std::string& err);

inline constexpr char kImportUsage[] = "usage: quillet --import FILE [--dir DIR]";

}  // namespace exchange_flow
