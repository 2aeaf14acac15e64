// The texts a task row shows (its display fields) and the colour a grid cell takes, worked out
// from a task's stored texts alone, so the grid and the exports show a task the same way.
#pragma once

#include <string>
#include <string_view>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"
#include "store/task_record.h"

namespace store {

// The display fields of one task, read under the formats in force or the given ones.
// ShowDate: DATE as "dd mmm yyyy" with the month's short name; empty when DATE is no real date.
std::string ShowDate(std::string_view date, const rtl::FormatSettings& settings);
std::string ShowDate(std::string_view date);
// ShowTime: TIME as " hh:mmam" / " hh:mmpm"; empty when TIME is no real time.
std::string ShowTime(std::string_view time, const rtl::FormatSettings& settings);
std::string ShowTime(std::string_view time);
// IsDone: "Y" or "N".
std::string IsDone(bool done);
// ShowKeys: a blank, then KEYS.
std::string ShowKeys(std::string_view keys);
// ShowPriority: "High", "Medium" or "Low" for A, B or C in either case; otherwise empty.
std::string ShowPriority(std::string_view priority);

// DATE rearranged as "mm/dd/yyyy", the way the program reads a stored date back as a date.
std::string StoredDateAsText(std::string_view date);
// The stored DATE as a date value under the given settings (the internal ones in practice);
// false when it names no real day.
bool StoredDateToValue(std::string_view date, rtl::TDateTime& value,
                       const rtl::FormatSettings& settings);
// A date value as DATE stores it ("yyyymmdd").
std::string DateToStored(rtl::TDateTime value);

// The grid's colour rule for an unfocused cell once the window is ready. Done tasks are never
// coloured; a High task (PRIORITY "A" in either case, as ShowPriority reads it) colours its
// Priority cell, a task due today its Date cell.
enum class CellHighlight { kNone, kHighPriority, kDueToday };
// `fieldName` is the column's field name in any case ("ShowPriority", "SHOWDATE", ...).
CellHighlight HighlightOf(std::string_view fieldName, const TaskEntry& task, rtl::TDateTime today);

}  // namespace store
