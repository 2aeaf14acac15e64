// Rolling backups and their restore on real files: once a day, 14 kept, a copy that does not
// read back never costs an older one, a restore round trip and its refusals, the command line,
// and a failure or a death at every write of a backup or a restore.
#include "store/backups.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

namespace fs = std::filesystem;

// Noon of 1 March 2026 plus `days`, local time, so that no day's change falls between.
std::time_t Noon(int days, int seconds = 0) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 2;
    t.tm_mday = 1 + days;
    t.tm_hour = 12;
    t.tm_sec = seconds;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file of a folder and below, by its path inside the folder.
std::map<std::string, std::string> Tree(const std::string& dir) {
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(dir, error)) {
        if (entry.is_regular_file()) {
            tree[fs::relative(entry.path(), dir).string()] = Bytes(entry.path().string());
        }
    }
    return tree;
}

// Fails one write (or rename) of its choosing: the disk full, or the process dead there.
class FailingFiles final : public store_test::PassThroughFileSystem {
  public:
    enum class Fault { kNone, kDiskFull, kDeath, kCorruptCopy };
    void Arm(Fault fault, std::uint64_t at) {
        fault_ = fault;
        at_ = at;
        writes_ = 0;
    }
    std::uint64_t Writes() const { return writes_; }

    std::unique_ptr<xbase::File> Open(const std::string& path, xbase::OpenMode mode) override {
        auto file = Default().Open(path, mode);
        return file ? std::make_unique<Handle>(std::move(file), *this) : nullptr;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return Fail() ? false : Default().Rename(from, to);
    }
    bool Remove(const std::string& path) override {
        return Fail() ? false : Default().Remove(path);
    }
    std::string FindIgnoringCase(const std::string& path) override {
        return Default().FindIgnoringCase(path);
    }

  private:
    // Whether this write fails; a death ends the process before it.
    bool Fail() {
        if (++writes_ != at_ || fault_ == Fault::kNone || fault_ == Fault::kCorruptCopy) {
            return false;
        }
        if (fault_ == Fault::kDeath) {
            _exit(0);
        }
        errno = ENOSPC;
        return true;
    }
    class Handle final : public xbase::File {
      public:
        Handle(std::unique_ptr<xbase::File> f, FailingFiles& owner)
            : f_(std::move(f)), owner_(owner) {}
        bool ReadAt(std::uint64_t o, void* b, std::size_t n, std::size_t& got) override {
            return f_->ReadAt(o, b, n, got);
        }
        bool WriteAt(std::uint64_t o, const void* b, std::size_t n) override {
            if (owner_.Fail()) {
                return false;
            }
            if (owner_.fault_ == Fault::kCorruptCopy && o == 0 && n > 12) {
                // The copy's header claims records far beyond its end.
                std::string bad(static_cast<const char*>(b), n);
                bad[7] = '\x7f';
                return f_->WriteAt(o, bad.data(), n);
            }
            return f_->WriteAt(o, b, n);
        }
        bool Size(std::uint64_t& s) override { return f_->Size(s); }
        bool Truncate(std::uint64_t s) override { return !owner_.Fail() && f_->Truncate(s); }
        bool Sync() override { return f_->Sync(); }
        bool Lock(std::uint64_t o, std::uint64_t l, xbase::LockKind k, bool w) override {
            return f_->Lock(o, l, k, w);
        }
        bool Unlock(std::uint64_t o, std::uint64_t l) override { return f_->Unlock(o, l); }

      private:
        std::unique_ptr<xbase::File> f_;
        FailingFiles& owner_;
    };

    Fault fault_ = Fault::kNone;
    std::uint64_t at_ = 0;
    std::uint64_t writes_ = 0;
};

