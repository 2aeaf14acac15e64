// The grid's rows on a real task file: the visible records in the order in force, and one
// record put back in its place after each kind of change, always equal to a fresh walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "store/row_order.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace {

class RowOrderTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(30), true, {4});
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
        ASSERT_TRUE(store_->OpenTaskTable(false));
    }
    void TearDown() override {
        store_.reset();
        StoreTest::TearDown();
    }

    // What a walk from scratch gives now.
    std::vector<std::int32_t> Fresh() {
        store::TRowOrder fresh(store_->TodoTable);
        fresh.Reload();
        std::vector<std::int32_t> rows;
        for (int row = 0; row < fresh.Count(); ++row) {
            rows.push_back(fresh.RecordAt(row));
        }
        return rows;
    }
    static std::vector<std::int32_t> Rows(const store::TRowOrder& order) {
        std::vector<std::int32_t> rows;
        for (int row = 0; row < order.Count(); ++row) {
            rows.push_back(order.RecordAt(row));
        }
        return rows;
    }
    bool SetField(std::int32_t record, const char* field, const std::string& text) {
        store::TTable& t = store_->TodoTable;
        return t.GotoBookmark(record) == store::dbi::kOk && t.Edit() == store::dbi::kOk &&
               t.FieldByName(field)->SetAsString(text) && t.Post() == store::dbi::kOk;
    }

    std::unique_ptr<store::TTaskStore> store_;
};

TEST_F(RowOrderTest, RowsFollowOrderFilterAndDeletedSetting) {
    store::TRowOrder order(store_->TodoTable);
    order.Reload();
    // DATETIME order is the reverse of record order; record 4 is deleted.
    std::vector<std::int32_t> expected;
    for (int record = 30; record >= 1; --record) {
        if (record != 4) {
            expected.push_back(record);
        }
    }
    EXPECT_EQ(Rows(order), expected);
    EXPECT_EQ(order.RowOf(30), 0);
    EXPECT_EQ(order.RowOf(4), -1);
    EXPECT_EQ(order.RecordAt(order.Count()), 0);

    store_->TodoEngine.ApplyFilter("(.not.DONE)");
    store_->TodoEngine.SetOrder(0);
    order.Reload();
    expected.clear();
    for (int record = 1; record <= 30; ++record) {
        if (record != 4 && record % 3 != 0) {
            expected.push_back(record);
        }
    }
    EXPECT_EQ(Rows(order), expected);

    // The set's own record and the current work area are left as they were.
    const std::int32_t current = *store_->TodoTable.GetBookmark();
    int bystander = OpenBystander();
    order.Reload();
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_EQ(*store_->TodoTable.GetBookmark(), current);
    store::TaskEntry task;
    ASSERT_TRUE(order.ReadTask(7, task));
    EXPECT_EQ(task.descript, "Task 0007");
    EXPECT_EQ(task.time, "09:00");
    EXPECT_EQ(sx_WorkArea(), bystander);
}

TEST_F(RowOrderTest, ARefreshedRecordLandsWhereAFreshWalkPutsIt) {
    store_->TodoEngine.ApplyFilter("(.not.DONE)");
    store::TRowOrder order(store_->TodoTable);
    order.Reload();

    // Moved by its key: to the top, to the bottom, in the middle.
    ASSERT_TRUE(SetField(10, "DATE", "19990101"));
    EXPECT_EQ(order.Refresh(10).to, 0);
    EXPECT_EQ(Rows(order), Fresh());
    ASSERT_TRUE(SetField(10, "DATE", "20301231"));
    store::TRowOrder::Change last = order.Refresh(10);
    EXPECT_EQ(last.from, 0);
    EXPECT_EQ(last.to, order.Count() - 1);
    EXPECT_EQ(Rows(order), Fresh());
    ASSERT_TRUE(SetField(10, "DATE", "20010115"));
    order.Refresh(10);
    EXPECT_EQ(Rows(order), Fresh());

    // Filtered out by a change, then back in.
    ASSERT_TRUE(SetField(11, "DONE", "T"));
    store::TRowOrder::Change hidden = order.Refresh(11);
    EXPECT_GE(hidden.from, 0);
    EXPECT_EQ(hidden.to, -1);
    EXPECT_EQ(Rows(order), Fresh());

    // Appended, and deleted.
    store::TTable& t = store_->TodoTable;
    ASSERT_EQ(t.Append(), store::dbi::kOk);
    ASSERT_TRUE(t.FieldByName("DATE")->SetAsString("20010110"));
    ASSERT_EQ(t.Post(), store::dbi::kOk);
    const std::int32_t added = *t.GetBookmark();
    EXPECT_GE(order.Refresh(added).to, 0);
    EXPECT_EQ(Rows(order), Fresh());
    ASSERT_EQ(t.GotoBookmark(20), store::dbi::kOk);
    ASSERT_EQ(t.Delete(), store::dbi::kOk);
    store::TRowOrder::Change gone = order.Refresh(20);
    EXPECT_GE(gone.from, 0);
    EXPECT_EQ(gone.to, -1);
    EXPECT_EQ(Rows(order), Fresh());
}

}  // namespace
