// The task history: steps kept, undone and redone, and a task's state written back to its record.
#include "store/task_history.h"

#include "store/task_file.h"

namespace store {

namespace {

TaskState CurrentState(TTable& table) {
    return TaskState{ReadTaskEntry(table), false};
}

// The record must be current, with the filter and the hiding of deleted records lifted.
DbiResult WriteCurrent(TTable& table, std::int32_t record, const TaskState& state) {
    const std::optional<std::int32_t> bookmark = table.GetBookmark();
    if (!bookmark || *bookmark != record) {
        return dbi::kNotFound;
    }
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

PendingStep TTaskHistory::Begin(TTable& table, TaskChange change) {
    PendingStep pending{change, 0, {}};
    const std::optional<std::int32_t> bookmark = table.GetBookmark();
    if (bookmark && change != TaskChange::kAdd) {
        pending.record = *bookmark;
        pending.before = CurrentState(table);
    }
    return pending;
}

bool TTaskHistory::Commit(TTable& table, const PendingStep& pending) {
    TaskStep step{pending.change, pending.record, pending.before, {}};
    const std::optional<std::int32_t> bookmark = table.GetBookmark();
    switch (pending.change) {
        case TaskChange::kAdd:
        case TaskChange::kClone:
            // The appended task is current; before it, its record was not there to be shown.
            if (!bookmark) {
                return false;
            }
            step.record = *bookmark;
            step.after = CurrentState(table);
            step.before = TaskState{step.after.entry, true};
            break;
        case TaskChange::kDelete:
            step.after = TaskState{pending.before.entry, true};
            break;
        default:
            if (!bookmark || *bookmark != pending.record) {
                return false;
            }
            step.after = CurrentState(table);
            break;
    }
    if (step.record == 0 || step.before == step.after) {
        return false;
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
    const TaskStep& step = steps_[steps_.size() - undone_ - 1];
    record = step.record;
    const DbiResult r = WriteTaskState(store, step.record, step.before);
    if (r == dbi::kOk) {
        ++undone_;
    }
    return r;
}

DbiResult TTaskHistory::Redo(TTaskStore& store, std::int32_t& record) {
    if (!CanRedo()) {
        return dbi::kNotFound;
    }
    const TaskStep& step = steps_[steps_.size() - undone_];
    record = step.record;
    const DbiResult r = WriteTaskState(store, step.record, step.after);
    if (r == dbi::kOk) {
        --undone_;
    }
    return r;
}

DbiResult WriteTaskState(TTaskStore& store, std::int32_t record, const TaskState& state) {
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
    const DbiResult result = WriteCurrent(table, record, state);
    store.EngineEnv1.SetDeleted(hideDeleted);
    if (!filter.empty()) {
        engine.ApplyFilter(filter);
    }
    // The record is shown where the filter lets it be; else the task current before stays so.
    engine.GoToRecord(record);
    const std::optional<std::int32_t> now = table.GetBookmark();
    if ((!now || *now != record || table.Eof()) && before) {
        engine.GoToRecord(*before);
    }
    return result;
}

}  // namespace store
