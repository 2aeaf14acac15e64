// Every write of a save fails in turn (the disk fills, one write meets an I/O error, the
// process dies there) and the task file must come back with every task whose save was
// reported done, in every order, the index agreeing, no junk records and no shared notes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/memory_file_system.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/table.h"
#include "platform/xbase/work_area.h"

namespace {

constexpr char kTable[] = "/t/QUILX.DBF";
constexpr char kMemo[] = "/t/QUILX.FPT";
constexpr char kIndex[] = "/t/QUILX.CDX";

struct Task {
    std::string descript;
    std::string note;
    bool done = false;
    bool deleted = false;
    bool operator==(const Task&) const = default;
};
using Tasks = std::vector<Task>;  // in record order

// The saves the program makes, as engine calls, each with its effect on the tasks. A save
// that fails takes back what it began, as the record set does.
struct Save {
    const char* name;
    bool exclusive;
    std::function<bool()> run;
    std::function<void(Tasks&)> effect;
};

// As the record set saves: the record's image in one append, then its note, then the image
// again with the note's pointer; a failure after the append takes the append back.
bool AppendWithNote() {
    std::vector<char> image(static_cast<std::size_t>(sx_RecSize()), ' ');
    std::string fields = "2026010509:00new task";
    std::copy(fields.begin(), fields.end(), image.begin() + 1);
    image[static_cast<std::size_t>(sx_FieldOffset("DONE")) - 1] = 'F';
    if (!sx_AppendRecord(image)) {
        return false;
    }
    bool ok = sx_Replace("NOTE", SxReplace::kMemo, std::string(700, 'n')) && sx_Commit();
    if (!ok) {
        sx_UndoAppend();
    }
    return ok;
}

bool EditWithNote() {
    return sx_Go(2) && sx_Replace("NOTE", SxReplace::kMemo, std::string(300, 'e')) &&
           sx_Replace("DESCRIPT", SxReplace::kText, "task 2 changed") && sx_Commit();
}

const std::vector<Save>& Saves() {
    static const std::vector<Save> saves = {
        {"append with a note", false, AppendWithNote,
         [](Tasks& t) {
             t.push_back({"new task", std::string(700, 'n'), false, false});
         }},
        {"edit with a note", false, EditWithNote,
         [](Tasks& t) {
             t[1].descript = "task 2 changed";
             t[1].note = std::string(300, 'e');
         }},
        {"delete", false, [] { return sx_Go(3) && sx_Delete() && sx_Commit(); },
         [](Tasks& t) { t[2].deleted = true; }},
        {"done toggle", false,
         [] { return sx_Go(1) && sx_Replace("DONE", SxReplace::kLogical, true) && sx_Commit(); },
         [](Tasks& t) { t[0].done = true; }},
        {"pack", true, [] { return sx_Pack(); },
         [](Tasks& t) { std::erase_if(t, [](const Task& x) { return x.deleted; }); }},
    };
    return saves;
}

Tasks BaseTasks() {
    Tasks t;
    for (int i = 1; i <= 6; ++i) {
        t.push_back({"task " + std::to_string(i), i % 2 ? std::string(90 * i, 'a' + i) : "", i == 4,
                     i == 5});
    }
    return t;
}

// The task file of BaseTasks with the program's tags.
void MakeBase() {
    ASSERT_NE(sx_CreateNew(kTable, "QUILX", 2, 6), 0);
    sx_CreateField("DATE", "C", 8, 0);
    sx_CreateField("TIME", "C", 5, 0);
    sx_CreateField("DESCRIPT", "C", 50, 0);
    sx_CreateField("NOTE", "M", 10, 0);
    sx_CreateField("DONE", "L", 1, 0);
    sx_CreateField("KEYS", "C", 60, 0);
    ASSERT_NE(sx_CreateExec(), 0);
    ASSERT_EQ(sx_IndexTag("", "DATETIME", "DATE+TIME", 0, false, "not Deleted()"), 1);
    ASSERT_EQ(sx_IndexTag("", "DESCRIPT", "upper(DESCRIPT)", 0, false, ""), 2);
    ASSERT_EQ(sx_IndexTag("", "DONE", "DONE", 0, false, ""), 3);
    ASSERT_EQ(sx_IndexTag("", "KEYS", "upper(KEYS)", 0, false, ""), 4);
    int n = 0;
    for (const Task& t : BaseTasks()) {
        ++n;
        ASSERT_TRUE(sx_AppendBlank());
        sx_Replace("DATE", SxReplace::kText, "2026010" + std::to_string(7 - n));
        sx_Replace("DESCRIPT", SxReplace::kText, t.descript);
        sx_Replace("DONE", SxReplace::kLogical, t.done);
        if (!t.note.empty()) {
            sx_Replace("NOTE", SxReplace::kMemo, t.note);
        }
        if (t.deleted) {
            sx_Delete();
        }
    }
    ASSERT_TRUE(sx_Close());
}

// A death between an append and its note leaves the task as typed without its note (the
// record set had not reported the save done): the person's text, not junk.
bool WithoutNewNote(const Tasks& found, Tasks after) {
    if (after.size() != BaseTasks().size() + 1) {
        return false;
    }
    after.back().note.clear();
    return found == after;
}

// What the files hold, read back as the program would after a restart. A half-written index
// (its mark set) is rebuilt first, as the program does at open; an index that disagrees
// with the table is a failure. Empty `why` means the files are sound.
struct Found {
    Tasks tasks;
    std::string why;
};

Found ReadBack(xbase::FileSystem* fs) {
    Found f;
    sx_ClearLastError();
    sx_SetDeleted(false);
    if (sx_Use(kTable, "", 0, 2) == 0) {
        f.why = "open: " + sx_LastStatus().message();
        return f;
    }
    if (sx_SysProp(SxProp::kRecordsBeyondCount) != 0) {
        // Killed between an append's record and the header that counts it: the table opens
        // read-only until the count is repaired, as xbtool repair does.
        sx_CloseAll();
        std::uint32_t before = 0;
        std::uint32_t after = 0;
        if (!xbase::Table::RepairCount(*fs, kTable, before, after) || after != before + 1 ||
            sx_Use(kTable, "", 0, 2) == 0) {
            f.why = "repair failed";
            return f;
        }
        fs->Remove(std::string(kTable) + ".bak");
    }
    xbase::WorkArea* area = xbase::CurrentArea();
    if (sx_SysProp(SxProp::kIndexInterrupted) != 0 &&
        (!area->indexes || !area->indexes->RebuildAll(nullptr))) {
        f.why = "rebuild failed";
    }
    int check = 0;
    for (int slices = 0; slices < 100 && (check = sx_IndexCheck(100000)) == 0; ++slices) {
    }
    if (check != 1) {
        f.why = "the index disagrees with the table";
    }
    // No junk: every record is a task.
    for (int n = 1; n <= sx_RecCount(); ++n) {
        sx_Go(n);
        Task t{sx_GetTrimString("DESCRIPT"), sx_GetMemo("NOTE"), sx_GetLogical("DONE"),
               sx_Deleted()};
        if (!sx_LastStatus().ok()) {
            f.why = "record " + std::to_string(n) + ": " + sx_LastStatus().message();
        }
        sx_ClearLastError();
        f.tasks.push_back(t);
    }
    // Every order shows the live tasks, the Date order leaving the deleted out.
    sx_SetDeleted(true);
    std::multiset<std::string> live;
    for (const Task& t : f.tasks) {
        if (!t.deleted) {
            live.insert(t.descript);
        }
    }
    for (int order = 0; order <= 4 && f.why.empty(); ++order) {
        sx_SetOrder(order);
        std::multiset<std::string> seen;
        for (sx_GoTop(); !sx_Eof() && seen.size() <= f.tasks.size(); sx_Skip(1)) {
            seen.insert(sx_GetTrimString("DESCRIPT"));
        }
        if (seen != live) {
            f.why = "order " + std::to_string(order) + " shows " + std::to_string(seen.size()) +
                    " of " + std::to_string(live.size()) + " tasks";
        }
    }
    sx_CloseAll();
    return f;
}

// The memo pointers of every record, which must all differ.
bool NotesShareNoBlock(xbase::MemoryFileSystem& fs) {
    std::vector<char> table = fs.Contents(kTable);
    std::uint16_t header = static_cast<std::uint8_t>(table[8]) | (table[9] << 8);
    std::uint16_t length = static_cast<std::uint8_t>(table[10]) | (table[11] << 8);
    std::set<std::string> seen;
    for (std::size_t at = header; at + length <= table.size(); at += length) {
        std::string pointer(&table[at + 1 + 8 + 5 + 50], 10);
        if (pointer.find_first_not_of(' ') != std::string::npos && !seen.insert(pointer).second) {
            return false;
        }
    }
    return true;
}

class FaultInjection : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(&fs_);
        sx_SetLockTimeout(0);
        sx_SetMemoBlockSize(64);
        MakeBase();
        for (const char* path : {kTable, kMemo, kIndex}) {
            base_[path] = fs_.Contents(path);
        }
    }
    void TearDown() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
    }
    void Restore() {
        sx_CloseAll();
        for (const auto& [path, bytes] : base_) {
            fs_.SetContents(path, bytes);
        }
    }
    // Runs `save` on the base files with the fault armed by `arm`; answers whether the save
    // reported success.
    bool Run(const Save& save, const std::function<void()>& arm) {
        Restore();
        sx_SetDeleted(false);
        if (sx_Use(kTable, "", save.exclusive ? 2 : 0, 2) == 0) {
            return false;
        }
        arm();
        bool ok = save.run();
        return ok;
    }

    xbase::MemoryFileSystem fs_;
    std::map<std::string, std::vector<char>> base_;
};

