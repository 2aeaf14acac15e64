// The task record: the names of QUILX.DBF's fields, index tags and display fields, the
// table's layout, and one task read from the task table into a TaskEntry and written back.
#pragma once

#include <string>

namespace store {

class TTable;

// The stored fields.
namespace task_field {
inline constexpr char kDate[] = "DATE";          // "yyyymmdd", or blank
inline constexpr char kTime[] = "TIME";          // "hh:nn" on the 24-hour clock, or blank
inline constexpr char kDescript[] = "DESCRIPT";  // the task's one-line description
inline constexpr char kNote[] = "NOTE";          // memo, lines joined by CR LF
inline constexpr char kDone[] = "DONE";          // logical
inline constexpr char kKeys[] = "KEYS";          // key words separated by blanks
inline constexpr char kPriority[] = "PRIORITY";  // "A", "B" or "C", in either letter case

// The fields a task row shows, worked out from the stored ones (display_fields.h). The grid
// names its columns by them; the column rules compare them in any case.
inline constexpr char kShowPriority[] = "ShowPriority";
inline constexpr char kShowDate[] = "ShowDate";
inline constexpr char kShowTime[] = "ShowTime";
inline constexpr char kIsDone[] = "IsDone";
inline constexpr char kShowKeys[] = "ShowKeys";
}  // namespace task_field

// The index tag of the date order. The other tags of QUILX.CDX are named after the field they
// order by (DESCRIPT, DONE, KEYS, PRIORITY); kTaskTags in task_file.h gives their keys.
inline constexpr char kDateTimeTag[] = "DATETIME";

// The widths of the text fields that typing is held to.
inline constexpr int kDescriptWidth = 50;
inline constexpr int kKeysWidth = 60;

// The table's fields in file order, as a new task file is created with them.
struct TaskFieldDef {
    const char* name;
    const char* type;
    int width;
};
inline constexpr TaskFieldDef kTaskFields[] = {
    {task_field::kDate, "C", 8},
    {task_field::kTime, "C", 5},
    {task_field::kDescript, "C", kDescriptWidth},
    {task_field::kNote, "M", 10},
    {task_field::kDone, "L", 1},
    {task_field::kKeys, "C", kKeysWidth},
    {task_field::kPriority, "C", 1},
};

// One task as the record stores it (Windows-1252, trailing blanks removed). Every member has
// an initializer, so a task can be written with only the fields that matter to it.
struct TaskEntry {
    std::string date{};
    std::string time{};
    std::string descript{};
    std::string keys{};
    std::string priority{};
    bool done = false;
    std::string note{};  // left empty where a task is read without it
};

// The current task of `table` as the set holds it, an edit in progress included. The note is
// a memo read of its own, so only the callers that show it read it.
enum class NoteRead { kSkip, kRead };
TaskEntry ReadTaskEntry(TTable& table, NoteRead note = NoteRead::kRead);

// Assigns every field of `entry` to the record in editing or insertion, stopping at the first
// the record refuses; false then, with the table's error text.
bool AssignTaskEntry(TTable& table, const TaskEntry& entry);

}  // namespace store
