// Find as you type on a real task file: which tasks a text finds (each field, letter case and
// accents as the engine folds them, under the filter in force), the same whether the rows
// were narrowed keystroke by keystroke or sought afresh, and the found rows kept in the
// order's order as tasks change.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/row_order.h"
#include "store/task_file.h"
#include "store/task_find.h"
#include "store_test_support.h"

namespace {

class TaskFindTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        // Windows-1252: E9 é, C9 É, EB ë, CB Ë, DF ß, 8C Œ, 9C œ. Dates give the order.
        MakeTaskFile("QUILX.DBF",
                     {{"20260101", "", "Buy milk", "", false, "shop"},
                      {"20260102", "", "Call Zo\xEB", "about the caf\xE9", false, "phone"},
                      {"20260103", "", "Write report", "Quarterly figures\r\nfor the board",
                       false, "WORK office"},
                      {"20260104", "", "Pay rent", "", true, "home"},
                      {"20260105", "", "CAF\xC9 opening", "", false, ""},
                      {"20260106", "", "Stra\xDF" "e fegen", "\x8Cuvre compl\xE8te", false,
                       "home"}},
                     true);
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
        ASSERT_TRUE(store_->OpenTaskTable(false));
        store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder("DATETIME"));
        // Done tasks hidden, as the window starts.
        store_->TodoEngine.ApplyFilter("(.not.DONE)");
        order_ = std::make_unique<store::TRowOrder>(store_->TodoTable);
        order_->Reload();
    }
    void TearDown() override {
        order_.reset();
        store_.reset();
        StoreTest::TearDown();
    }

    // The descriptions of the found rows, in row order.
    std::vector<std::string> Found(const store::TFoundRows& found) {
        std::vector<std::string> tasks;
        for (int row = 0; row < found.Count(); ++row) {
            store::TaskEntry task;
            order_->ReadTask(found.RecordAt(row), task);
            tasks.push_back(task.descript);
        }
        return tasks;
    }
    std::vector<std::string> FoundAfresh(const std::string& text) {
        store::TFoundRows fresh(store_->TodoTable, order_->Records());
        fresh.Find(text, order_->Records());
        return Found(fresh);
    }

    std::unique_ptr<store::TTaskStore> store_;
    std::unique_ptr<store::TRowOrder> order_;
};

TEST_F(TaskFindTest, ATextFindsTheTasksThatHoldItInAnyFieldFoldedAsTheEngineFolds) {
    using Tasks = std::vector<std::string>;
    const Tasks all{"Buy milk", "Call Zo\xEB", "Write report", "CAF\xC9 opening",
                    "Stra\xDF" "e fegen"};
    struct Case {
        const char* text;  // typed in this order: a text that grows narrows the last rows
        Tasks found;
    };
    const Case cases[] = {
        {"", all},
        {"m", {"Buy milk", "Stra\xDF" "e fegen"}},  // "compl\xE8te"
        {"mi", {"Buy milk"}},
        {"mil", {"Buy milk"}},
        {"milk", {"Buy milk"}},
        {"MILK", {"Buy milk"}},
        // The blanks that pad a field are not its text.
        {"milk ", {}},
        {"sho", {"Buy milk"}},  // key words
        {"BOARD", {"Write report"}},  // a note's later line
        {"work", {"Write report"}},
        // No text runs from one field into the next.
        {"report work", {}},
        {"report", {"Write report"}},
        // Accented letters fold to their capitals, and only to them.
        {"caf\xE9", {"Call Zo\xEB", "CAF\xC9 opening"}},
        {"CAF\xC9", {"Call Zo\xEB", "CAF\xC9 opening"}},
        {"cafe", {}},
        {"zo\xCB", {"Call Zo\xEB"}},
        {"\x9Cuvre", {"Stra\xDF" "e fegen"}},
        // \xDF has no capital of its own in the code page: it stays, and stays itself.
        {"STRASSE", {}},
        {"stra\xDF", {"Stra\xDF" "e fegen"}},
        // A done task is not found while the filter hides done tasks.
        {"rent", {}},
        {"home", {"Stra\xDF" "e fegen"}},
        {"", all},
    };
    store::TFoundRows typed(store_->TodoTable, order_->Records());
    for (const Case& c : cases) {
        typed.Find(c.text, order_->Records());
        EXPECT_EQ(Found(typed), c.found) << '"' << c.text << '"';
        EXPECT_EQ(FoundAfresh(c.text), c.found) << '"' << c.text << "\" afresh";
        EXPECT_EQ(typed.Text(), c.text);
    }
}

TEST_F(TaskFindTest, ChangedTasksStayInOrderUntilTheNextTextAndDeletedOnesLeave) {
    store::TFoundRows found(store_->TodoTable, order_->Records());
    found.Find("i", order_->Records());
    ASSERT_EQ(Found(found),
              (std::vector<std::string>{"Buy milk", "Write report", "CAF\xC9 opening"}));
    // What the grid does for a changed record: the order first, then the found rows.
    const auto changed = [&](std::int32_t record) {
        const int orderFrom = order_->RowOf(record);
        const int orderTo = order_->Place(record);
        ASSERT_NE(orderTo, store::TRowOrder::kLost);
        if (orderFrom >= 0) {
            order_->Erase(orderFrom);
        }
        if (orderTo >= 0) {
            order_->Insert(orderTo, record);
        }
        const int from = found.RowOf(record);
        const int to = found.Place(record, order_->Records(), orderTo);
        if (from >= 0) {
            found.Erase(from);
        }
        if (to >= 0) {
            found.Insert(to, record);
        }
    };
    store::TTable& table = store_->TodoTable;
    const auto set = [&](std::int32_t record, const char* field, const std::string& text) {
        ASSERT_EQ(table.GotoBookmark(record), store::dbi::kOk);
        ASSERT_EQ(table.Edit(), store::dbi::kOk);
        ASSERT_TRUE(table.FieldByName(field)->SetAsString(text));
        ASSERT_EQ(table.Post(), store::dbi::kOk);
        changed(record);
    };

    // Edited so that it no longer holds the text, and moved by its date: it stays.
    set(1, "DESCRIPT", "Buy bread");
    set(1, "DATE", "20251231");
    // Moved to the end: it stays, after every other found row.
    set(3, "DATE", "20270101");
    // A task that did not hold the text is changed (undone, say): it shows, in its place.
    set(2, "DATE", "20260104");
    EXPECT_EQ(Found(found), (std::vector<std::string>{"Buy bread", "Call Zo\xEB",
                                                      "CAF\xC9 opening", "Write report"}));
    // Done while done tasks are hidden, or deleted: it leaves.
    set(5, "DONE", "T");
    ASSERT_EQ(table.GotoBookmark(3), store::dbi::kOk);
    ASSERT_EQ(table.Delete(), store::dbi::kOk);
    changed(3);
    EXPECT_EQ(Found(found), (std::vector<std::string>{"Buy bread", "Call Zo\xEB"}));

    // The next text is sought afresh in the changed texts, not only among the rows found;
    // then, as it grows, among those it found.
    found.Find("e", order_->Records());
    EXPECT_EQ(Found(found),
              (std::vector<std::string>{"Buy bread", "Call Zo\xEB", "Stra\xDF" "e fegen"}));
    found.Find("bre", order_->Records());
    EXPECT_EQ(Found(found), (std::vector<std::string>{"Buy bread"}));
    EXPECT_EQ(Found(found), FoundAfresh("bre"));
}

}  // namespace