TEST_F(FaultInjection, EveryFailedWriteOfEverySaveLeavesEveryCommittedTaskInEveryOrder) {
    enum class Fault { kDiskFull, kIoError, kDeath };
    const Tasks before = BaseTasks();
    int runs = 0;
    for (const Save& save : Saves()) {
        Tasks after = before;
        save.effect(after);
        // How many writes the save makes when nothing fails.
        std::uint64_t start = 0;
        ASSERT_TRUE(Run(save, [&] { start = fs_.WritesSoFar(); })) << save.name;
        sx_CloseAll();
        std::uint64_t writes = fs_.WritesSoFar() - start;
        ASSERT_GT(writes, 0u);
        for (std::uint64_t n = 1; n <= writes; ++n) {
            for (Fault fault : {Fault::kDiskFull, Fault::kIoError, Fault::kDeath}) {
                SCOPED_TRACE(std::string(save.name) + ", write " + std::to_string(n) +
                             (fault == Fault::kDiskFull  ? ", disk full"
                              : fault == Fault::kIoError ? ", I/O error"
                                                         : ", death"));
                bool ok = Run(save, [&] {
                    if (fault == Fault::kDiskFull) {
                        fs_.FillDiskAtWrite(n);
                    } else if (fault == Fault::kIoError) {
                        fs_.FailOneWrite(n);
                    } else {
                        fs_.FailFromWrite(n);
                    }
                });
                std::string words = sx_LastStatus().message();
                if (fault != Fault::kDeath) {
                    fs_.FailOneWrite(0);  // the program goes on, and closes the file
                }
                sx_CloseAll();
                fs_.FailOneWrite(0);
                if (!ok && fault == Fault::kDiskFull && !save.exclusive) {
                    EXPECT_NE(words.find("No space left on device"), std::string::npos) << words;
                }
                if (!ok && fault != Fault::kDeath && !save.exclusive) {
                    // A failed save leaves the table and memo file exactly as before it.
                    std::vector<char> table = fs_.Contents(kTable);
                    std::vector<char> old = base_[kTable];
                    ASSERT_EQ(table.size(), old.size());
                    EXPECT_TRUE(std::equal(table.begin() + 4, table.end(), old.begin() + 4));
                    EXPECT_EQ(fs_.Contents(kMemo), base_[kMemo]);
                }
                EXPECT_TRUE(NotesShareNoBlock(fs_));
                Found found = ReadBack(&fs_);
                EXPECT_EQ(found.why, "");
                if (ok) {
                    EXPECT_EQ(found.tasks, after);
                } else {
                    EXPECT_TRUE(found.tasks == before || found.tasks == after ||
                                (fault == Fault::kDeath && WithoutNewNote(found.tasks, after)));
                }
                ++runs;
            }
        }
    }
    EXPECT_GT(runs, 100);
    RecordProperty("runs", runs);
}

