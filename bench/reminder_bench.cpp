// Reminders on a task file of N tasks (dates over four years, a third done): the scan of the
// whole table that follows a reload of the grid, the read of one changed record that follows
// an edit, and the look at the clock made each minute, with the memory the schedule holds.
// Goal at 1,000,000 tasks: the scan no longer than the grid's own reload walk, a look well
// under a millisecond.
// Usage: reminder_bench [N...]   (default 100000 1000000)
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "store/reminder_schedule.h"
#include "store/row_order.h"
#include "store/task_file.h"
#include "task_file_maker.h"

int main(int argc, char** argv) {
    for (const std::uint32_t count : bench::TaskCounts(argc, argv, {100000, 1000000})) {
        const std::string dir = bench::MakeTempDir("quillet-reminder-bench");
        if (dir.empty()) {
            return 1;
        }
        bench::QuietSink sink;
        store::TTaskStore store(dir, sink, sink);
        if (!store.Start() || !bench::MakeTaskFile(store, count) ||
            !store.OpenTaskTable(false)) {
            return 1;
        }
        store::TRowOrder rows(store.TodoTable);
        const double reload = bench::Best(3, [&] { rows.Reload(); });
        store::TReminderSchedule schedule;
        const double scan = bench::Best(3, [&] { store::ScanDueTasks(store.TodoTable, schedule); });
        const double rescan = bench::Best(3, [&] {
            for (std::int32_t record = 1; record <= 1000; ++record) {
                store::RescanDueTask(store.TodoTable, record, schedule);
            }
        }) / 1000;
        schedule.Start(std::nullopt, store::MakeLocalMinute(2025, 1, 1, 0, 0));
        store::LocalMinute now = schedule.LastChecked();
        std::size_t reminded = 0;
        // A look each minute over one week of the generated dates.
        const int looks = 7 * 24 * 60;
        const double look = bench::Seconds([&] {
            for (int i = 0; i < looks; ++i) {
                reminded += schedule.Check(++now).size();
                (void)schedule.NextDue();
            }
        }) / looks;
        std::printf("%u tasks, %zu with a due moment: grid reload walk %.3f s, scan %.3f s, "
                    "one record read again %.1f us, one look %.2f us (%zu reminded in a week), "
                    "schedule about %.1f MB\n",
                    count, schedule.Size(), reload, scan, rescan * 1e6, look * 1e6, reminded,
                    static_cast<double>(schedule.Size() * 16 + count * 8) / 1e6);
        store.TodoTable.Close();
        std::filesystem::remove_all(dir);
    }
    return 0;
}
