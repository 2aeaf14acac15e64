// The task commands on real task files: what the editor's result stores, clone, delete, the
// done toggle, the button rule, the key word list, the numeric date pattern and a rebuild
// that fails part-way.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rtl/format_sets.h"
#include "store/task_editing.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/key_word_list.h"
#include "ui/main/task_commands.h"

namespace {

using store_test::Task;

class TaskCommandsTest : public store_test::StoreTest {
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
    std::string Field(const char* name) {
        std::string text = Table().FieldByName(name)->AsString();
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }
    // The stored fields of record `n`, read straight from the engine.
    std::string Stored(int n, const char* field) {
        Table().GotoBookmark(n);
        return Field(field);
    }

    std::unique_ptr<store::TTaskStore> store_;
};

TEST(MakeNumericDateFormat, KeepsAtMostTwoDayAndTwoMonthLetters) {
    const struct {
        const char* pattern;
        const char* numeric;
    } cases[] = {
        {"dd-MMM-yyyy", "dd-MM-yyyy"},
        {"dddd, MMMM d, yyyy", "dd, MM , yyyy"},
        {"yyyy-mm-dd", "yyyy-mm-dd"},
        {"", ""},
        // The year always has four digits, so that no date moves by a century on its way
        // through the editor.
        {"d/M/yy", "d/M/yyyy"},
        {"dd/mm/yy", "dd/mm/yyyy"},
        {"YY.MM.DD", "YYYY.MM.DD"},
        {"d.M.y", "d.M.yyyy"},
        {"yyyyy/mm/dd", "yyyy/mm/dd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeNumericDateFormat(c.pattern), c.numeric) << c.pattern;
    }
}

TEST(KeyWordList, WordsAreSpaceSeparatedAndCaseBlind) {
    KeyWordList list;
    BreakStringIntoWords("Home home HOME work", list);
    BreakStringIntoWords("  shop,call  work caf\xE9 CAF\xC9 ", list);
    BreakStringIntoWords("", list);
    EXPECT_EQ(list.Words(),
              (std::vector<std::string>{"Home", "work", "shop,call", "caf\xE9"}));
}

TEST_F(TaskCommandsTest, TheEditorsResultIsStoredAsTyped) {
    Open({{"20260115", "14:30", "Old", "old note", false, "alpha", "C"},
          {"", "", "Odd priority", "", false, "", "x"}});
    KeyWordList words;

    // Edit without touching the priority: a stored "C" stays; dates and times in.
    store::TaskEntry entry = store::ReadTaskEntry(Table());
    EXPECT_EQ(store::EditorDateOf(entry.date), "01/15/2026");
    EXPECT_EQ(store::StoredTimeOfEditor(store::EditorTimeOf(entry.time)), "14:30");
    EXPECT_EQ(entry.priority, "C");
    EXPECT_EQ(entry.note, "old note");
    entry.descript = "New text";
    entry.keys = "beta Alpha";
    entry.note = "12345678";  // eight characters: padded to nine
    entry.date = store::StoredDateOfEditor("02/29/2028");
    entry.time = store::StoredTimeOfEditor("1:05 PM");
    entry.done = true;
    ASSERT_TRUE(StoreTaskEntry(*store_, EditMode::kEdit, entry, words));
    EXPECT_EQ(Stored(1, "DESCRIPT"), "New text");
    EXPECT_EQ(Field("DATE"), "20280229");
    EXPECT_EQ(Field("TIME"), "13:05");
    EXPECT_EQ(Field("PRIORITY"), "C");
    EXPECT_EQ(Table().FieldByName("NOTE")->AsString(), "12345678 ");
    EXPECT_TRUE(Table().FieldByName("DONE")->AsBoolean());
    EXPECT_EQ(words.Words(), (std::vector<std::string>{"beta", "Alpha"}));

    // An unknown stored priority becomes Medium; texts that are no date or time store blank.
    Table().GotoBookmark(2);
    entry = store::ReadTaskEntry(Table());
    entry.date = store::StoredDateOfEditor("02/30/2026");
    entry.time = store::StoredTimeOfEditor("25:00");
    ASSERT_TRUE(StoreTaskEntry(*store_, EditMode::kEdit, entry, words));
    EXPECT_EQ(Stored(2, "PRIORITY"), "B");
    EXPECT_EQ(Field("DATE"), "");
    EXPECT_EQ(Field("TIME"), "");

    // A new task with nothing touched: blank date and time, Medium, not done.
    store::TaskEntry fresh = NewTaskEntry();
    EXPECT_EQ(fresh.descript, "{Task description}");
    ASSERT_TRUE(StoreTaskEntry(*store_, EditMode::kAdd, fresh, words));
    EXPECT_EQ(Table().GetBookmark(), 3);
    EXPECT_EQ(Stored(3, "DESCRIPT"), "{Task description}");
    EXPECT_EQ(Field("DATE"), "");
    EXPECT_EQ(Field("TIME"), "");
    EXPECT_EQ(Field("PRIORITY"), "B");
    EXPECT_FALSE(Table().FieldByName("DONE")->AsBoolean());
}

TEST_F(TaskCommandsTest, CloneDeleteAndDoneActOnTheCurrentTask) {
    Open({{"20260101", "08:00", "First", "note of eight", true, "k1", "A"},
          {"20260102", "", "Second", "", false, "", "B"},
          {"20260103", "", "Third", "", false, "", "C"}});

    // The copy is exact, priority included, but not done; its note is not padded.
    ASSERT_TRUE(CloneCurrentTask(Table()));
    EXPECT_EQ(Table().GetBookmark(), 4);
    for (const char* field : {"DATE", "TIME", "DESCRIPT", "KEYS", "PRIORITY"}) {
        EXPECT_EQ(Stored(4, field), Stored(1, field)) << field;
    }
    EXPECT_EQ(Stored(4, "NOTE"), "note of eight");
    EXPECT_FALSE(Table().FieldByName("DONE")->AsBoolean());

    // The done toggle, both ways.
    Table().GotoBookmark(2);
    ASSERT_TRUE(ToggleDone(Table()));
    EXPECT_TRUE(Table().FieldByName("DONE")->AsBoolean());
    ASSERT_TRUE(ToggleDone(Table()));
    EXPECT_FALSE(Table().FieldByName("DONE")->AsBoolean());

    // Delete moves to the task that followed; the last one goes to whatever the engine gives.
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    EXPECT_EQ(Table().GetBookmark(), 3);
    EXPECT_TRUE(TaskButtonsVisible(*store_));
    Table().GotoBookmark(4);
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    EXPECT_EQ(store_->TodoEngine.FilteredCount(), 2);
    Table().First();
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    EXPECT_FALSE(TaskButtonsVisible(*store_));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(TaskCommandsTest, ButtonsShowOnlyOnATask) {
    Open({});
    EXPECT_FALSE(TaskButtonsVisible(*store_));
    KeyWordList words;
    ASSERT_TRUE(StoreTaskEntry(*store_, EditMode::kAdd, NewTaskEntry(), words));
    EXPECT_TRUE(TaskButtonsVisible(*store_));
    ASSERT_TRUE(DeleteCurrentTask(*store_));
    EXPECT_FALSE(TaskButtonsVisible(*store_));
}

TEST_F(TaskCommandsTest, GoingToADateLandsOnItsFirstTaskOrTheNextDatedOne) {
    Open({{"20260110", "", "Tenth", "", false, "", "B"},
          {"20260105", "", "Fifth", "", false, "", "B"},
          {"20260120", "", "Twentieth", "", false, "", "B"}});
    store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder("DATETIME"));
    rtl::TDateTime day = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 10, day));
    GoToDate(*store_, day);
    EXPECT_EQ(Field("DESCRIPT"), "Tenth");
    EXPECT_FALSE(Table().Eof());
    EXPECT_FALSE(store_->EngineEnv1.SoftSeek());
    // No key begins with the day: the task of the next date, never the end of the list.
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 7, day));
    EXPECT_TRUE(GoToDate(*store_, day));
    EXPECT_EQ(Field("DESCRIPT"), "Tenth");
    ASSERT_TRUE(rtl::TryEncodeDate(2027, 1, 1, day));
    EXPECT_TRUE(GoToDate(*store_, day));
    EXPECT_EQ(Field("DESCRIPT"), "Twentieth");
    EXPECT_FALSE(Table().Eof());
}

