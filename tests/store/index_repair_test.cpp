// Tests of an index that disagrees with its table: found by the sliced check or by the mark
// a stopped writer leaves, set aside as QUILX.CDX.bad (earlier ones kept) and rebuilt, and the
// records it lists in the meantime.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

namespace fs = std::filesystem;
using store_test::NumberedTasks;

class IndexRepairTest : public store_test::StoreTest {
  protected:
    void MakeStore() {
        store_ = std::make_unique<TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
    }
    // Runs the sliced check to its end, in slices as small as the window's are large.
    int CheckToEnd(int slice = 7) {
        int result = 0;
        for (int slices = 0; result == 0 && slices < 100000; ++slices) {
            result = store_->TodoEngine.IndexCheck(slice);
        }
        return result;
    }
    std::uintmax_t SizeOf(const std::string& name) { return fs::file_size(PathOf(name)); }

    std::unique_ptr<TTaskStore> store_;
};

// Ways a sound QUILX.CDX of twelve tasks comes to disagree with the table.
enum class Damage { kFromSmallerCopy, kFromLargerCopy, kAppendedWithoutIt, kHalfWritten };

TEST_F(IndexRepairTest, ADisagreeingIndexIsFoundSetAsideAndRebuiltWithEveryTaskInEveryOrder) {
    const struct {
        const char* name;
        Damage damage;
        bool foundAtOpen;  // else by the check after it
    } cases[] = {{"from a copy with fewer tasks", Damage::kFromSmallerCopy, true},
                 {"from a copy with more tasks", Damage::kFromLargerCopy, true},
                 {"appended without it", Damage::kAppendedWithoutIt, false},
                 {"half-written", Damage::kHalfWritten, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Dir());
        fs::create_directories(Dir());
        int tasks = 12;
        if (c.damage == Damage::kFromSmallerCopy || c.damage == Damage::kFromLargerCopy) {
            // The other copy's index lists records of its own.
            MakeTaskFile("QUILX.DBF", NumberedTasks(c.damage == Damage::kFromSmallerCopy ? 3 : 20),
                         true);
            fs::rename(PathOf("QUILX.CDX"), PathOf("OTHER.CDX"));
            fs::remove(PathOf("QUILX.DBF"));
            fs::remove(PathOf("QUILX.FPT"));
            MakeTaskFile("QUILX.DBF", NumberedTasks(tasks), false);
            fs::rename(PathOf("OTHER.CDX"), PathOf("QUILX.CDX"));
        } else {
            MakeTaskFile("QUILX.DBF", NumberedTasks(tasks), true);
        }
        if (c.damage == Damage::kAppendedWithoutIt) {
            // Another program appended without opening the index.
            fs::rename(PathOf("QUILX.CDX"), PathOf("KEPT.CDX"));
            ASSERT_NE(sx_Use(PathOf("QUILX.DBF"), "OTHER", 2, 2), 0);
            AppendTasks({{"20240101", "08:00", "appended", "", false, "", "B"}});
            ASSERT_TRUE(sx_Close());
            fs::rename(PathOf("KEPT.CDX"), PathOf("QUILX.CDX"));
            ++tasks;
        }
        if (c.damage == Damage::kHalfWritten) {
            std::fstream index(PathOf("QUILX.CDX"),
                               std::ios::in | std::ios::out | std::ios::binary);
            index.seekp(500);
            index.put('\1');
        }
        const std::uintmax_t damagedSize = SizeOf("QUILX.CDX");
        MakeStore();
        ASSERT_TRUE(store_->OpenTaskTable(false)) << testing::PrintToString(sink.messages);
        // Found at open is rebuilt before any row is read from it.
        EXPECT_EQ(Exists("QUILX.CDX.bad"), c.foundAtOpen);
        if (!c.foundAtOpen) {
            EXPECT_EQ(CheckToEnd(), 2);
            ASSERT_EQ(store_->RepairIndex(), TTaskStore::Repair::kRebuilt)
                << testing::PrintToString(sink.messages);
        }
        EXPECT_EQ(SizeOf("QUILX.CDX.bad"), damagedSize);
        EXPECT_EQ(CheckToEnd(), 1);
        EXPECT_EQ(store_test::IndexProblems(store_->TodoTable.Handle()), "");
        EXPECT_EQ(store_->TodoEngine.IndexOrder(), store_->TodoEngine.TagOrder("DATETIME"));
        EXPECT_EQ(store_->TodoEngine.FilteredCount(), tasks);
        EXPECT_TRUE(sink.messages.empty()) << testing::PrintToString(sink.messages);
        store_.reset();
    }
}

