// The walk of the task set: the tasks of the task table under its filter and in its order,
// each as the texts a report shows of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/engine_component.h"
#include "store/record_set.h"

namespace report {

// One task as the exports write it: the description and the display fields of the task
// grid (Windows-1252), and the note as stored.
struct TaskRowTexts {
    std::string description;
    std::string date;      // ShowDate
    std::string time;      // ShowTime
    std::string priority;  // ShowPriority
    std::string done;      // IsDone
    std::string note;      // read only when the walk is asked for notes
    std::string storedDate;  // DATE as stored, "yyyymmdd"
    std::string storedTime;  // TIME as stored
    std::string keys;        // KEYS as stored
    std::string storedPriority;  // PRIORITY as stored
    std::int32_t record = 0;     // the task's record number
};

// Told after each task with the tasks visited so far and the tasks the walk expects (the
// engine's count under the filter); answering false cancels the walk.
using WalkProgress = std::function<bool(int visited, int expected)>;

// Walks the task set from its first task, visiting each one until the end of the table or
// until as many tasks as the engine counts under the filter have been visited, whichever comes
// first.
//
// The records are read straight from the table's work area, so the record set never moves:
// the views bound to it hear nothing of the walk, and the current task stays current. The
// engine is put back on the record it stood on.
class TaskWalk {
  public:
    TaskWalk(store::TTable& table, store::TEngineComponent& engine, WalkProgress progress = {})
        : table_(table), engine_(engine), progress_(std::move(progress)) {}

    // `visit` answers false to stop the walk early. False when the table could not be read,
    // with the reason in ErrorText(), or when the progress cancelled the walk (Cancelled()).
    bool Run(const std::function<bool(const TaskRowTexts&)>& visit, bool withNotes = true);
    // Visits these records in this order instead (null: the table's order from its start);
    // they must outlive the walk.
    void SetRecords(const std::vector<std::int32_t>* records) { records_ = records; }
    const std::string& ErrorText() const { return error_; }
    bool Cancelled() const { return cancelled_; }

  private:
    bool Fail(std::string text);

    store::TTable& table_;
    store::TEngineComponent& engine_;
    WalkProgress progress_;
    const std::vector<std::int32_t>* records_ = nullptr;
    std::string error_;
    bool cancelled_ = false;
};

}  // namespace report