// The same deaths in a real process on real files: a child dies at the write, the parent
// reads the files back.
class DyingFiles final : public xbase::FileSystem {
  public:
    explicit DyingFiles(std::uint64_t dieAt) : dieAt_(dieAt) {}
    std::unique_ptr<xbase::File> Open(const std::string& path, xbase::OpenMode mode) override {
        auto file = Default().Open(path, mode);
        return file ? std::make_unique<Handle>(std::move(file), *this) : nullptr;
    }
    bool Exists(const std::string& path) override { return Default().Exists(path); }
    std::string FindIgnoringCase(const std::string& path) override {
        return Default().FindIgnoringCase(path);
    }
    bool Remove(const std::string& path) override { return Default().Remove(path); }
    bool Rename(const std::string& from, const std::string& to) override {
        Count();
        return Default().Rename(from, to);
    }
    bool SyncDirectory(const std::string& d) override { return Default().SyncDirectory(d); }
    void Count() {
        if (++writes_ == dieAt_) {
            _exit(0);
        }
    }

  private:
    class Handle final : public xbase::File {
      public:
        Handle(std::unique_ptr<xbase::File> f, DyingFiles& owner)
            : f_(std::move(f)), owner_(owner) {}
        bool ReadAt(std::uint64_t o, void* b, std::size_t n, std::size_t& got) override {
            return f_->ReadAt(o, b, n, got);
        }
        bool WriteAt(std::uint64_t o, const void* b, std::size_t n) override {
            owner_.Count();
            return f_->WriteAt(o, b, n);
        }
        bool Size(std::uint64_t& s) override { return f_->Size(s); }
        bool Truncate(std::uint64_t s) override {
            owner_.Count();
            return f_->Truncate(s);
        }
        bool Sync() override { return f_->Sync(); }
        bool Lock(std::uint64_t o, std::uint64_t l, xbase::LockKind k, bool w) override {
            return f_->Lock(o, l, k, w);
        }
        bool Unlock(std::uint64_t o, std::uint64_t l) override { return f_->Unlock(o, l); }
        const std::uint8_t* ViewAt(std::uint64_t o, std::size_t n) override {
            return f_->ViewAt(o, n);
        }

