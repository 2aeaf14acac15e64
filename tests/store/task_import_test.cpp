// Task UIDs through the store's own flows (open, add, edit, pack, backup restore) and the
// import of tasks as one undoable step that leaves out what came in before.
#include "store/task_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/xbase/sx.h"
#include "store/backups.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "store/task_uids.h"
#include "store_test_support.h"

namespace store {
namespace {

using store_test::Task;

Task Named(const char* descript) {
    Task task;
    task.descript = descript;
    return task;
}

class TaskImportTest : public store_test::StoreTest {
  protected:
    void TearDown() override {
        store_.reset();
        StoreTest::TearDown();
    }
    void Open() {
        store_ = std::make_unique<TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        ASSERT_TRUE(store_->OpenTaskTable(false)) << testing::PrintToString(sink.messages);
    }
    void Reopen() {
        store_->TodoTable.Close();
        ASSERT_TRUE(store_->OpenTaskTable(false)) << testing::PrintToString(sink.messages);
    }
    // Every record's description and UID; deleted records are marked "-".
    std::vector<std::string> Tasks() {
        std::vector<std::string> tasks;
        const int records = store_->TodoEngine.RecordCount();
        for (int n = 1; n <= records; ++n) {
            TaskState state;
            EXPECT_TRUE(ReadTaskState(*store_, n, state));
            const int area = sx_Select(store_->TodoTable.Handle());
            const bool deleted = sx_Go(n) && sx_Deleted();
            sx_Select(area);
            tasks.push_back((deleted ? "-" : "") + state.entry.descript + " " +
                            store_->Uids.StoredUid(n));
        }
        return tasks;
    }
    // A command of the window, kept as a step: appends a task, or changes the current one.
    void Change(TaskChange change, const std::string& descript) {
        const PendingStep pending = TTaskHistory::Begin(*store_, change);
        TTable& table = store_->TodoTable;
        ASSERT_EQ(change == TaskChange::kAdd ? table.Append() : table.Edit(), dbi::kOk);
        ASSERT_TRUE(AssignTaskEntry(table, TaskEntry{.descript = descript, .priority = "B"}));
        ASSERT_EQ(table.Post(), dbi::kOk);
        ASSERT_TRUE(history_.Commit(*store_, pending));
    }
    // Quillet's own pack, as the Rebuild Index command runs it.
    void Pack() {
        store_->TodoTable.Close();
        ASSERT_TRUE(store_->OpenTaskTable(true));
        PlainRebuildRunner(*store_).RunRebuildWindow(true);
        store_->TodoTable.Close();
        ASSERT_TRUE(store_->OpenTaskTable(false));
    }

