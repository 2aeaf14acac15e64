// Display fields of a task row and the colour rule of its cells.
#include "store/display_fields.h"

#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "store/task_record.h"

namespace store {

namespace {

// Field names compare in any letter case, as the engine compares them.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (rtl::AnsiUpper(a[i]) != rtl::AnsiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string StoredDateAsText(std::string_view date) {
    auto part = [date](size_t from, size_t count) {
        return from < date.size() ? std::string(date.substr(from, count)) : std::string();
    };
    return part(4, 2) + "/" + part(6, 2) + "/" + part(0, 4);
}

bool StoredDateToValue(std::string_view date, rtl::TDateTime& value,
                       const rtl::FormatSettings& settings) {
    return rtl::TryStrToDate(StoredDateAsText(date), value, settings,
                             rtl::DecodeDate(rtl::Today()).year);
}

std::string DateToStored(rtl::TDateTime value) {
    return rtl::FormatDateTime("yyyymmdd", value);
}

std::string ShowDate(std::string_view date, const rtl::FormatSettings& settings) {
    rtl::TDateTime value = 0;
    if (!StoredDateToValue(date, value, settings)) {
        return {};
    }
    return rtl::FormatDateTime("dd mmm yyyy", value, settings);
}

std::string ShowDate(std::string_view date) {
    return ShowDate(date, rtl::CurrentFormats());
}

std::string ShowTime(std::string_view time, const rtl::FormatSettings& settings) {
    rtl::TDateTime value = 0;
    if (!rtl::TryStrToTime(time, value, settings)) {
        return {};
    }
    return rtl::FormatDateTime(" hh:mmam/pm", value, settings);
}

std::string ShowTime(std::string_view time) {
    return ShowTime(time, rtl::CurrentFormats());
}

std::string IsDone(bool done) {
    return done ? "Y" : "N";
}

std::string ShowKeys(std::string_view keys) {
    return " " + std::string(keys);
}

std::string ShowPriority(std::string_view priority) {
    const std::string upper = rtl::AnsiUpperCase(priority);
    if (upper == "A") {
        return "High";
    }
    if (upper == "B") {
        return "Medium";
    }
    if (upper == "C") {
        return "Low";
    }
    return {};
}

CellHighlight HighlightOf(std::string_view fieldName, const TaskEntry& task,
                          rtl::TDateTime today) {
    if (task.done) {
        return CellHighlight::kNone;
    }
    if (SameName(fieldName, task_field::kShowPriority) && SameName(task.priority, "A")) {
        return CellHighlight::kHighPriority;
    }
    if (SameName(fieldName, task_field::kShowDate) && task.date == DateToStored(today)) {
        return CellHighlight::kDueToday;
    }
    return CellHighlight::kNone;
}

}  // namespace store
