// Reminders at the due time on a clock the test sets: what falls due at each check, what the
// next moment is, what a start counts as missed, and the due moments read from a task table.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/reminder_schedule.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace {

using store::LocalMinute;
using store::TaskEntry;

LocalMinute At(const char* stamp) {
    const std::optional<LocalMinute> minute = store::ParseCheckStamp(stamp);
    EXPECT_TRUE(minute.has_value()) << stamp;
    return minute.value_or(0);
}

TaskEntry Due(std::string date, std::string time, bool done = false) {
    return TaskEntry{.date = std::move(date), .time = std::move(time), .done = done};
}

// One look at the clock: tasks changed just before it, the records it reminds, and the next
// moment a task falls due after it.
struct Step {
    const char* now;
    std::vector<int> expected;
    const char* next = nullptr;  // none
    std::vector<std::pair<int, TaskEntry>> edits{};
};

struct Case {
    const char* name;
    std::vector<TaskEntry> tasks;  // records 1, 2, ...
    const char* lastChecked;       // by the run before; null on a first start
    const char* start;
    std::size_t missed;
    std::vector<Step> steps;
};

TEST(ReminderSchedule, RemindsEachTaskOnceAtItsDueMoment) {
    const Case cases[] = {
        {"due now", {Due("20261209", "10:00")}, "2026-12-09T09:00", "2026-12-09T09:59", 0,
         {{"2026-12-09T10:00", {1}}, {"2026-12-09T10:01", {}}}},
        {"due later",
         {Due("20261209", "10:30")},
         "2026-12-09T09:00",
         "2026-12-09T10:00",
         0,
         {{"2026-12-09T10:00", {}, "2026-12-09T10:30"},
          {"2026-12-09T10:29", {}, "2026-12-09T10:30"},
          {"2026-12-09T10:30", {1}}}},
        {"done", {Due("20261209", "10:00", true)}, nullptr, "2026-12-09T09:00", 0,
         {{"2026-12-09T11:00", {}}}},
        {"no date", {Due("", "10:00")}, nullptr, "2026-12-09T09:00", 0,
         {{"2026-12-10T11:00", {}}}},
        {"a date without a time at nine",
         {Due("20261210", ""), Due("20261210", "9:5x")},
         nullptr,
         "2026-12-09T20:00",
         0,
         {{"2026-12-10T08:59", {}, "2026-12-10T09:00"}, {"2026-12-10T09:00", {1, 2}}}},
        {"not a date", {Due("20261332", "10:00"), Due("2026120", "10:00")}, nullptr,
         "2026-12-09T09:00", 0, {{"2027-01-09T11:00", {}}}},
        {"several at once in due order",
         {Due("20261209", "10:05"), Due("20261209", "10:01"), Due("20261209", "10:11")},
         nullptr,
         "2026-12-09T10:00",
         0,
         {{"2026-12-09T10:10", {2, 1}, "2026-12-09T10:11"}}},
        {"edited after scheduling",
         {Due("20261209", "10:00"), Due("20261209", "10:00")},
         nullptr,
         "2026-12-09T09:00",
         0,
         {{"2026-12-09T09:30",
           {},
           "2026-12-09T11:00",
           {{1, Due("20261209", "11:00")}, {2, Due("20261209", "10:00", true)}}},
          {"2026-12-09T10:00", {}, "2026-12-09T11:00"},
          {"2026-12-09T11:00", {1}}}},
        {"moved on after its reminder is reminded again",
         {Due("20261209", "10:00")},
         nullptr,
         "2026-12-09T09:00",
         0,
         {{"2026-12-09T10:00", {1}},
          {"2026-12-09T10:10", {}, "2026-12-09T10:30", {{1, Due("20261209", "10:30")}}},
          {"2026-12-09T10:30", {1}},
          {"2026-12-09T10:40", {}, nullptr, {{1, Due("20261209", "10:30")}}}}},
        {"added, then deleted",
         {},
         nullptr,
         "2026-12-09T09:00",
         0,
         {{"2026-12-09T09:10", {}, "2026-12-09T09:30", {{3, Due("20261209", "09:30")}}},
          {"2026-12-09T09:20", {}, nullptr, {{3, Due("", "")}}},
          {"2026-12-09T09:30", {}}}},
        {"missed while closed",
         {Due("20261209", "08:30"), Due("20261209", ""), Due("20261209", "10:30"),
          Due("20261209", "08:45", true), Due("20261209", "08:00")},
         "2026-12-09T08:00",
         "2026-12-09T10:00",
         2,
         {{"2026-12-09T10:00", {}, "2026-12-09T10:30"}, {"2026-12-09T10:30", {3}}}},
        {"first start", {Due("20261209", "08:30"), Due("20261209", "10:30")}, nullptr,
         "2026-12-09T10:00", 0, {{"2026-12-09T10:01", {}, "2026-12-09T10:30"}}},
        {"the clock jumping forward",
         {Due("20261209", "11:00"), Due("20261209", "13:00"), Due("20261209", "15:00")},
         nullptr,
         "2026-12-09T10:00",
         0,
         {{"2026-12-09T14:00", {1, 2}, "2026-12-09T15:00"}}},
        {"the clock set back",
         {Due("20261209", "10:30"), Due("20261209", "10:40")},
         nullptr,
         "2026-12-09T10:00",
         0,
         {{"2026-12-09T10:30", {1}, "2026-12-09T10:40"},
          {"2026-12-09T09:00", {}, "2026-12-09T10:40"},
          {"2026-12-09T10:45", {2}}}},
        {"the clock set back while closed", {Due("20261209", "11:00")}, "2026-12-09T12:00",
         "2026-12-09T10:00", 0, {{"2026-12-09T11:00", {1}}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        store::TReminderSchedule schedule;
        for (std::size_t i = 0; i < test.tasks.size(); ++i) {
            schedule.Set(static_cast<std::int32_t>(i + 1), test.tasks[i]);
        }
        const std::optional<LocalMinute> last =
            test.lastChecked != nullptr ? std::optional(At(test.lastChecked)) : std::nullopt;
        EXPECT_EQ(schedule.Start(last, At(test.start)), test.missed);
        for (const Step& step : test.steps) {
            SCOPED_TRACE(step.now);
            for (const auto& [record, task] : step.edits) {
                schedule.Set(record, task);
            }
            const std::vector<std::int32_t> due = schedule.Check(At(step.now));
            EXPECT_EQ(std::vector<int>(due.begin(), due.end()), step.expected);
            EXPECT_EQ(schedule.NextDue(), step.next != nullptr ? std::optional(At(step.next))
                                                               : std::nullopt);
        }
    }
}

TEST(ReminderSchedule, CheckStampsReadBackAndRefuseOtherTexts) {
    for (const char* stamp : {"2026-12-09T10:05", "1999-12-31T23:59", "2028-02-29T00:00",
                              "1969-07-20T20:17"}) {
        EXPECT_EQ(store::FormatCheckStamp(At(stamp)), stamp);
    }
    EXPECT_EQ(At("2026-12-10T00:00") - At("2026-12-09T23:59"), 1);
    EXPECT_EQ(At("2026-03-01T00:00") - At("2026-02-28T00:00"), 24 * 60);
    for (const char* text : {"", "2026-12-09 10:05", "2026-12-09T10:05:00", "2026-13-09T10:05",
                             "2026-02-29T10:05", "2026-12-09T24:00", "09/12/2026 10:05",
                             "2026-12-09T1a:05"}) {
        EXPECT_FALSE(store::ParseCheckStamp(text).has_value()) << text;
    }
}

class ReminderScan : public store_test::StoreTest {};

TEST_F(ReminderScan, ReadsEveryLiveTaskWithoutMovingTheSet) {
    MakeTaskFile("QUILX.DBF",
                 {{"20261209", "10:00", "Alpha", "", false, ""},
                  {"20261209", "", "Bravo", "", false, ""},
                  {"", "10:00", "Charlie", "", false, ""},
                  {"20261209", "11:00", "Delta", "", true, ""},
                  {"20261209", "12:00", "Echo (deleted)", "", false, ""},
                  {"20261208", "07:15", "Foxtrot", "", false, ""}},
                 true, {5});
    store::TTaskStore store(Dir(), sink, sink);
    ASSERT_TRUE(store.Start());
    store.EngineEnv1.SetDeleted(true);
    ASSERT_TRUE(store.OpenTaskTable(false));
    // The set stands on a task under a filter that hides some of the others: reminders
    // come for every task, the hidden ones too.
    store.TodoEngine.ApplyFilter("DESCRIPT = \"B\"");
    store.TodoTable.First();
    const std::optional<std::int32_t> before = store.TodoTable.GetBookmark();
    const int otherArea = OpenBystander();

    store::TReminderSchedule schedule;
    store::ScanDueTasks(store.TodoTable, schedule);
    const std::optional<LocalMinute> expected[] = {
        At("2026-12-09T10:00"), At("2026-12-09T09:00"), std::nullopt, std::nullopt,
        std::nullopt,           At("2026-12-08T07:15")};
    for (int record = 1; record <= 6; ++record) {
        EXPECT_EQ(schedule.DueOf(record), expected[record - 1]) << record;
    }
    EXPECT_EQ(schedule.Size(), 3u);
    EXPECT_EQ(sx_Select(otherArea), otherArea);
    EXPECT_EQ(store.TodoTable.GetBookmark(), before);

    // One record read again after a change, and after its deletion.
    sx_Select(store.TodoTable.Handle());
    ASSERT_TRUE(sx_Go(3));
    ASSERT_TRUE(sx_Replace("DATE", SxReplace::kText, "20261210"));
    ASSERT_TRUE(sx_Go(1));
    ASSERT_TRUE(sx_Delete());
    ASSERT_TRUE(sx_Commit());
    store::RescanDueTask(store.TodoTable, 3, schedule);
    store::RescanDueTask(store.TodoTable, 1, schedule);
    EXPECT_EQ(schedule.DueOf(3), At("2026-12-10T10:00"));
    EXPECT_EQ(schedule.DueOf(1), std::nullopt);
    EXPECT_EQ(schedule.Size(), 3u);
}

}  // namespace
