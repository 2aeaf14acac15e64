// The due moments of the tasks and the checks of the clock against them; the scans that read
// the due moments from the task table.
#include "store/reminder_schedule.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

#include "platform/xbase/sx.h"
#include "rtl/date_time.h"
#include "store/area_walk.h"
#include "store/record_set.h"

namespace store {

namespace {

constexpr LocalMinute kNoDue = std::numeric_limits<LocalMinute>::min();
constexpr LocalMinute kMinutesPerDay = 24 * 60;

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil {
    int year, month, day, hour, minute;
};

Civil CivilFrom(LocalMinute minute) {
    std::int64_t days = minute / kMinutesPerDay;
    std::int64_t ofDay = minute % kMinutesPerDay;
    if (ofDay < 0) {
        ofDay += kMinutesPerDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day, static_cast<int>(ofDay / 60), static_cast<int>(ofDay % 60)};
}

// The number written by exactly the digits of `text`; none for anything else.
std::optional<int> Digits(std::string_view text) {
    int value = 0;
    if (text.empty() || !std::all_of(text.begin(), text.end(),
                                     [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// "hh:nn" on the 24-hour clock.
std::optional<LocalMinute> TimeOfDay(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    const std::optional<int> hour = Digits(text.substr(0, 2));
    const std::optional<int> minute = Digits(text.substr(3, 2));
    if (!hour || !minute || !rtl::IsValidTime(*hour, *minute, 0)) {
        return std::nullopt;
    }
    return *hour * 60 + *minute;
}

std::string Trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

LocalMinute MakeLocalMinute(int year, int month, int day, int hour, int minute) {
    return DaysFromCivil(year, month, day) * kMinutesPerDay + hour * 60 + minute;
}

LocalMinute LocalMinuteAt(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return MakeLocalMinute(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min);
}

std::optional<LocalMinute> TaskDueMinute(const TaskEntry& task) {
    const std::string_view date = task.date;
    if (task.done || date.size() != 8) {
        return std::nullopt;
    }
    const std::optional<int> year = Digits(date.substr(0, 4));
    const std::optional<int> month = Digits(date.substr(4, 2));
    const std::optional<int> day = Digits(date.substr(6, 2));
    if (!year || !month || !day || !rtl::IsValidDate(*year, *month, *day)) {
        return std::nullopt;
    }
    const LocalMinute time = TimeOfDay(task.time).value_or(kDateOnlyDueHour * 60);
    return MakeLocalMinute(*year, *month, *day, 0, 0) + time;
}

std::string FormatCheckStamp(LocalMinute minute) {
    const Civil civil = CivilFrom(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", civil.year, civil.month,
                  civil.day, civil.hour, civil.minute);
    return text;
}

std::optional<LocalMinute> ParseCheckStamp(std::string_view text) {
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T') {
        return std::nullopt;
    }
    const std::optional<int> year = Digits(text.substr(0, 4));
    const std::optional<int> month = Digits(text.substr(5, 2));
    const std::optional<int> day = Digits(text.substr(8, 2));
    const std::optional<LocalMinute> time = TimeOfDay(text.substr(11, 5));
    if (!year || !month || !day || !time || !rtl::IsValidDate(*year, *month, *day)) {
        return std::nullopt;
    }
    return MakeLocalMinute(*year, *month, *day, 0, 0) + *time;
}

// ---- the schedule -----------------------------------------------------------------------------

void TReminderSchedule::Clear() {
    byDue_.clear();
    dueOf_.clear();
}

void TReminderSchedule::Reset(std::vector<std::pair<std::int32_t, LocalMinute>> dues) {
    Clear();
    byDue_.reserve(dues.size());
    for (const auto& [record, due] : dues) {
        if (record <= 0) {
            continue;
        }
        const auto index = static_cast<std::size_t>(record);
        if (dueOf_.size() <= index) {
            dueOf_.resize(index + 1, kNoDue);
        }
        dueOf_[index] = due;
        byDue_.emplace_back(due, record);
    }
    // One sort of the whole, where inserting each in its place would move the rest each time.
    std::sort(byDue_.begin(), byDue_.end());
    std::erase_if(reminded_, [this](const auto& reminded) {
        return DueOf(reminded.first) != reminded.second;
    });
}

void TReminderSchedule::Set(std::int32_t record, const TaskEntry& task) {
    Remove(record);
    const std::optional<LocalMinute> due = TaskDueMinute(task);
    if (!due || record <= 0) {
        return;
    }
    const auto index = static_cast<std::size_t>(record);
    if (dueOf_.size() <= index) {
        dueOf_.resize(index + 1, kNoDue);
    }
    dueOf_[index] = *due;
    const Entry entry{*due, record};
    byDue_.insert(std::lower_bound(byDue_.begin(), byDue_.end(), entry), entry);
    // Reminded at another moment, the task is due afresh at this one.
    if (auto at = reminded_.find(record); at != reminded_.end() && at->second != *due) {
        reminded_.erase(at);
    }
}

void TReminderSchedule::Remove(std::int32_t record) {
    const std::optional<LocalMinute> due = DueOf(record);
    if (!due) {
        return;
    }
    const Entry entry{*due, record};
    auto at = std::lower_bound(byDue_.begin(), byDue_.end(), entry);
    if (at != byDue_.end() && *at == entry) {
        byDue_.erase(at);
    }
    dueOf_[static_cast<std::size_t>(record)] = kNoDue;
}

std::optional<LocalMinute> TReminderSchedule::DueOf(std::int32_t record) const {
    const auto index = static_cast<std::size_t>(record);
    if (record <= 0 || index >= dueOf_.size() || dueOf_[index] == kNoDue) {
        return std::nullopt;
    }
    return dueOf_[index];
}

bool TReminderSchedule::Reminded(const Entry& entry) const {
    auto at = reminded_.find(entry.second);
    return at != reminded_.end() && at->second == entry.first;
}

std::vector<TReminderSchedule::Entry> TReminderSchedule::DueIn(LocalMinute after,
                                                               LocalMinute upTo) const {
    std::vector<Entry> due;
    const Entry first{after, std::numeric_limits<std::int32_t>::max()};
    for (auto at = std::upper_bound(byDue_.begin(), byDue_.end(), first);
         at != byDue_.end() && at->first <= upTo; ++at) {
        if (!Reminded(*at)) {
            due.push_back(*at);
        }
    }
    return due;
}

std::size_t TReminderSchedule::Start(std::optional<LocalMinute> lastChecked, LocalMinute now) {
    std::size_t missed = 0;
    if (lastChecked && *lastChecked < now) {
        for (const Entry& entry : DueIn(*lastChecked, now)) {
            reminded_[entry.second] = entry.first;
            ++missed;
        }
    }
    lastChecked_ = now;
    return missed;
}

std::vector<std::int32_t> TReminderSchedule::Check(LocalMinute now) {
    std::vector<std::int32_t> records;
    // A clock set back checks on from where it stands now; what was reminded stays reminded.
    if (now > lastChecked_) {
        for (const Entry& entry : DueIn(lastChecked_, now)) {
            reminded_[entry.second] = entry.first;
            records.push_back(entry.second);
        }
    }
    lastChecked_ = now;
    return records;
}

std::optional<LocalMinute> TReminderSchedule::NextDue() const {
    const Entry first{lastChecked_, std::numeric_limits<std::int32_t>::max()};
    for (auto at = std::upper_bound(byDue_.begin(), byDue_.end(), first); at != byDue_.end();
         ++at) {
        if (!Reminded(*at)) {
            return at->first;
        }
    }
    return std::nullopt;
}

// ---- reading the table ------------------------------------------------------------------------

namespace {

// The due fields of the engine's current record; none for a deleted one.
std::optional<TaskEntry> CurrentDueFields() {
    if (sx_Eof() || sx_Deleted()) {
        return std::nullopt;
    }
    TaskEntry task;
    task.date = Trimmed(sx_GetString(task_field::kDate));
    task.time = Trimmed(sx_GetString(task_field::kTime));
    task.done = sx_GetLogical(task_field::kDone);
    return task;
}

}  // namespace

void ScanDueTasks(TTable& table, TReminderSchedule& schedule) {
    std::vector<std::pair<std::int32_t, LocalMinute>> dues;
    if (table.Active()) {
        AreaWalk walk(table.Handle());
        const bool turbo = sx_SetTurboRead(true);
        const int count = sx_RecCount();
        for (int record = 1; record <= count && sx_Go(record); ++record) {
            if (std::optional<TaskEntry> task = CurrentDueFields()) {
                if (std::optional<LocalMinute> due = TaskDueMinute(*task)) {
                    dues.emplace_back(record, *due);
                }
            }
        }
        sx_SetTurboRead(turbo);
    }
    schedule.Reset(std::move(dues));
}

void RescanDueTask(TTable& table, std::int32_t record, TReminderSchedule& schedule) {
    schedule.Remove(record);
    if (!table.Active() || record <= 0) {
        return;
    }
    AreaWalk walk(table.Handle());
    if (!sx_Go(record)) {
        return;
    }
    if (std::optional<TaskEntry> task = CurrentDueFields()) {
        schedule.Set(record, *task);
    }
}

}  // namespace store
