// Task commands on the task store.
#include "ui/main/task_commands.h"

#include <cstdio>

#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/text.h"
#include "store/display_fields.h"
#include "store/task_file.h"
#include "store/task_record.h"
#include "ui/main/key_word_list.h"

namespace {

namespace field = store::task_field;

bool Set(store::TTable& table, const char* field, std::string_view text) {
    store::TField* f = table.FieldByName(field);
    return f != nullptr && f->SetAsString(text);
}

std::string Get(store::TTable& table, const char* field) {
    store::TField* f = table.FieldByName(field);
    return f != nullptr ? f->AsString() : std::string();
}

}  // namespace

std::string MakeNumericDateFormat(std::string_view pattern) {
    std::string result;
    int days = 0;
    int months = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == 'D' || c == 'd') {
            if (days++ < 2) {
                result += c;
            }
        } else if (c == 'M' || c == 'm') {
            if (months++ < 2) {
                result += c;
            }
        } else if (c == 'Y' || c == 'y') {
            // A two-digit year read back lands in the current century, moving every other date.
            while (i + 1 < pattern.size() && (pattern[i + 1] == 'Y' || pattern[i + 1] == 'y')) {
                ++i;
            }
            result.append(4, c);
        } else {
            result += c;
        }
    }
    return result;
}

store::TaskEntry NewTaskEntry() {
    store::TaskEntry entry;
    entry.descript = "{Task description}";
    return entry;
}

bool StoreTaskEntry(store::TTaskStore& store, EditMode mode, store::TaskEntry entry,
                    KeyWordList& keyWords) {
    store::TTable& table = store.TodoTable;
    if (entry.priority != "A" && entry.priority != "C") {
        entry.priority = "B";
    }
    entry.note = rtl::PadMemoText(entry.note);
    const bool opened =
        (mode == EditMode::kEdit ? table.Edit() : table.Append()) == store::dbi::kOk;
    const bool saved =
        opened && store::AssignTaskEntry(table, entry) && table.Post() == store::dbi::kOk;
    if (saved) {
        BreakStringIntoWords(Get(table, field::kKeys), keyWords);
    }
    return saved;
}

bool TaskButtonsVisible(store::TTaskStore& store) {
    const int count = store.TodoEngine.RecordCount();
    const int number = store.TodoEngine.RecordNumber();
    if (number > 0 && number <= count) {
        store.TodoEngine.GoToRecord(number);
    }
    return store.TodoTable.Active() && !store.TodoTable.Eof();
}

bool ToggleDone(store::TTable& table) {
    store::TField* done = table.FieldByName(field::kDone);
    if (done == nullptr || table.Edit() != store::dbi::kOk ||
        !done->SetAsBoolean(!done->AsBoolean()) || table.Post() != store::dbi::kOk) {
        table.Cancel();
        return false;
    }
    return true;
}

bool CloneCurrentTask(store::TTable& table) {
    store::TField* note = table.FieldByName(field::kNote);
    store::TField* done = table.FieldByName(field::kDone);
    if (note == nullptr || done == nullptr) {
        return false;
    }
    const std::vector<std::string> lines = note->MemoLines();
    const store::TaskEntry task = store::ReadTaskEntry(table, store::NoteRead::kSkip);
    return table.Append() == store::dbi::kOk && Set(table, field::kDescript, task.descript) &&
           note->SetMemoLines(lines) && Set(table, field::kKeys, task.keys) &&
           Set(table, field::kDate, task.date) && Set(table, field::kTime, task.time) &&
           Set(table, field::kPriority, task.priority) && done->SetAsBoolean(false) &&
           table.Post() == store::dbi::kOk;
}

bool DeleteCurrentTask(store::TTaskStore& store) {
    store::TTable& table = store.TodoTable;
    const int current = store.TodoEngine.RecordNumber();
    table.Next();
    const int next = store.TodoEngine.RecordNumber();
    store.TodoEngine.GoToRecord(current);
    const bool deleted = table.Delete() == store::dbi::kOk;
    store.TodoEngine.GoToRecord(next);
    return deleted;
}

bool GoToDate(store::TTaskStore& store, rtl::TDateTime date) {
    store::TEngineComponent& engine = store.TodoEngine;
    store::TTable& table = store.TodoTable;
    const int before = engine.RecordNumber();
    // Only the date order can be searched by date; any other order is left for the search
    // and put back, with the task found current in it.
    const int order = engine.IndexOrder();
    const int dateOrder = engine.TagOrder(store::kDateTimeTag);
    if (dateOrder == 0) {
        return false;
    }
    if (order != dateOrder) {
        engine.SetOrder(dateOrder);
    }
    store.EngineEnv1.SetSoftSeek(true);
    engine.Seek(store::DateToStored(date));
    store.EngineEnv1.SetSoftSeek(false);
    // Undated tasks come first in date order, so past the last date the last task is the
    // last dated one, if any task has a date.
    if (table.Eof()) {
        table.Last();
    }
    const bool dated = table.GetBookmark().has_value() &&
                       Get(table, field::kDate).find_first_not_of(' ') != std::string::npos;
    const int found = dated ? engine.RecordNumber() : before;
    if (order != dateOrder) {
        engine.SetOrder(order);
    }
    engine.GoToRecord(found);
    return dated;
}

bool RebuildTaskFile(store::TTaskStore& store, store::RebuildRunner& runner, bool& done) {
    done = false;
    store.TodoTable.Close();
    if (store.OpenTaskTable(true)) {
        runner.RunRebuildWindow(true);
        done = true;
        for (const store::TaskTag& tag : store::kTaskTags) {
            done = done && store.TodoEngine.TagOrder(tag.name) != 0;
        }
        if (done) {
            store.Messages().ShowInformation("Done!");
        } else {
            // The rebuild window has shown what went wrong. An index without all its tags would be
            // taken as whole by every later open.
            store.TodoEngine.CloseIndexes();
            std::remove(store.PathOf(store::kTaskIndexName).c_str());
        }
    }
    store.TodoTable.Tag = -1;
    store.TodoTable.Close();
    if (!store.OpenTaskTable(false)) {
        done = false;
        return false;
    }
    store.TodoEngine.SetOrder(store.TodoEngine.TagOrder(store::kDateTimeTag));
    return true;
}