class BackupsTest : public store_test::StoreTest {
  protected:
    void MakeTasks(int count, const std::string& word = "task") {
        std::vector<store_test::Task> tasks;
        for (int i = 1; i <= count; ++i) {
            store_test::Task task;
            task.date = "20260301";
            task.time = "10:00";
            task.descript = word + " " + std::to_string(i);
            task.note = i % 2 ? "note of " + task.descript : "";
            tasks.push_back(task);
        }
        std::error_code error;
        for (const char* name : {kTaskTableName, kTaskMemoName, kTaskIndexName}) {
            fs::remove(PathOf(name), error);
        }
        MakeTaskFile(kTaskTableName, tasks, true);
    }
    std::map<std::string, std::string> TaskFile() const {
        return {{kTaskTableName, Bytes(PathOf(kTaskTableName))},
                {kTaskMemoName, Bytes(PathOf(kTaskMemoName))}};
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const BackupEntry& backup : Backups(Dir()).List()) {
            names.push_back(backup.name);
        }
        return names;
    }
    bool Leftovers() const {
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(Dir(), error)) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(".partial") || name.ends_with(".restoring") ||
                name.starts_with("QUILX.restore")) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(BackupsTest, OneADayTheNewestFourteenKeptListedNewestFirstWithTheirTaskCounts) {
    MakeTasks(3);
    Backups backups(Dir());
    std::string made;
    ASSERT_TRUE(backups.TakeDaily(Noon(0), &made).ok());
    EXPECT_EQ(made, BackupNameAt(Noon(0)));
    ASSERT_TRUE(backups.TakeDaily(Noon(0, 3600 * 6), &made).ok());
    EXPECT_EQ(made, "") << "a second backup the same day";
    for (int day = 1; day < 20; ++day) {
        MakeTasks(3 + day);
        ASSERT_TRUE(backups.TakeDaily(Noon(day), &made).ok());
        ASSERT_EQ(made, BackupNameAt(Noon(day)));
    }
    const std::vector<BackupEntry> list = backups.List();
    ASSERT_EQ(list.size(), 14u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int day = 19 - static_cast<int>(i);
        EXPECT_EQ(list[i].name, BackupNameAt(Noon(day)));
        EXPECT_EQ(list[i].taken, "2026-03-" + std::string(day + 1 < 10 ? "0" : "") +
                                     std::to_string(day + 1) + " 12:00:00");
        EXPECT_EQ(list[i].tasks, 3 + day);
    }
    EXPECT_EQ(Bytes(backups.FolderOf(list[0].name) + "/QUILX.FPT"), Bytes(PathOf("QUILX.FPT")));
    EXPECT_FALSE(fs::exists(backups.FolderOf(list[0].name) + "/QUILX.CDX"));
}

TEST_F(BackupsTest, ACopyThatDoesNotReadBackIsDroppedAndCostsNoOlderBackup) {
    MakeTasks(5);
    FailingFiles files;
    Backups backups(Dir(), files);
    for (int day = 0; day < kBackupsKept; ++day) {
        ASSERT_TRUE(backups.Take(Noon(day)).ok());
    }
    const auto before = Tree(Dir() + "backups");
    files.Arm(FailingFiles::Fault::kCorruptCopy, 0);
    const xbase::Status status = backups.Take(Noon(30));
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("does not read back"), std::string::npos) << status.message();
    EXPECT_EQ(Tree(Dir() + "backups"), before);
    EXPECT_FALSE(Leftovers());

    // A backup cut off after it was taken is not counted among the 14 kept: the next one
    // removes no older whole backup for it.
    const std::string cut = BackupNameAt(Noon(kBackupsKept - 1));
    fs::resize_file(backups.FolderOf(cut) + "/QUILX.DBF", 200);
    files.Arm(FailingFiles::Fault::kNone, 0);
    ASSERT_TRUE(backups.Take(Noon(31)).ok());
    const std::vector<BackupEntry> list = backups.List();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(kBackupsKept + 1));
    EXPECT_EQ(list.back().name, BackupNameAt(Noon(0)));
    EXPECT_EQ(list[1].name, cut);
    EXPECT_EQ(list[1].tasks, -1);
    // Later backups remove the oldest whole ones as before; the damaged one stays listed
    // until 14 whole ones are newer than it.
    ASSERT_TRUE(backups.Take(Noon(32)).ok());
    EXPECT_EQ(backups.List().size(), static_cast<std::size_t>(kBackupsKept + 1));
    EXPECT_EQ(backups.List().back().name, BackupNameAt(Noon(1)));
}

TEST_F(BackupsTest, ARestoreRoundTripKeepsTheReplacedFilesAndBuildsTheIndexAgain) {
    MakeTasks(4, "old");
    Backups backups(Dir());
    ASSERT_TRUE(backups.Take(Noon(0)).ok());
    const auto old = TaskFile();
    MakeTasks(7, "new");
    const auto replaced = TaskFile();
    std::string keptAs;
    ASSERT_TRUE(backups.Restore(BackupNameAt(Noon(0)), Noon(1), &keptAs).ok());
    EXPECT_EQ(keptAs, BackupNameAt(Noon(1)));
    EXPECT_EQ(TaskFile(), old);
    EXPECT_FALSE(Exists(kTaskIndexName));
    EXPECT_FALSE(Leftovers());
    const std::vector<BackupEntry> list = backups.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].tasks, 7);
    EXPECT_EQ(Tree(backups.FolderOf(keptAs)), replaced);

    // From the menu, with the table open in the window: closed, restored, opened again with
    // an index that agrees with it.
    TTaskStore store(Dir(), sink, sink);
    ASSERT_TRUE(store.Start());
    ASSERT_TRUE(store.OpenTaskTable(false)) << testing::PrintToString(sink.messages);
    xbase::Status status;
    ASSERT_TRUE(RestoreAndReopen(store, keptAs, Noon(2), status));
    EXPECT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(TaskFile(), replaced);
    sx_Select(store.TodoTable.Handle());
    EXPECT_EQ(sx_RecCount(), 7);
    EXPECT_EQ(store_test::IndexProblems(store.TodoTable.Handle()), "");
    // The day's backup is taken with the table open in the window.
    const xbase::Status taken = backups.Take(Noon(3));
    EXPECT_TRUE(taken.ok()) << taken.message();
}

