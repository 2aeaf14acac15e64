// When tasks fall due: each task's due moment, the tasks that fall due between one check of
// the clock and the next (each reminded once), the next moment one does, and the time stamp
// of the last check as TODO.INI keeps it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/task_record.h"

namespace store {

class TTable;

// A moment on the local wall clock in whole minutes since 1 January 1970 00:00. The task
// file's dates and times are local and name no zone, so neither does this.
using LocalMinute = std::int64_t;

LocalMinute MakeLocalMinute(int year, int month, int day, int hour, int minute);
// The local wall-clock minute a system time falls in.
LocalMinute LocalMinuteAt(std::time_t time);

// A date without a time is due at this hour of its day.
inline constexpr int kDateOnlyDueHour = 9;

// When a task falls due: its date at its time, or at 09:00 when it has no time (or one that
// is not a time of day). None for a done task and for one without a valid date.
std::optional<LocalMinute> TaskDueMinute(const TaskEntry& task);

// A check's time stamp as TODO.INI keeps it, "yyyy-mm-ddThh:nn", the same in every locale;
// reading gives none for any other text.
std::string FormatCheckStamp(LocalMinute minute);
std::optional<LocalMinute> ParseCheckStamp(std::string_view text);

// The due moments of the tasks, and the clock as last checked against them.
//
// A task is reminded once for each due moment it is given: a later check, the clock set
// back, or a scan of the table again does not remind it twice; an edit that moves it to
// another moment reminds it there.
class TReminderSchedule {
  public:
    // Takes these records' due moments (record, moment) in place of all those known, as a
    // read of the whole table finds them.
    void Reset(std::vector<std::pair<std::int32_t, LocalMinute>> dues);
    // Takes record `record` as `task` now stands: its due moment replaces the one known.
    void Set(std::int32_t record, const TaskEntry& task);
    void Remove(std::int32_t record);
    std::optional<LocalMinute> DueOf(std::int32_t record) const;
    // Tasks with a due moment.
    std::size_t Size() const { return byDue_.size(); }

    // The first check of a run: the number of tasks that fell due after `lastChecked` (the
    // last check of the run before) up to `now`, which are not reminded one by one. None on
    // a first start (no last check) or when the clock stands before the last check.
    std::size_t Start(std::optional<LocalMinute> lastChecked, LocalMinute now);
    // The tasks that fell due after the last check up to `now`, in due order, each once.
    std::vector<std::int32_t> Check(LocalMinute now);
    LocalMinute LastChecked() const { return lastChecked_; }
    // The first due moment after the last check of a task not yet reminded at it.
    std::optional<LocalMinute> NextDue() const;

  private:
    using Entry = std::pair<LocalMinute, std::int32_t>;
    void Clear();
    bool Reminded(const Entry& entry) const;
    // The entries due in (after, upTo], in due order.
    std::vector<Entry> DueIn(LocalMinute after, LocalMinute upTo) const;

    std::vector<Entry> byDue_;             // sorted by due moment, then record
    std::vector<LocalMinute> dueOf_;       // by record number; kNoDue for none
    std::unordered_map<std::int32_t, LocalMinute> reminded_;  // record -> moment reminded at
    LocalMinute lastChecked_ = 0;
};

// Reads the due moment of every task of the table in record order, deleted ones left out,
// without moving the set: one pass over the records, after a change of many of them.
void ScanDueTasks(TTable& table, TReminderSchedule& schedule);
// Reads the one record that changed, was added or deleted.
void RescanDueTask(TTable& table, std::int32_t record, TReminderSchedule& schedule);

}  // namespace store
