// The task commands of the main window as plain operations on the task store: the button
// rule, storing the task editor's result, clone, delete, the done toggle, going to a date and
// the index rebuild. The window asks the questions and shows the messages.
#pragma once

#include <string>
#include <string_view>

#include "rtl/date_time.h"
#include "store/task_record.h"

namespace store {
class TTaskStore;
class TTable;
class RebuildRunner;
}  // namespace store
class KeyWordList;

// The saved user short date pattern with at most two day and two month letters, each kept
// only while fewer than two of its kind came before, and each run of year letters widened or
// cut to four.
std::string MakeNumericDateFormat(std::string_view pattern);

// The task the editor starts from when a task is added.
store::TaskEntry NewTaskEntry();

enum class EditMode { kEdit = 0, kAdd = 1 };

// Stores the editor's accepted result: edits the current task or appends one, assigns every
// field (the note padded, a priority other than "A" or "C" as "B"), posts, and adds the stored
// key words to the list. False when the record could not be saved (the record may stay in
// editing).
bool StoreTaskEntry(store::TTaskStore& store, EditMode mode, store::TaskEntry entry,
                    KeyWordList& keyWords);

// SetButtons' rule: re-reads the current record and answers whether the task table is on a
// task (the buttons that act on one show).
bool TaskButtonsVisible(store::TTaskStore& store);

// DONE := not DONE on the current task, posted; false (the edit cancelled) when that fails.
bool ToggleDone(store::TTable& table);

// Appends an exact copy of the current task (PRIORITY included) that is not done; the note
// is not padded. False with the table's error text when it fails.
bool CloneCurrentTask(store::TTable& table);

// Deletes the current task and moves to the task that followed it (to whatever the engine
// gives when that fails). False when the delete failed; the record is then kept.
bool DeleteCurrentTask(store::TTaskStore& store);

// Makes current the first task in date order whose date is `date` or later, past the last
// the last dated task, whatever the order in force; the order in force stays. False, with
// the current task unchanged, when no task shown has a date.
bool GoToDate(store::TTaskStore& store, rtl::TDateTime date);

// Pack and rebuild through `runner` ("Done!" through the store's messages once every tag is
// built), then reopen for ordinary work in DATETIME order with the task table's Tag at -1.
// A rebuild that failed part-way leaves no index file behind, so the reopen builds it whole
// again, and is not reported done. False when the reopen failed.
bool RebuildTaskFile(store::TTaskStore& store, store::RebuildRunner& runner, bool& done);
