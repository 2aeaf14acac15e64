// The filter a person sets on the task list (date range, priority, done tasks, key words) and
// the xBase expression that the engine filters the task table by.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/date_time.h"

namespace store {

enum class DateFilter : std::uint8_t {
    kAllDates,
    kToday,
    kTomorrow,
    kNext7Days,
    kNext30Days,
    kNext365Days,
    kBeforeToday,
};

struct TaskFilter {
    std::uint8_t DateFilterIndex = 0;      // a DateFilter; 0 is every date
    std::uint8_t PriorityFilterIndex = 0;  // 0 all, 1 A only, 2 B only, 3 C only
    bool ShowDoneFlag = false;
    std::string KeyFilterText = {};  // key words separated by commas, as typed (Windows-1252)
};

// The expression for `filter` on the day `today`; empty when nothing is filtered out. Clauses
// are joined by ".and.": the date range (stored texts compared), the priority in either letter
// case, "(.not.DONE)" while done tasks are hidden, and the key words, any of which the task's
// KEYS must contain whatever their letter case.
std::string BuildFilterExpression(const TaskFilter& filter, rtl::TDateTime today);

// Whether the list counts as filtered for the indicator: a date range, a priority or any key
// text, blanks included. Hiding done tasks does not count.
bool IsFilterIndicatorShown(const TaskFilter& filter);

}  // namespace store
