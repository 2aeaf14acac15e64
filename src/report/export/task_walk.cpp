// The task set's walk and the texts of each task, read from the table's stored fields with
// the task grid's own display rules.
#include "report/export/task_walk.h"

#include "store/display_fields.h"

namespace report {

bool TaskWalk::Fail(std::string text) {
    error_ = text.empty() ? "The task table could not be read" : std::move(text);
    return false;
}

bool TaskWalk::Run(const std::function<bool(const TaskRowTexts&)>& visit) {
    error_.clear();
    if (!table_.Active()) {
        return Fail("The task table is not open");
    }
    store::TField* descript = table_.FieldByName("DESCRIPT");
    store::TField* date = table_.FieldByName("DATE");
    store::TField* time = table_.FieldByName("TIME");
    store::TField* priority = table_.FieldByName("PRIORITY");
    store::TField* done = table_.FieldByName("DONE");
    store::TField* note = table_.FieldByName("NOTE");
    if (descript == nullptr || date == nullptr || time == nullptr || priority == nullptr ||
        done == nullptr || note == nullptr) {
        return Fail("The task table lacks one of its fields");
    }
    // Counted once: the count walks the whole table, and nothing changes it during the walk.
    const int count = engine_.FilteredCount();
    if (table_.First() != store::dbi::kOk) {
        return Fail(table_.LastErrorText());
    }
    int written = 0;
    while (!table_.Eof()) {
        const TaskRowTexts row{descript->AsString(),
                               store::ShowDate(date->AsString()),
                               store::ShowTime(time->AsString()),
                               store::ShowPriority(priority->AsString()),
                               store::IsDone(done->AsBoolean()),
                               note->AsString()};
        if (!visit(row)) {
            return true;
        }
        if (table_.Next() != store::dbi::kOk) {
            return Fail(table_.LastErrorText());
        }
        if (table_.Eof()) {
            break;
        }
        if (pendingMessages_) {
            pendingMessages_();
        }
        if (++written == count) {
            break;
        }
    }
    return true;
}

}  // namespace report