      private:
        std::unique_ptr<xbase::File> f_;
        DyingFiles& owner_;
    };
    std::uint64_t dieAt_;
    std::uint64_t writes_ = 0;
};

TEST_F(FaultInjection, AChildKilledAtEveryWriteOfAnAppendOrEditLosesNoCommittedTask) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("quillet-faults-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string table = (dir / "QUILX.DBF").string();
    const Tasks before = BaseTasks();
    for (std::size_t which : {std::size_t{0}, std::size_t{1}}) {
        const Save& save = Saves()[which];
        Tasks after = before;
        save.effect(after);
        for (std::uint64_t n = 1;; ++n) {
            SCOPED_TRACE(std::string(save.name) + ", death at write " + std::to_string(n));
            for (const auto& [path, bytes] : base_) {
                std::string name = (dir / fs::path(path).filename()).string();
                auto file = xbase::FileSystem::Default().Open(name, xbase::OpenMode::kReadWrite);
                if (!file) {
                    file = xbase::FileSystem::Default().Open(name, xbase::OpenMode::kCreate);
                }
                ASSERT_TRUE(file && file->Truncate(0) &&
                            file->WriteAt(0, bytes.data(), bytes.size()));
            }
            sx_CloseAll();
            pid_t child = fork();
            if (child == 0) {
                DyingFiles dying(n);
                sx_UseFileSystem(&dying);
                // The child's engine state came with the fork: it opens anew, never closes.
                bool ok = sx_Use(table, "", 0, 2) != 0 && save.run();
                _exit(ok ? 3 : 4);  // not killed: the save made fewer writes than n
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 3;
            // Read back through real files, as the next start would.
            for (const char* path : {kTable, kMemo, kIndex}) {
                std::string name = (dir / fs::path(path).filename()).string();
                auto file = xbase::FileSystem::Default().Open(name, xbase::OpenMode::kReadOnly);
                std::uint64_t size = 0;
                ASSERT_TRUE(file && file->Size(size));
                std::vector<char> bytes(size);
                std::size_t got = 0;
                ASSERT_TRUE(file->ReadAt(0, bytes.data(), bytes.size(), got));
                fs_.SetContents(path, bytes);
            }
            EXPECT_TRUE(NotesShareNoBlock(fs_));
            Found found = ReadBack(&fs_);
            EXPECT_EQ(found.why, "");
            EXPECT_TRUE(found.tasks == before || found.tasks == after ||
                        WithoutNewNote(found.tasks, after));
            if (finished) {
                EXPECT_EQ(found.tasks, after);
                break;
            }
            ASSERT_LT(n, 200u);
        }
    }
    fs::remove_all(dir);
}

}  // namespace
