// The day's backup of a task file of N tasks, every one with a note, taken as the window takes
// it after its first rows are painted: the table open shared through the store, the copy made
// under the table's lock and read back whole. Goal: 100,000 tasks within 1 s.
// Usage: backup_bench [N...]   (default 100000)
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/xbase/sx.h"
#include "store/backups.h"
#include "store/task_file.h"
#include "task_file_maker.h"

int main(int argc, char** argv) {
    for (const std::uint32_t count : bench::TaskCounts(argc, argv, {100000})) {
        const std::string dir = bench::MakeTempDir("quillet-backup-bench");
        if (dir.empty()) {
            return 1;
        }
        bench::QuietSink sink;
        store::TTaskStore store(dir, sink, sink);
        if (!store.Start() || !bench::MakeTaskFile(store, count)) {
            return 1;
        }
        // The maker notes every tenth task; the rest get theirs here.
        if (sx_Use(store.PathOf(store::kTaskTableName), "NOTER", 2, 2) == 0) {
            return 1;
        }
        for (int n = 1; n <= sx_RecCount(); ++n) {
            sx_Go(n);
            if (sx_GetMemo("NOTE").empty()) {
                sx_Replace("NOTE", SxReplace::kMemo,
                           "A note of a few lines for task " + std::to_string(n) + ": " +
                               std::string(160, 'n'));
            }
        }
        sx_Commit();
        sx_Close();
        if (!store.OpenTaskTable(false)) {
            return 1;
        }
        store::Backups backups(dir);
        bool ok = true;
        const double best = bench::Best(3, [&] {
            std::filesystem::remove_all(dir + store::kBackupsFolder);
            ok = backups.TakeDaily(std::time(nullptr)).ok() && ok;
        });
        std::uintmax_t bytes = 0;
        for (const char* name : {store::kTaskTableName, store::kTaskMemoName}) {
            bytes += std::filesystem::file_size(dir + name);
        }
        const std::vector<store::BackupEntry> taken = backups.List();
        ok = ok && taken.size() == 1 && taken[0].tasks == static_cast<int>(count);
        std::printf("backup of %u tasks with notes (%.1f MB): %.3f s (goal 1 s)%s\n", count,
                    static_cast<double>(bytes) / 1e6, best, ok ? "" : " FAILED");
        store.TodoTable.Close();
        std::filesystem::remove_all(dir);
        if (!ok) {
            return 1;
        }
    }
    return 0;
}
