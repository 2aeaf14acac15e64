// One task read from the task table's current record and assigned back.
#include "store/task_record.h"

#include "store/record_set.h"

namespace store {

namespace {

std::string Text(TTable& table, const char* name) {
    const TField* field = table.FieldByName(name);
    return field != nullptr ? field->AsString() : std::string();
}

bool Assign(TTable& table, const char* name, std::string_view text) {
    TField* field = table.FieldByName(name);
    return field != nullptr && field->SetAsString(text);
}

}  // namespace

TaskEntry ReadTaskEntry(TTable& table, NoteRead note) {
    TaskEntry entry;
    entry.date = Text(table, task_field::kDate);
    entry.time = Text(table, task_field::kTime);
    entry.descript = Text(table, task_field::kDescript);
    entry.keys = Text(table, task_field::kKeys);
    entry.priority = Text(table, task_field::kPriority);
    const TField* done = table.FieldByName(task_field::kDone);
    entry.done = done != nullptr && done->AsBoolean();
    if (note == NoteRead::kRead) {
        entry.note = Text(table, task_field::kNote);
    }
    return entry;
}

bool AssignTaskEntry(TTable& table, const TaskEntry& entry) {
    TField* done = table.FieldByName(task_field::kDone);
    return Assign(table, task_field::kDescript, entry.descript) &&
           Assign(table, task_field::kKeys, entry.keys) &&
           Assign(table, task_field::kNote, entry.note) &&
           Assign(table, task_field::kDate, entry.date) &&
           Assign(table, task_field::kTime, entry.time) &&
           Assign(table, task_field::kPriority, entry.priority) && done != nullptr &&
           done->SetAsBoolean(entry.done);
}

}  // namespace store
