// Tasks brought in from another program's file: which of them are new to the task file, and
// adding those as one change that Undo takes back whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/engine_adaptor.h"
#include "store/task_record.h"

namespace store {

class TTaskStore;
class TTaskUids;
class TTaskHistory;

// One task as a file gives it, already in the task table's notations.
struct IncomingTask {
    TaskEntry entry;
    std::string uid;  // empty when the file gives none (CSV)
};

struct ImportPlan {
    std::vector<IncomingTask> tasks;  // to add, in the file's order
    int alreadyThere = 0;  // left out: their UID was imported before, is a task's, or repeats
};

// Leaves out the tasks whose UID was imported before or is a task's UID now, and a UID's
// second and later tasks within the file. A task without a UID (a CSV row) is given one from
// its contents and how many identical tasks come before it in the file, so that the same
// file imported again adds nothing.
ImportPlan PlanImport(const TTaskUids& uids, std::vector<IncomingTask> incoming);

// Appends the plan's tasks to the store's task table, each with its UID (or a fresh one)
// remembered as imported, and keeps them as one "Import" step of `history`. A failure takes
// back the tasks appended so far (deleted, as Undo would), keeps no step, and answers the
// failing result; `added` is then 0.
DbiResult AddImportedTasks(TTaskStore& store, const ImportPlan& plan, TTaskHistory& history,
                           int& added);

}  // namespace store
