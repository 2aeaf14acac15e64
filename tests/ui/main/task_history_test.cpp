// Undo and redo of every task command on real task files, read back from the files' own
// bytes: each change undone puts every record back byte for byte, note included, and redone
// gives the change again; deleted tasks come back where the filter hides them and across an
// order change.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "rtl/format_sets.h"
#include "store/quick_entry.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "store_test_support.h"
#include "ui/main/key_word_list.h"
#include "ui/main/task_commands.h"

namespace {

using store::TaskChange;
using store_test::Task;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned Le16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

unsigned Be32(const std::string& b, std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return v;
}

// Every record of the table as the files hold it, read without the engine: the record's
// bytes (deleted mark first) with its memo pointer replaced by the note's text, which is
// the one part a rewritten note may move.
std::vector<std::string> RecordsOnDisk(const std::string& dir) {
    const std::string table = FileBytes(dir + "QUILX.DBF");
    const std::string memo = FileBytes(dir + "QUILX.FPT");
    const unsigned headerLength = Le16(table, 8);
    const unsigned recordLength = Le16(table, 10);
    std::size_t memoOffset = 1;
    std::size_t memoWidth = 0;
    for (std::size_t at = 32; table[at] != '\x0D'; at += 32) {
        const auto width = static_cast<unsigned char>(table[at + 16]);
        if (table[at + 11] == 'M') {
            memoWidth = width;
            break;
        }
        memoOffset += width;
    }
    const unsigned blockSize =
        static_cast<unsigned char>(memo[6]) << 8 | static_cast<unsigned char>(memo[7]);
    std::vector<std::string> records;
    for (std::size_t at = headerLength; at + recordLength <= table.size(); at += recordLength) {
        std::string record = table.substr(at, recordLength);
        const std::string pointer = record.substr(memoOffset, memoWidth);
        const unsigned block = static_cast<unsigned>(std::atoi(pointer.c_str()));
        std::string note;
        if (block != 0) {
            const std::size_t start = std::size_t{block} * blockSize;
            note = memo.substr(start + 8, Be32(memo, start + 4));
        }
        record.replace(memoOffset, memoWidth, "<" + note + ">");
        records.push_back(record);
    }
    return records;
}

class TaskHistoryTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        UseInternalFormats();
    }
    void TearDown() override {
        store_.reset();
        StoreTest::TearDown();
    }

    void Open(const std::vector<Task>& tasks) {
        MakeTaskFile("QUILX.DBF", tasks, true);
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
        ASSERT_TRUE(store_->OpenTaskTable(false));
        store_->TodoEngine.SetOrder(0);
        ASSERT_EQ(Table().First(), store::dbi::kOk);
    }
    store::TTable& Table() { return store_->TodoTable; }
    std::vector<std::string> OnDisk() { return RecordsOnDisk(Dir()); }
    int Current() { return Table().GetBookmark().value_or(0); }
    // The records the table shows, in the order in force.
    std::vector<int> Shown() {
        const int current = Current();
        std::vector<int> shown;
        for (Table().First(); !Table().Eof(); Table().Next()) {
            shown.push_back(Current());
        }
        store_->TodoEngine.GoToRecord(current);
        return shown;
    }

    std::unique_ptr<store::TTaskStore> store_;
    store::TTaskHistory history_;
};

const std::vector<Task> kTasks = {
    {"20260115", "09:30", "Call the bank", "Ask about\r\nthe fee  ", false, "money call", "A"},
    {"20260301", "", "Water the plants", "", true, "home", "c"},
    {"", "14:00", "Write the report", "Draft first ", false, "work", "B"},
};