// A rebuild whose tag build stops after two tags.
class HalfRebuild : public store::RebuildRunner {
  public:
    explicit HalfRebuild(store::TTaskStore& store) : store_(store) {}
    void RunRebuildWindow(bool) override {
        store_.TodoEngine.CloseIndexes();
        std::remove(store_.PathOf(store::kTaskIndexName).c_str());
        for (int i = 0; i < 2; ++i) {
            const store::TaskTag& tag = store::kTaskTags[i];
            store_.TodoEngine.CreateTag(store_.PathOf(store::kTaskIndexName), tag.name,
                                        tag.expression, 0, false, tag.condition);
        }
    }

  private:
    store::TTaskStore& store_;
};

TEST_F(TaskCommandsTest, ARebuildThatStopsPartWayLeavesEveryTagBuiltAfterTheReopen) {
    Open(store_test::NumberedTasks(12));
    HalfRebuild half(*store_);
    bool done = true;
    ASSERT_TRUE(RebuildTaskFile(*store_, half, done));
    EXPECT_FALSE(done);
    // Not reported as done; the reopen found no index and built every tag.
    EXPECT_TRUE(sink.messages.empty());
    for (const store::TaskTag& tag : store::kTaskTags) {
        EXPECT_NE(store_->TodoEngine.TagOrder(tag.name), 0) << tag.name;
    }
    EXPECT_EQ(Table().IndexName(), "DATETIME");
    EXPECT_EQ(Table().Tag, -1);

    store::PlainRebuildRunner whole(*store_);
    ASSERT_TRUE(RebuildTaskFile(*store_, whole, done));
    EXPECT_TRUE(done);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"Done!"});
}

}  // namespace