    std::unique_ptr<TTaskStore> store_;
    TTaskHistory history_;
};

TEST_F(TaskImportTest, UidsAreGivenAtOpenAndAddAndKeptThroughEditsPacksAndRestores) {
    MakeTaskFile(kTaskTableName, {Named("Old one"), Named("Old two")}, true);
    Open();
    EXPECT_EQ(store_->LastUidReport().given, 2);
    Change(TaskChange::kAdd, "Added");
    const std::vector<std::string> opened = Tasks();
    ASSERT_EQ(opened.size(), 3u);
    for (const std::string& task : opened) {
        EXPECT_GT(task.size(), 40u) << task;  // a description and its UID
    }
    // Edited, reopened: the same UIDs.
    store_->TodoEngine.GoToRecord(1);
    Change(TaskChange::kEdit, "Old one, edited");
    Reopen();
    std::vector<std::string> edited = Tasks();
    EXPECT_EQ(edited[0], "Old one, edited" + opened[0].substr(opened[0].find(' ', 4)));
    EXPECT_EQ(edited[2], opened[2]);
    EXPECT_TRUE(store_->LastUidReport().StatusText().empty())
        << store_->LastUidReport().StatusText();

    // Another program adds a task while the window is open; its first change in the window
    // gives it the UID a reader derived for it meanwhile.
    {
        const int window = sx_Select(0);
        ASSERT_NE(sx_Use(PathOf(kTaskTableName), "OTHERPRG", 0, 2), 0);
        AppendTasks({Task{"20260402", "07:45", "Added elsewhere", "A note", false, "far", "C"}});
        sx_Close();
        sx_Select(window);
    }
    const TaskEntry elsewhere{"20260402", "07:45", "Added elsewhere", "far", "C", false, "A note"};
    store_->TodoEngine.GoToRecord(4);
    Change(TaskChange::kEdit, "Added elsewhere, edited");
    EXPECT_EQ(store_->Uids.StoredUid(4), DerivedUid(4, elsewhere));
    store_->TodoEngine.GoToRecord(4);
    ASSERT_EQ(store_->TodoTable.Delete(), dbi::kOk);
    Reopen();
    edited = Tasks();

    // A backup, then the first task deleted and packed away: the others keep their UIDs.
    Backups backups(Dir());
    std::string taken;
    ASSERT_TRUE(backups.Take(std::time(nullptr) - 3600, &taken).ok());
    store_->TodoEngine.GoToRecord(1);
    ASSERT_EQ(store_->TodoTable.Delete(), dbi::kOk);
    Pack();
    EXPECT_EQ(Tasks(), (std::vector<std::string>{edited[1], edited[2]}));  // the fourth too
    EXPECT_TRUE(store_->LastUidReport().StatusText().empty());

    // The backup restored brings its UIDs back with its tasks.
    xbase::Status restored;
    ASSERT_TRUE(RestoreAndReopen(*store_, taken, std::time(nullptr), restored));
    ASSERT_TRUE(restored.ok()) << restored.message();
    EXPECT_EQ(Tasks(), edited);
    EXPECT_TRUE(store_->LastUidReport().StatusText().empty());
}

TEST_F(TaskImportTest, ImportIsOneStepThatUndoTakesBackWholeAndWhatCameBeforeIsLeftOut) {
    MakeTaskFile(kTaskTableName, {Named("Mine")}, true);
    Open();
    const std::string mine = store_->Uids.StoredUid(1);
    const std::vector<IncomingTask> file = {
        {TaskEntry{.descript = "From a calendar", .priority = "A"}, "cal-1@example.org"},
        {TaskEntry{.descript = "Same UID again"}, "cal-1@example.org"},
        {TaskEntry{.descript = "Mine, sent back"}, mine},
        {TaskEntry{.descript = "A spreadsheet row"}, ""},
        {TaskEntry{.descript = "A spreadsheet row"}, ""},  // a second, identical row
        {TaskEntry{.descript = "With a note", .note = "Line one\r\nLine two"}, "cal-2@example.org"},
    };
    const ImportPlan plan = PlanImport(store_->Uids, file);
    EXPECT_EQ(plan.alreadyThere, 2);
    ASSERT_EQ(plan.tasks.size(), 4u);
    int added = 0;
    ASSERT_EQ(AddImportedTasks(*store_, plan, history_, added), dbi::kOk);
    EXPECT_EQ(added, 4);
    EXPECT_EQ(history_.Size(), 1u);
    EXPECT_EQ(history_.UndoChange(), TaskChange::kImport);
    EXPECT_EQ(TaskChangeName(TaskChange::kImport), "Import");
    const std::vector<std::string> imported = Tasks();
    ASSERT_EQ(imported.size(), 5u);
    EXPECT_EQ(imported[1], "From a calendar cal-1@example.org");
    EXPECT_EQ(imported[4], "With a note cal-2@example.org");
    TaskState noted;
    ASSERT_TRUE(ReadTaskState(*store_, 5, noted));
    EXPECT_EQ(noted.entry.note, "Line one\r\nLine two");

    // The same file again adds nothing, before and after a reopen.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(PlanImport(store_->Uids, file).tasks.empty()) << pass;
        Reopen();
    }

    std::int32_t record = 0;
    ASSERT_EQ(history_.Undo(*store_, record), dbi::kOk);
    std::vector<std::string> undone = imported;
    for (std::size_t i = 1; i < undone.size(); ++i) {
        undone[i] = "-" + undone[i];
    }
    EXPECT_EQ(Tasks(), undone);
    // Undone, the import may be made again.
    EXPECT_EQ(PlanImport(store_->Uids, file).tasks.size(), 4u);
    ASSERT_EQ(history_.Redo(*store_, record), dbi::kOk);
    EXPECT_EQ(Tasks(), imported);
    store_->EngineEnv1.SetDeleted(true);
    EXPECT_EQ(store_->TodoEngine.FilteredCount(), 5);
    store_->EngineEnv1.SetDeleted(false);
    EXPECT_TRUE(PlanImport(store_->Uids, file).tasks.empty());

    // Deleted and packed away, imported tasks stay imported.
    for (int n = 2; n <= 5; ++n) {
        store_->TodoEngine.GoToRecord(n);
        ASSERT_EQ(store_->TodoTable.Delete(), dbi::kOk);
    }
    Pack();
    EXPECT_EQ(Tasks(), (std::vector<std::string>{imported[0]}));
    EXPECT_TRUE(PlanImport(store_->Uids, file).tasks.empty());
}

}  // namespace
}  // namespace store
