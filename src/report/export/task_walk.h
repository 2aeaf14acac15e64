// The walk of the task set: the tasks of the task table under its filter and in its order,
// each as the texts a report shows of it.
#pragma once

#include <functional>
#include <string>

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
    std::string note;
};

// Walks the task set from its first task, visiting each one until the end of the table or
// until as many tasks as the engine counts under the filter have been visited, whichever comes
// first; `pendingMessages` runs after each step. The table stays where the walk ended.
class TaskWalk {
  public:
    TaskWalk(store::TTable& table, store::TEngineComponent& engine,
             std::function<void()> pendingMessages = {})
        : table_(table), engine_(engine), pendingMessages_(std::move(pendingMessages)) {}

    // `visit` answers false to stop the walk early. False when the table could not be read
    // or moved, with the reason in ErrorText().
    bool Run(const std::function<bool(const TaskRowTexts&)>& visit);
    const std::string& ErrorText() const { return error_; }

  private:
    bool Fail(std::string text);

    store::TTable& table_;
    store::TEngineComponent& engine_;
    std::function<void()> pendingMessages_;
    std::string error_;
};

}  // namespace report