TEST_F(TaskHistoryTest, EveryCommandUndoneAndRedoneRestoresTheRecordsByteForByte) {
    Open(kTasks);
    KeyWordList words;
    using Command = std::function<bool()>;
    auto change = [this](const char* field, const char* value) {
        return store::ChangeTaskField(Table(), field, value).empty();
    };
    auto type = [this](const char* field, const char* text) {
        return Table().Edit() == store::dbi::kOk && Table().FieldByName(field)->SetAsString(text) &&
               Table().Post() == store::dbi::kOk;
    };
    const struct {
        TaskChange change;
        int onRecord;
        Command command;
    } cases[] = {
        {TaskChange::kAdd, 1,
         [&] {
             store::TaskEntry entry{"20270704", "08:00", "New one", "x y", "A", false, "a note"};
             return StoreTaskEntry(*store_, EditMode::kAdd, entry, words);
         }},
        {TaskChange::kEdit, 1,
         [&] {
             store::TaskEntry entry = store::ReadTaskEntry(Table());
             entry.descript = "Call the bank again";
             entry.note = "Other\r\nlines";
             entry.done = true;
             entry.keys.clear();
             return StoreTaskEntry(*store_, EditMode::kEdit, entry, words);
         }},
        {TaskChange::kTaskText, 3, [&] { return type("DESCRIPT", "Write it now"); }},
        {TaskChange::kNote, 1, [&] { return type("NOTE", "typed\r\nin the pane"); }},
        {TaskChange::kNote, 2, [&] { return type("NOTE", "a first note"); }},
        {TaskChange::kClone, 1, [&] { return CloneCurrentTask(Table()); }},
        {TaskChange::kDelete, 2, [&] { return DeleteCurrentTask(*store_); }},
        {TaskChange::kDone, 3, [&] { return ToggleDone(Table()); }},
        {TaskChange::kDate, 3, [&] { return change("DATE", "20261231"); }},
        {TaskChange::kDate, 1, [&] { return change("DATE", ""); }},
        {TaskChange::kPriority, 1, [&] { return change("PRIORITY", "C"); }},
        {TaskChange::kTime, 1, [&] { return change("TIME", "23:59"); }},
        {TaskChange::kKeyWords, 3, [&] { return change("KEYS", "work urgent"); }},
    };
    for (const auto& c : cases) {
        const std::string name(store::TaskChangeName(c.change));
        SCOPED_TRACE(name);
        store_->TodoEngine.GoToRecord(c.onRecord);
        ASSERT_EQ(Current(), c.onRecord);
        const std::vector<std::string> before = OnDisk();
        const store::PendingStep pending = store::TTaskHistory::Begin(*store_, c.change);
        ASSERT_TRUE(c.command());
        ASSERT_TRUE(history_.Commit(*store_, pending));
        const std::vector<std::string> after = OnDisk();
        ASSERT_NE(before, after);
        EXPECT_EQ(history_.UndoChange(), c.change);
        EXPECT_FALSE(history_.CanRedo());

        std::int32_t record = 0;
        ASSERT_EQ(history_.Undo(*store_, record), store::dbi::kOk);
        std::vector<std::string> undone = OnDisk();
        if (c.change == TaskChange::kAdd || c.change == TaskChange::kClone) {
            // The appended record stays in the file, marked deleted, as a delete leaves it.
            ASSERT_EQ(undone.size(), before.size() + 1);
            EXPECT_EQ(undone.back()[0], '*');
            EXPECT_EQ(undone.back().substr(1), after.back().substr(1));
            undone.pop_back();
        }
        EXPECT_EQ(undone, before);
        EXPECT_EQ(history_.RedoChange(), c.change);
        EXPECT_FALSE(history_.CanUndo());

        ASSERT_EQ(history_.Redo(*store_, record), store::dbi::kOk);
        EXPECT_EQ(OnDisk(), after);
        EXPECT_EQ(history_.UndoChange(), c.change);
        history_.Clear();
    }
    // Every tag was kept in step with the records through it all.
    EXPECT_EQ(store_->TodoEngine.IndexCheck(1 << 30), 1);
}