TEST_F(IndexRepairTest, AnIndexSetAsideBeforeIsKeptUnderTheNextFreeNumber) {
    MakeTaskFile("QUILX.DBF", NumberedTasks(5), true);
    std::ofstream(PathOf("QUILX.CDX.bad")) << "first";
    std::ofstream(PathOf("QUILX.CDX.bad.2")) << "second";
    MakeStore();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    const std::uintmax_t current = SizeOf("QUILX.CDX");
    ASSERT_EQ(store_->RepairIndex(), TTaskStore::Repair::kRebuilt);
    EXPECT_EQ(SizeOf("QUILX.CDX.bad"), current);  // the newest, as the message names it
    EXPECT_EQ(SizeOf("QUILX.CDX.bad.2"), 6u);
    EXPECT_EQ(SizeOf("QUILX.CDX.bad.3"), 5u);
    EXPECT_EQ(CheckToEnd(), 1);
}

// A table another program holds cannot be rebuilt: the index stays where it is, in use, until
// the table is free; it is never set aside to leave the table without one.
TEST_F(IndexRepairTest, ARepairWhileAnotherProgramHoldsTheTableIsPutOff) {
    MakeTaskFile("QUILX.DBF", NumberedTasks(5), true);
    int opened[2], release[2];
    ASSERT_EQ(pipe(opened), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char byte = sx_Use(PathOf("QUILX.DBF"), "HOLDER", 0, 2) != 0 ? 'y' : 'n';
        (void)!write(opened[1], &byte, 1);
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(opened[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    MakeStore();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(store_->RepairIndex(), TTaskStore::Repair::kPutOff);
    EXPECT_TRUE(store_->TodoTable.Active());
    EXPECT_FALSE(Exists("QUILX.CDX.bad"));
    EXPECT_EQ(store_->TodoEngine.FilteredCount(), 5);
    EXPECT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(store_->RepairIndex(), TTaskStore::Repair::kRebuilt);
    EXPECT_TRUE(Exists("QUILX.CDX.bad"));
    EXPECT_EQ(CheckToEnd(), 1);
    EXPECT_TRUE(sink.messages.empty()) << testing::PrintToString(sink.messages);
}

// Records past the header's count (an append killed before it counted its record) open the
// table read-only: a half-written index on it is neither set aside nor dropped, as a rebuild
// could not write it, and the person is told what holds the table and how to mend it.
TEST_F(IndexRepairTest, ATableHidingRecordsKeepsItsIndexAndSaysWhyItIsReadOnly) {
    MakeTaskFile("QUILX.DBF", NumberedTasks(6), true);
    {
        std::fstream table(PathOf("QUILX.DBF"), std::ios::in | std::ios::out | std::ios::binary);
        table.seekp(4);
        table.put('\5');  // the header counts five of the six records
        std::fstream index(PathOf("QUILX.CDX"), std::ios::in | std::ios::out | std::ios::binary);
        index.seekp(500);
        index.put('\1');
    }
    const std::uintmax_t indexSize = SizeOf("QUILX.CDX");
    MakeStore();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(SizeOf("QUILX.CDX"), indexSize);
    EXPECT_FALSE(Exists("QUILX.CDX.bad"));
    EXPECT_FALSE(store_->IndexRebuiltAtOpen());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].find("QUILX.DBF holds 1 more record(s) than its header counts"),
              std::string::npos)
        << sink.messages[0];
    EXPECT_NE(sink.messages[0].find("xbtool repair QUILX.DBF"), std::string::npos);
}

// While the index cannot be trusted, the table alone gives the records in key order, equal
// keys in record order, under the filter in force.
TEST_F(IndexRepairTest, RecordsInKeyOrderComeFromTheTableUnderTheFilter) {
    MakeTaskFile("QUILX.DBF",
                 {{"20240103", "09:00", "c", "", false, "", "A"},
                  {"20240101", "09:00", "a", "", false, "", "B"},
                  {"20240103", "09:00", "c2", "", true, "", "A"},
                  {"", "", "undated", "", false, "", "B"},
                  {"20240102", "09:00", "gone", "", false, "", "C"}},
                 true, {5});
    MakeStore();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    TEngineComponent& e = store_->TodoEngine;
    e.GoToRecord(2);
    EXPECT_EQ(e.RecordsInKeyOrder("DATE+TIME"), (std::vector<std::int32_t>{4, 2, 1, 3}));
    EXPECT_EQ(e.RecordsInKeyOrder("upper(PRIORITY)+DATE+TIME"),
              (std::vector<std::int32_t>{1, 3, 4, 2}));
    ASSERT_EQ(e.ApplyFilter("DONE = .F."), 1);
    EXPECT_EQ(e.RecordsInKeyOrder("upper(DESCRIPT)"), (std::vector<std::int32_t>{2, 1, 4}));
    // The set stays where it stood, in its order.
    EXPECT_EQ(e.RecordNumber(), 2);
    EXPECT_EQ(e.IndexOrder(), e.TagOrder("DATETIME"));
}

}  // namespace
}  // namespace store
