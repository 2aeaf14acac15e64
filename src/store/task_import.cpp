// Adding imported tasks: the plan of what is new, and the appends kept as one undoable step.
#include "store/task_import.h"

#include <unordered_map>
#include <unordered_set>

#include "store/task_file.h"
#include "store/task_history.h"
#include "store/task_uids.h"

namespace store {

ImportPlan PlanImport(const TTaskUids& uids, std::vector<IncomingTask> incoming) {
    ImportPlan plan;
    std::unordered_set<std::string> seen;
    std::unordered_map<std::string, int> sameContents;
    for (IncomingTask& task : incoming) {
        if (task.uid.empty()) {
            // Known by its contents and how many identical tasks came before it in the file.
            const std::string key = DerivedUid(0, task.entry);
            task.uid = DerivedUid(++sameContents[key], task.entry);
        }
        {
            const std::string stored = StoredUidForm(task.uid);
            if (uids.WasImported(stored) || uids.IsPresent(stored) || !seen.insert(stored).second) {
                ++plan.alreadyThere;
                continue;
            }
        }
        plan.tasks.push_back(std::move(task));
    }
    return plan;
}

DbiResult AddImportedTasks(TTaskStore& store, const ImportPlan& plan, TTaskHistory& history,
                           int& added) {
    added = 0;
    TTable& table = store.TodoTable;
    TaskStep step{TaskChange::kImport, 0, {}, {}};
    // The UIDs are remembered only once every task is in: a failed import must not make a
    // second try leave them out as imported before.
    struct Noted {
        std::int32_t record;
        std::string descript;
        const std::string* uid;
    };
    std::vector<Noted> noted;
    DbiResult result = table.CheckBrowseMode();
    for (const IncomingTask& task : plan.tasks) {
        if (result != dbi::kOk) {
            break;
        }
        result = table.Append();
        if (result == dbi::kOk && !AssignTaskEntry(table, task.entry)) {
            result = dbi::kLockRefused;
        }
        if (result == dbi::kOk) {
            result = table.Post();
        }
        if (result != dbi::kOk) {
            table.Cancel();
            break;
        }
        const std::int32_t record = store.TodoEngine.RecordNumber();
        // Read back as stored, so that Undo and Redo compare with what the record holds.
        TaskState after;
        if (!ReadTaskState(store, record, after)) {
            result = dbi::kNotFound;
            break;
        }
        noted.push_back(Noted{record, after.entry.descript, &task.uid});
        const TaskState before{after.entry, true};
        if (step.record == 0) {
            step.record = record;
            step.before = before;
            step.after = after;
        } else {
            step.others.push_back(RecordChange{record, before, after});
        }
    }
    if (result != dbi::kOk) {
        // What was appended goes as Undo would take it.
        for (const RecordChange& other : step.others) {
            WriteTaskState(store, other.record, other.before);
        }
        if (step.record != 0) {
            WriteTaskState(store, step.record, step.before);
        }
        return result;
    }
    for (const Noted& task : noted) {
        store.Uids.Note(task.record, task.descript, false, *task.uid, true);
    }
    if (step.record != 0) {
        history.Push(std::move(step));
    }
    added = static_cast<int>(plan.tasks.size());
    return dbi::kOk;
}

}  // namespace store
