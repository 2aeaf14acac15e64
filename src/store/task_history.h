// The history of the changes a person made to tasks: each step knows its records and the whole
// task before and after, and is undone and redone through the task table's record set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "store/engine_adaptor.h"
#include "store/task_record.h"

namespace store {

class TTaskStore;
class TTable;

// What a step changed, as the Edit menu names it.
enum class TaskChange {
    kAdd,
    kEdit,
    kTaskText,
    kNote,
    kClone,
    kDelete,
    kDone,
    kDate,
    kPriority,
    kTime,
    kKeyWords,
    kImport,
};
std::string_view TaskChangeName(TaskChange change);

// A task as one side of a step: every field, the note, and whether the engine has it marked
// deleted (an added task's "before" is the task itself, deleted).
struct TaskState {
    TaskEntry entry;
    bool deleted = false;
};
bool operator==(const TaskEntry& a, const TaskEntry& b);
bool operator==(const TaskState& a, const TaskState& b);

// One more record of a step that changed many at once.
struct RecordChange {
    std::int32_t record = 0;
    TaskState before;
    TaskState after;
};

struct TaskStep {
    TaskChange change = TaskChange::kEdit;
    std::int32_t record = 0;
    TaskState before;
    TaskState after;
    // The step's other records (an import adds many tasks as one change), undone and redone
    // with the first.
    std::vector<RecordChange> others{};
};

// A step begun on the table's current record, before a command changes it.
struct PendingStep {
    TaskChange change = TaskChange::kEdit;
    std::int32_t record = 0;  // 0 for a command that appends
    TaskState before;
    int records = 0;  // the table's record count before the command
};

class TTaskHistory {
  public:
    // The history keeps at least this many steps; the oldest go first beyond it.
    static constexpr std::size_t kDefaultLimit = 1000;
    explicit TTaskHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    // Reads the task table's current record as a command is about to change it. A command
    // that appends needs no current record.
    static PendingStep Begin(TTaskStore& store, TaskChange change);
    // Reads the record the command changed, or appended last, and keeps the step, dropping
    // what could be redone; a command that changed nothing keeps none. True when a step was
    // kept.
    bool Commit(TTaskStore& store, const PendingStep& pending);
    void Push(TaskStep step);

    bool CanUndo() const { return undone_ < steps_.size(); }
    bool CanRedo() const { return undone_ > 0; }
    std::optional<TaskChange> UndoChange() const;
    std::optional<TaskChange> RedoChange() const;
    std::size_t Size() const { return steps_.size(); }
    bool Empty() const { return steps_.empty(); }
    void Clear();

    // Puts the record of the last step back as it was before it (Undo) or after it (Redo),
    // whatever the filter and the hidden deleted records; the step's record is then current
    // when the filter shows it, else the record current before. The record number in
    // `record`. A failure keeps the step where it was.
    DbiResult Undo(TTaskStore& store, std::int32_t& record);
    DbiResult Redo(TTaskStore& store, std::int32_t& record);

  private:
    std::deque<TaskStep> steps_;  // oldest first
    std::size_t undone_ = 0;      // steps at the end that were undone
    std::size_t limit_;
};

// Writes `state` to record `record` of the store's task table: its fields and note where they
// differ, then its deleted mark. The filter and the hiding of deleted records are lifted while
// it writes, so that a task they hide is reached all the same.
DbiResult WriteTaskState(TTaskStore& store, std::int32_t record, const TaskState& state);
// Reads record `record` of the store's task table, reaching it as WriteTaskState does when
// it is not current; false when it cannot be reached.
bool ReadTaskState(TTaskStore& store, std::int32_t record, TaskState& state);

}  // namespace store