TEST_F(BackupsTest, ARestoreIsRefusedWithNothingChangedForABadNameADamagedBackupOrAnOpenFile) {
    MakeTasks(4);
    Backups backups(Dir());
    ASSERT_TRUE(backups.Take(Noon(0)).ok());
    const std::string good = BackupNameAt(Noon(0));
    ASSERT_TRUE(backups.Take(Noon(1)).ok());
    const std::string damaged = BackupNameAt(Noon(1));
    fs::resize_file(backups.FolderOf(damaged) + "/QUILX.DBF", 20);
    const auto everything = Tree(Dir());

    struct Case {
        const char* what;
        std::string name;
        bool openElsewhere;
        std::string words;
    };
    const Case cases[] = {
        {"unknown", "QUILX-20200101-000000", false, "There is no backup named"},
        {"not a backup's name", "../QUILX", false, "There is no backup named"},
        {"damaged", damaged, false, "does not open"},
        {"task file open", good, true, "Close Quillet first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int area = c.openElsewhere ? sx_Use(PathOf(kTaskTableName), "ELSEWHERE", 0, 2) : 0;
        const xbase::Status status = backups.Restore(c.name, Noon(2));
        if (area != 0) {
            sx_Select(area);
            sx_Close();
        }
        EXPECT_NE(status.message().find(c.words), std::string::npos) << status.message();
        EXPECT_EQ(Tree(Dir()), everything);
    }
    EXPECT_EQ(backups.List()[0].tasks, -1);
}

// The disk full at every write of a backup and of a restore: the step is reported failed and
// the task file and every older backup are as they were.
TEST_F(BackupsTest, ADiskFullAtEveryWriteOfABackupOrARestoreChangesNothing) {
    MakeTasks(40);
    FailingFiles files;
    Backups backups(Dir(), files);
    ASSERT_TRUE(backups.Take(Noon(0)).ok());
    const std::string older = BackupNameAt(Noon(0));
    MakeTasks(9, "newer");
    const auto everything = Tree(Dir());
    struct Step {
        const char* what;
        std::function<xbase::Status()> run;
    };
    const Step steps[] = {
        {"backup", [&] { return backups.Take(Noon(1)); }},
        {"restore", [&] { return backups.Restore(older, Noon(1)); }},
    };
    for (const Step& step : steps) {
        files.Arm(FailingFiles::Fault::kNone, 0);
        ASSERT_TRUE(step.run().ok()) << step.what;
        const std::uint64_t writes = files.Writes();
        // Back to where it started.
        fs::remove_all(Dir());
        fs::create_directories(Dir());
        for (const auto& [path, bytes] : everything) {
            fs::create_directories(fs::path(PathOf(path)).parent_path());
            std::ofstream(PathOf(path), std::ios::binary) << bytes;
        }
        for (std::uint64_t n = 1; n <= writes; ++n) {
            SCOPED_TRACE(std::string(step.what) + ", write " + std::to_string(n));
            files.Arm(FailingFiles::Fault::kDiskFull, n);
            const xbase::Status status = step.run();
            files.Arm(FailingFiles::Fault::kNone, 0);
            if (status.ok()) {
                // Only the last steps of a committed restore; the next open finishes them.
                EXPECT_STREQ(step.what, "restore");
                break;
            }
            auto after = Tree(Dir());
            if (std::string(step.what) == "restore" && Exists("QUILX.restore")) {
                ASSERT_TRUE(backups.FinishInterruptedRestore().ok());
                EXPECT_EQ(TaskFile(), Tree(backups.FolderOf(older)));
                break;
            }
            EXPECT_EQ(after, everything);
            EXPECT_FALSE(Leftovers());
        }
    }
}

// A process killed at every write of a backup and of a restore: after the next start's
// FinishInterruptedRestore the task file is whole, as before or as restored, and every older
// backup is as it was.
TEST_F(BackupsTest, ADeathAtEveryWriteOfABackupOrARestoreLeavesTheTaskFileAndOlderBackupsWhole) {
    MakeTasks(40);
    ASSERT_TRUE(Backups(Dir()).Take(Noon(0)).ok());
    const std::string older = BackupNameAt(Noon(0));
    const auto olderFiles = Tree(Backups(Dir()).FolderOf(older));
    MakeTasks(9, "newer");
    const auto current = TaskFile();
    const auto everything = Tree(Dir());
    for (const bool restore : {false, true}) {
        for (std::uint64_t n = 1;; ++n) {
            SCOPED_TRACE(std::string(restore ? "restore" : "backup") + ", death at write " +
                         std::to_string(n));
            fs::remove_all(Dir());
            fs::create_directories(Dir());
            for (const auto& [path, bytes] : everything) {
                fs::create_directories(fs::path(PathOf(path)).parent_path());
                std::ofstream(PathOf(path), std::ios::binary) << bytes;
            }
            sx_CloseAll();
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                FailingFiles files;
                files.Arm(FailingFiles::Fault::kDeath, n);
                Backups backups(Dir(), files);
                const bool ok =
                    (restore ? backups.Restore(older, Noon(1)) : backups.Take(Noon(1))).ok();
                _exit(ok ? 3 : 4);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            const bool finished = WEXITSTATUS(status) == 3;
            ASSERT_NE(WEXITSTATUS(status), 4);
            Backups backups(Dir());
            ASSERT_TRUE(backups.FinishInterruptedRestore().ok());
            EXPECT_FALSE(Exists("QUILX.restore"));
            const auto taskFile = TaskFile();
            EXPECT_TRUE(taskFile == current || (restore && taskFile == olderFiles));
            if (finished) {
                EXPECT_EQ(taskFile, restore ? olderFiles : current);
            }
            EXPECT_EQ(Tree(backups.FolderOf(older)), olderFiles);
            // Whatever was left half-made is gone or whole.
            for (const BackupEntry& backup : backups.List()) {
                EXPECT_GE(backup.tasks, 0) << backup.name << " " << backup.failure;
            }
            if (finished) {
                break;
            }
            ASSERT_LT(n, 100u);
        }
    }
}

TEST_F(BackupsTest, TheCommandLineListsRestoresAndRefusesAsItSays) {
    MakeTasks(4);
    ASSERT_TRUE(Backups(Dir()).Take(Noon(0)).ok());
    MakeTasks(6);
    ASSERT_TRUE(Backups(Dir()).Take(Noon(1)).ok());
    const std::string first = BackupNameAt(Noon(0));
    const std::string second = BackupNameAt(Noon(1));
    const std::string elsewhere = Dir() + "elsewhere/";
    fs::create_directories(elsewhere);
    struct Case {
        std::vector<std::string> arguments;
        std::string defaultDir;
        int code;
        std::string out;
        std::string errStart;
    };
    const Case cases[] = {
        {{"--backups"},
         Dir(),
         0,
         second + "\t2026-03-02 12:00:00\t6 tasks\n" + first + "\t2026-03-01 12:00:00\t4 tasks\n",
         ""},
        {{"--backups", "--dir", Dir()},
         elsewhere,
         0,
         second + "\t2026-03-02 12:00:00\t6 tasks\n" + first + "\t2026-03-01 12:00:00\t4 tasks\n",
         ""},
        {{"--dir", elsewhere, "--backups"}, Dir(), 0, "", ""},
        {{"--restore", "QUILX-20200101-000000", "--dir", Dir()},
         elsewhere,
         1,
         "",
         "There is no backup named QUILX-20200101-000000\n"},
        {{"--restore", first, "--dir", Dir()}, elsewhere, 0, "", ""},
        {{"--backups", "--dir", Dir() + "missing"}, Dir(), 1, "", "There is no folder "},
        {{"--restore"}, Dir(), 2, "", "Usage:"},
        {{"--backups", "--restore", first}, Dir(), 2, "", "Usage:"},
        {{"--backups", "--dir"}, Dir(), 2, "", "Usage:"},
        {{"--backups", "--dir", Dir(), "--dir", Dir()}, Dir(), 2, "", "Usage:"},
        {{"--backups", "extra"}, Dir(), 2, "", "Usage:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        ASSERT_TRUE(IsBackupCommandLine(c.arguments));
        std::string out, err;
        EXPECT_EQ(RunBackupCommandLine(c.arguments, c.defaultDir, out, err), c.code);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(err.empty(), c.errStart.empty());
    }
    // The restore above put the first backup's four tasks back.
    std::string failure;
    EXPECT_EQ(CountTasksReadingAll(PathOf(kTaskTableName), failure), 4) << failure;
    EXPECT_FALSE(IsBackupCommandLine({}));
    EXPECT_FALSE(IsBackupCommandLine({"-style", "fusion"}));
}

}  // namespace
}  // namespace store
