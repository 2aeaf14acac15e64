// What the task list's quick-entry menus put into a task: the key word choice, the quick-date
// items, the quick time, and the one-field change (edit, assign, post).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rtl/date_time.h"
#include "store/record_set.h"

namespace store {

// KEYS after the key word `caption` is chosen from the key word menu: the caption alone for
// an empty KEYS, else appended after a blank (no check for a word already there);
// kClearEntry empties KEYS.
inline constexpr char kClearEntry[] = "Clear Entry";
std::string KeysWithChoice(std::string_view keys, std::string_view caption);

// One dated item of the quick-date menu: `tag` days after today.
struct QuickDateItem {
    const char* name;
    int tag;
    std::string caption;  // Windows-1252; a tab before the date
};
// The seventeen dated items in menu order, captioned for `today`: dates in the short date
// format in force, weekdays by the long day names in force.
std::vector<QuickDateItem> QuickDateItems(rtl::TDateTime today);

// The time the time dialog starts at: TIME when it reads as a time, else the time of day of
// `now`.
rtl::TDateTime QuickTimeStart(std::string_view time, rtl::TDateTime now);
// TIME ("hh:nn", 24-hour) for a time chosen in the time dialog, under the formats in force.
std::string QuickTimeToStored(rtl::TDateTime chosen);

// Edits the current record, sets the field `name` to `value` and posts. Answers the engine's
// words of a failure, empty when the value is stored. A failed post leaves the change in the
// record's edit, as any failed post does.
std::string ChangeTaskField(TTable& table, std::string_view name, std::string_view value);

}  // namespace store