TEST_F(TaskHistoryTest, ACommandWhoseTaskTheFilterThenHidesIsUndoneAndRedoneAllTheSame) {
    Open(kTasks);
    ASSERT_EQ(store_->TodoEngine.ApplyFilter(".not. DONE"), 1);
    KeyWordList words;
    const struct {
        TaskChange change;
        std::function<bool()> command;
    } cases[] = {
        {TaskChange::kDone, [&] { return ToggleDone(Table()); }},
        {TaskChange::kAdd,
         [&] {
             store::TaskEntry entry{"", "", "Done at once", "", "B", true, "note"};
             return StoreTaskEntry(*store_, EditMode::kAdd, entry, words);
         }},
        {TaskChange::kEdit,
         [&] {
             store::TaskEntry entry = store::ReadTaskEntry(Table());
             entry.done = true;
             entry.note = "finished";
             return StoreTaskEntry(*store_, EditMode::kEdit, entry, words);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(store::TaskChangeName(c.change)));
        ASSERT_EQ(Table().First(), store::dbi::kOk);
        const std::vector<std::string> before = OnDisk();
        const store::PendingStep pending = store::TTaskHistory::Begin(*store_, c.change);
        ASSERT_TRUE(c.command());
        ASSERT_TRUE(history_.Commit(*store_, pending));
        const std::vector<std::string> after = OnDisk();
        std::int32_t record = 0;
        ASSERT_EQ(history_.Undo(*store_, record), store::dbi::kOk);
        std::vector<std::string> undone = OnDisk();
        if (c.change == TaskChange::kAdd) {
            EXPECT_EQ(undone.back()[0], '*');
            undone.pop_back();
        }
        EXPECT_EQ(undone, before);
        ASSERT_EQ(history_.Redo(*store_, record), store::dbi::kOk);
        EXPECT_EQ(OnDisk(), after);
        EXPECT_EQ(store_->TodoEngine.Filter(), ".not. DONE");
    }
}

TEST_F(TaskHistoryTest, UndoOfADeleteBringsBackATaskTheFilterHides) {
    Open(kTasks);
    store_->TodoEngine.GoToRecord(1);
    const std::vector<std::string> before = OnDisk();
    const store::PendingStep pending = store::TTaskHistory::Begin(*store_, TaskChange::kDelete);
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    ASSERT_TRUE(history_.Commit(*store_, pending));
    const std::string filter = "\"work\" $ KEYS";
    ASSERT_EQ(store_->TodoEngine.ApplyFilter(filter), 1);
    ASSERT_EQ(Shown(), std::vector<int>{3});

    std::int32_t record = 0;
    ASSERT_EQ(history_.Undo(*store_, record), store::dbi::kOk);
    EXPECT_EQ(record, 1);
    EXPECT_EQ(OnDisk(), before);
    // The filter still holds and still hides the task; the grid stays where it was.
    EXPECT_EQ(store_->TodoEngine.Filter(), filter);
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(Shown(), std::vector<int>{3});
    ASSERT_EQ(store_->TodoEngine.ApplyFilter(""), 1);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3}));

    // Redone with the filter lifted, the task goes again; undone, it is shown and current.
    ASSERT_EQ(history_.Redo(*store_, record), store::dbi::kOk);
    EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));
    ASSERT_EQ(history_.Undo(*store_, record), store::dbi::kOk);
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3}));
}

TEST_F(TaskHistoryTest, UndoAcrossAnOrderChangePutsTheTaskWhereTheNewOrderWantsIt) {
    Open(kTasks);
    const int dateOrder = store_->TodoEngine.TagOrder(store::kDateTimeTag);
    store_->TodoEngine.SetOrder(dateOrder);
    store_->TodoEngine.GoToRecord(1);
    const store::PendingStep pending = store::TTaskHistory::Begin(*store_, TaskChange::kDate);
    ASSERT_TRUE(store::ChangeTaskField(Table(), "DATE", "20300101").empty());
    ASSERT_TRUE(history_.Commit(*store_, pending));
    EXPECT_EQ(Shown(), (std::vector<int>{3, 2, 1}));

    store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder("PRIORITY"));
    const std::vector<int> byPriority = Shown();
    store_->TodoEngine.GoToRecord(2);
    std::int32_t record = 0;
    ASSERT_EQ(history_.Undo(*store_, record), store::dbi::kOk);
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), store_->TodoEngine.TagOrder("PRIORITY"));
    EXPECT_EQ(Shown(), byPriority);  // the date comes after the priority in this order
    store_->TodoEngine.SetOrder(dateOrder);
    EXPECT_EQ(Shown(), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(store_->TodoEngine.IndexCheck(1 << 30), 1);
}

TEST(TaskHistory, ANewStepDropsWhatCouldBeRedoneAndTheOldestGoBeyondTheLimit) {
    store::TTaskHistory history(3);
    for (int record = 1; record <= 5; ++record) {
        history.Push({TaskChange::kDone, record, {}, {}});
    }
    EXPECT_EQ(history.Size(), 3u);
    EXPECT_EQ(history.UndoChange(), TaskChange::kDone);
    EXPECT_FALSE(history.RedoChange().has_value());
    // Nothing written here: the steps' own bookkeeping is what is checked.
    store::TTaskHistory big;
    for (int record = 1; record <= 1001; ++record) {
        big.Push({TaskChange::kNote, record, {}, {}});
    }
    EXPECT_EQ(big.Size(), 1000u);
}

}  // namespace
