// The task history: steps kept, undone and redone, and a task's state written back to its record.
#include "store/task_history.h"

#include <functional>
#include <string>

#include "store/task_file.h"

namespace store {

namespace {

TaskState CurrentState(TTable& table) {
    return TaskState{ReadTaskEntry(table), false};
}

DbiResult WriteCurrent(TTable& table, const TaskState& state) {
    if (!state.deleted) {
        if (DbiResult r = table.Recall(); r != dbi::kOk) {
            return r;
        }
    }
    if (!(ReadTaskEntry(table) == state.entry)) {
        DbiResult r = table.Edit();
        if (r == dbi::kOk && !AssignTaskEntry(table, state.entry)) {
            r = dbi::kLockRefused;
        }
        if (r == dbi::kOk) {
            r = table.Post();
        }
        if (r != dbi::kOk) {
            table.Cancel();
            return r;
        }
    }
    return state.deleted ? table.Delete() : dbi::kOk;
}

// Runs `work` on record `record` made current with the filter and the hiding of deleted
// records lifted, then puts both back. The record is left current where the filter shows it,
// else the record current before stays so.
DbiResult OnRecordShownOrNot(TTaskStore& store, std::int32_t record,
                             const std::function<DbiResult(TTable&)>& work) {
    TTable& table = store.TodoTable;
    TEngineComponent& engine = store.TodoEngine;
    if (DbiResult r = table.CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    const std::optional<std::int32_t> before = table.GetBookmark();
    const std::string filter = engine.Filter();
    const bool hideDeleted = store.EngineEnv1.Deleted();
    store.EngineEnv1.SetDeleted(false);
    if (!filter.empty()) {
        engine.ApplyFilter("");
    }
    engine.GoToRecord(record);
    const std::optional<std::int32_t> reached = table.GetBookmark();
    const DbiResult result = reached && *reached == record ? work(table) : dbi::kNotFound;
    store.EngineEnv1.SetDeleted(hideDeleted);
    if (!filter.empty()) {
        engine.ApplyFilter(filter);
    }
    engine.GoToRecord(record);
    const std::optional<std::int32_t> now = table.GetBookmark();
    if ((!now || *now != record || table.Eof()) && before) {
        engine.GoToRecord(*before);
    }
    return result;
}

// A task's description may change with any step; the companion table keeps the mark it knows
// the task again by current. Its failure costs nothing now: the next open matches again.
void NoteIdentity(TTaskStore& store, std::int32_t record, const TaskState& state) {
    store.Uids.Note(record, state.entry.descript, state.deleted);
}

enum class Side { kBefore, kAfter };

// Writes one side of a step to all its records, the others first (last to first), so that
// the step's first record ends current as it does for a step of one record. A failure
// stops there, with the records written so far left as written.
DbiResult WriteStepSide(TTaskStore& store, const TaskStep& step, Side side) {
    auto write = [&](std::int32_t record, const TaskState& state) {
        const DbiResult r = WriteTaskState(store, record, state);
        if (r == dbi::kOk) {
            NoteIdentity(store, record, state);
            if (step.change == TaskChange::kImport) {
                store.Uids.SetImported(record, side == Side::kAfter);
            }
        }
        return r;
    };
    for (std::size_t i = step.others.size(); i-- > 0;) {
        const RecordChange& other = step.others[i];
        if (DbiResult r = write(other.record, side == Side::kBefore ? other.before : other.after);
            r != dbi::kOk) {
            return r;
        }
    }
    return write(step.record, side == Side::kBefore ? step.before : step.after);
}

}  // namespace

std::string_view TaskChangeName(TaskChange change) {
    switch (change) {
        case TaskChange::kAdd:
            return "Add";
        case TaskChange::kEdit:
            return "Edit";
        case TaskChange::kTaskText:
            return "Task Text";
        case TaskChange::kNote:
            return "Note";
        case TaskChange::kClone:
            return "Clone";
        case TaskChange::kDelete:
            return "Delete";
        case TaskChange::kDone:
            return "Done";
        case TaskChange::kDate:
            return "Date";
        case TaskChange::kPriority:
            return "Priority";
        case TaskChange::kTime:
            return "Time";
        case TaskChange::kKeyWords:
            return "Key Words";
        case TaskChange::kImport:
            return "Import";
    }
    return {};
}

bool operator==(const TaskEntry& a, const TaskEntry& b) {
    return a.date == b.date && a.time == b.time && a.descript == b.descript && a.keys == b.keys &&
           a.priority == b.priority && a.done == b.done && a.note == b.note;
}

bool operator==(const TaskState& a, const TaskState& b) {
    return a.deleted == b.deleted && a.entry == b.entry;
}

PendingStep TTaskHistory::Begin(TTaskStore& store, TaskChange change) {
    TTable& table = store.TodoTable;
    PendingStep pending{change, 0, {}, store.TodoEngine.RecordCount()};
    const std::optional<std::int32_t> bookmark = table.GetBookmark();
    if (bookmark && change != TaskChange::kAdd) {
        pending.record = *bookmark;
        pending.before = CurrentState(table);
    }
    return pending;
}

bool TTaskHistory::Commit(TTaskStore& store, const PendingStep& pending) {
    TaskStep step{pending.change, pending.record, pending.before, {}};
    switch (pending.change) {
        case TaskChange::kAdd:
        case TaskChange::kClone:
            // The command appended the last record; before it, the record was not there to be
            // shown.
            step.record = store.TodoEngine.RecordCount();
            if (step.record != pending.records + 1 ||
                !ReadTaskState(store, step.record, step.after)) {
                return false;
            }
            step.before = TaskState{step.after.entry, true};
            break;
        case TaskChange::kDelete:
            step.after = TaskState{pending.before.entry, true};
            break;
        default:
            if (!ReadTaskState(store, step.record, step.after)) {
                return false;
            }
            break;
    }
    if (step.record == 0 || step.before == step.after) {
        return false;
    }
    if (pending.change == TaskChange::kAdd || pending.change == TaskChange::kClone) {
        NoteIdentity(store, step.record, step.after);
    } else {
        // A task another program added while the window was open has no UID yet: it takes the
        // one a reader derived from it as it was before this change.
        store.Uids.Note(step.record, step.after.entry.descript, step.after.deleted,
                        DerivedUid(step.record, step.before.entry));
    }
    Push(std::move(step));
    return true;
}

void TTaskHistory::Push(TaskStep step) {
    steps_.erase(steps_.end() - static_cast<std::ptrdiff_t>(undone_), steps_.end());
    undone_ = 0;
    steps_.push_back(std::move(step));
    while (steps_.size() > limit_) {
        steps_.pop_front();
    }
}

std::optional<TaskChange> TTaskHistory::UndoChange() const {
    if (!CanUndo()) {
        return std::nullopt;
    }
    return steps_[steps_.size() - undone_ - 1].change;
}

std::optional<TaskChange> TTaskHistory::RedoChange() const {
    if (!CanRedo()) {
        return std::nullopt;
    }
    return steps_[steps_.size() - undone_].change;
}

void TTaskHistory::Clear() {
    steps_.clear();
    undone_ = 0;
}

DbiResult TTaskHistory::Undo(TTaskStore& store, std::int32_t& record) {
    if (!CanUndo()) {
        return dbi::kNotFound;
    }
    // A copy: the write is heard by the window, which may keep a step of its own meanwhile.
    const TaskStep step = steps_[steps_.size() - undone_ - 1];
    record = step.record;
    const DbiResult r = WriteStepSide(store, step, Side::kBefore);
    if (r == dbi::kOk) {
        ++undone_;
    }
    return r;
}

DbiResult TTaskHistory::Redo(TTaskStore& store, std::int32_t& record) {
    if (!CanRedo()) {
        return dbi::kNotFound;
    }
    // A copy: the write is heard by the window, which may keep a step of its own meanwhile.
    const TaskStep step = steps_[steps_.size() - undone_];
    record = step.record;
    const DbiResult r = WriteStepSide(store, step, Side::kAfter);
    if (r == dbi::kOk) {
        --undone_;
    }
    return r;
}

DbiResult WriteTaskState(TTaskStore& store, std::int32_t record, const TaskState& state) {
    return OnRecordShownOrNot(store, record,
                              [&state](TTable& table) { return WriteCurrent(table, state); });
}

bool ReadTaskState(TTaskStore& store, std::int32_t record, TaskState& state) {
    // Most commands leave their task current; one the filter now hides is looked up.
    TTable& table = store.TodoTable;
    const std::optional<std::int32_t> bookmark = table.GetBookmark();
    if (bookmark && *bookmark == record && table.State() == TDataSetState::dsBrowse) {
        state = CurrentState(table);
        return true;
    }
    return OnRecordShownOrNot(store, record, [&state](TTable& table) {
               state = CurrentState(table);
               return dbi::kOk;
           }) == dbi::kOk;
}

}  // namespace store
