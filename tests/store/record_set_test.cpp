// Record sets on real task files: moves and ends, the browse / edit / insert states, fields by
// name, calculated fields, index definitions, notices to views, bookmarks and row windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/record_set.h"
#include "store_test_support.h"

namespace {

using namespace store;
using store_test::NumberedTasks;
using store_test::Task;

// Counts what a view hears.
class CountingLink : public TDataLink {
  public:
    void ActiveChanged() override { ++active; }
    void DataSetChanged() override { ++dataSet; }
    void RecordChanged() override { ++record; }
    void EditingChanged() override { ++editing; }
    int Total() const { return active + dataSet + record + editing; }
    int active = 0, dataSet = 0, record = 0, editing = 0;
};

class RecordSetTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(adaptor.Start(), dbi::kOk);
        table.SetDatabaseName(Dir());
        table.SetTableName("TASKS.DBF");
    }
    void TearDown() override {
        table.Close();
        adaptor.End();
        StoreTest::TearDown();
    }

    void OpenTasks(const std::vector<Task>& tasks, bool withTags = false,
                   const std::vector<int>& deleted = {}) {
        MakeTaskFile("TASKS.DBF", tasks, withTags, deleted);
        ASSERT_EQ(table.Open(), dbi::kOk) << table.LastErrorText();
    }

    std::string Descript() { return table.FieldByName("DESCRIPT")->AsString(); }

    // The stored description of record n, read straight from the engine.
    std::string StoredDescript(int n) {
        int previous = sx_Select(table.Handle());
        sx_Go(n);
        std::string text = sx_GetTrimString("DESCRIPT");
        sx_Select(previous);
        return text;
    }

    void SetFilter(std::string_view expression) {
        int previous = sx_Select(table.Handle());
        ASSERT_EQ(sx_Query(expression), 1);
        sx_Select(previous);
    }

    std::vector<std::string> WalkDescripts() {
        std::vector<std::string> seen;
        for (table.First(); !table.Eof() && !table.IsEmpty(); table.Next()) {
            seen.push_back(Descript());
        }
        return seen;
    }

    EngineAdaptor adaptor{sink};
    TTable table{adaptor};
};

TEST_F(RecordSetTest, MovesReportTheEndsAndKeepTheEdgeRecord) {
    OpenTasks(NumberedTasks(3));
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0001");
    EXPECT_TRUE(table.Bof());
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_FALSE(table.Bof());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0003");
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(Descript(), "Task 0003") << "the last record stays current at the end";
    ASSERT_EQ(table.Prior(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002");
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Prior(), dbi::kOk);
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(Descript(), "Task 0001");
    // After a prior at the beginning, next goes on from the first record.
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002");
    ASSERT_EQ(table.Last(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0003");
    EXPECT_TRUE(table.Eof());
}

TEST_F(RecordSetTest, EmptyAndClosedSets) {
    EXPECT_EQ(table.Open(), dbi::kOpenFailed);
    EXPECT_EQ(table.LastErrorText(), "File Open Error");
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.First(), dbi::kNotOpenCursor);
    EXPECT_EQ(table.Edit(), dbi::kNotOpenCursor);

    OpenTasks({});
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(table.Prior(), dbi::kOk);
    EXPECT_TRUE(table.FieldByName("DESCRIPT")->IsNull());
    EXPECT_FALSE(table.GetBookmark().has_value());
    // Edit without a record appends.
    ASSERT_EQ(table.Edit(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsInsert);
    table.Cancel();
    EXPECT_TRUE(table.IsEmpty());
    table.Close();
    EXPECT_EQ(table.State(), TDataSetState::dsInactive);
    EXPECT_EQ(table.FieldByName("DESCRIPT")->AsString(), "");
}

TEST_F(RecordSetTest, FieldsByNameReadTextLogicalAndMemoLines) {
    OpenTasks({{"20240105", "10:30", "Write", "one\r\ntwo", true, "home", "A"},
               {"", "", "Blank", "", false, "", ""}});
    EXPECT_EQ(table.FieldByName("descript"), table.FieldByName("DESCRIPT"));
    EXPECT_EQ(table.FieldByName("NOSUCH"), nullptr);
    EXPECT_EQ(table.FieldByName("DATE")->AsString(), "20240105");
    EXPECT_TRUE(table.FieldByName("DONE")->AsBoolean());
    EXPECT_EQ(table.FieldByName("NOTE")->MemoLines(), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(table.FieldByName("NOTE")->IsMemo());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_TRUE(table.FieldByName("DATE")->IsNull());
    EXPECT_TRUE(table.FieldByName("PRIORITY")->IsNull());
    EXPECT_FALSE(table.FieldByName("DONE")->AsBoolean());
    EXPECT_TRUE(table.FieldByName("NOTE")->MemoLines().empty());

    // Labels and widths belong to the field and survive a close and reopen.
    TField* descript = table.FieldByName("DESCRIPT");
    EXPECT_EQ(descript->DisplayLabel(), "DESCRIPT");
    EXPECT_EQ(descript->DisplayWidth(), 50);
    descript->SetDisplayLabel("Task");
    descript->SetDisplayWidth(30);
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(table.FieldByName("DESCRIPT"), descript);
    EXPECT_EQ(descript->DisplayLabel(), "Task");
    EXPECT_EQ(descript->DisplayWidth(), 30);
}

TEST_F(RecordSetTest, EditThenCancelOrPost) {
    OpenTasks(NumberedTasks(3));
    TField* descript = table.FieldByName("DESCRIPT");
    EXPECT_FALSE(descript->SetAsString("refused in browse"));
    ASSERT_EQ(table.Edit(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    ASSERT_TRUE(descript->SetAsString("Changed"));
    EXPECT_TRUE(table.Modified());
    EXPECT_EQ(Descript(), "Changed");
    table.Cancel();
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0001");
    EXPECT_EQ(StoredDescript(1), "Task 0001");

    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(descript->SetAsString("Changed"));
    ASSERT_TRUE(table.FieldByName("DONE")->SetAsBoolean(true));
    ASSERT_TRUE(table.FieldByName("NOTE")->SetMemoLines({"first", "second "}));
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Changed");
    EXPECT_EQ(StoredDescript(1), "Changed");
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(Descript(), "Changed");
    EXPECT_TRUE(table.FieldByName("DONE")->AsBoolean());
    EXPECT_EQ(table.FieldByName("NOTE")->MemoLines(),
              (std::vector<std::string>{"first", "second "}));
}

TEST_F(RecordSetTest, AppendPostsANewRecordAndCancelReturns) {
    OpenTasks(NumberedTasks(2));
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(table.Append(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsInsert);
    EXPECT_TRUE(table.FieldByName("DESCRIPT")->IsNull());
    EXPECT_FALSE(table.GetBookmark().has_value());
    table.Cancel();
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0002") << "cancel goes back to the record before the insert";

    ASSERT_EQ(table.Append(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("New one"));
    ASSERT_TRUE(table.FieldByName("PRIORITY")->SetAsString("C"));
    ASSERT_TRUE(table.FieldByName("NOTE")->SetMemoLines({"a note"}));
    EXPECT_EQ(table.FieldByName("NOTE")->MemoLines(), std::vector<std::string>{"a note"});
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "New one");
    EXPECT_EQ(table.GetBookmark(), 3);
    EXPECT_EQ(table.FieldByName("NOTE")->MemoLines(), std::vector<std::string>{"a note"});
    EXPECT_EQ(StoredDescript(3), "New one");
    int previous = sx_Select(table.Handle());
    EXPECT_EQ(sx_RecCount(), 3);
    sx_Go(3);
    EXPECT_EQ(sx_GetMemo("NOTE"), "a note");
    sx_Select(previous);
}

TEST_F(RecordSetTest, MovesAndClosePostAChangedRecordAndCancelAnUnchangedOne) {
    OpenTasks(NumberedTasks(3));
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Moved away"));
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0002");
    EXPECT_EQ(StoredDescript(1), "Moved away");

    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_EQ(table.Prior(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Moved away");

    ASSERT_EQ(table.Append(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Closed in"));
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    ASSERT_EQ(table.Last(), dbi::kOk);
    EXPECT_EQ(Descript(), "Closed in");

    ASSERT_EQ(table.Append(), dbi::kOk);
    ASSERT_EQ(table.CheckBrowseMode(), dbi::kOk);  // nothing typed: nothing written
    int previous = sx_Select(table.Handle());
    EXPECT_EQ(sx_RecCount(), 4);
    sx_Select(previous);
}

TEST_F(RecordSetTest, BookmarksReturnToARecord) {
    OpenTasks(NumberedTasks(5));
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(table.Next(), dbi::kOk);
    std::optional<std::int32_t> mark = table.GetBookmark();
    ASSERT_EQ(mark, 3);
    ASSERT_EQ(table.Last(), dbi::kOk);
    ASSERT_EQ(table.GotoBookmark(*mark), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0003");
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0004");
    ASSERT_EQ(table.GotoBookmark(99), dbi::kOk);
    EXPECT_TRUE(table.Eof());
}

TEST_F(RecordSetTest, CalculatedFieldsAreComputedOnEveryReadByTheCallersRule) {
    OpenTasks(NumberedTasks(3));
    table.AddCalcField("Shown", 20);
    int calls = 0;
    table.SetOnCalcFields([&](TTable& t) {
        ++calls;
        if (t.Tag == -1) {
            return;  // the caller computes nothing while it opens or reindexes
        }
        t.FieldByName("Shown")->SetAsString("<" + t.FieldByName("DESCRIPT")->AsString() + ">");
    });
    TField* shown = table.FieldByName("Shown");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->Calculated());
    ASSERT_EQ(table.First(), dbi::kOk);
    EXPECT_EQ(shown->AsString(), "<Task 0001>");
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(shown->AsString(), "<Task 0002>");
    EXPECT_GE(calls, 2);

    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Edited"));
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(shown->AsString(), "<Edited>") << "the posted record is read again";

    table.Tag = -1;
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_TRUE(shown->IsNull()) << "a skipped computation leaves the field blank";
    table.Tag = 0;
    // Calculated fields are kept across a close and reopen.
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(table.FieldByName("Shown"), shown);
    EXPECT_EQ(shown->AsString(), "<Task 0001>");
}

TEST_F(RecordSetTest, IndexDefinitionsAndIndexName) {
    OpenTasks(NumberedTasks(4), true);
    ASSERT_EQ(table.IndexDefs().size(), 5U);
    EXPECT_EQ(table.IndexDefs()[0].name, "DATETIME");
    EXPECT_EQ(table.IndexDefs()[0].expression, "DATE+TIME");
    EXPECT_EQ(table.IndexDefs()[2].fields, std::vector<std::string>{"DONE"});
    EXPECT_EQ(table.IndexName(), "");
    EXPECT_EQ(WalkDescripts(),
              (std::vector<std::string>{"Task 0001", "Task 0002", "Task 0003", "Task 0004"}));

    ASSERT_EQ(table.SetIndexName("DATETIME"), dbi::kOk);
    EXPECT_EQ(table.IndexName(), "DATETIME");
    EXPECT_EQ(Descript(), "Task 0004") << "a new order starts at its first record";
    EXPECT_EQ(WalkDescripts(),
              (std::vector<std::string>{"Task 0004", "Task 0003", "Task 0002", "Task 0001"}));

    // A name the table does not have is refused and the order in force stays.
    EXPECT_NE(table.SetIndexName("NOSUCH"), dbi::kOk);
    EXPECT_EQ(table.IndexName(), "DATETIME");
    ASSERT_EQ(table.First(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0004");

    // The order is taken again on reopen; without its index file the table still opens.
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0004");
    table.Close();
    ASSERT_TRUE(std::filesystem::remove(PathOf("TASKS.CDX")));
    ASSERT_EQ(table.Open(), dbi::kOk) << table.LastErrorText();
    EXPECT_TRUE(table.IndexDefs().empty());
    EXPECT_EQ(table.IndexName(), "");
    EXPECT_EQ(Descript(), "Task 0001");
}

TEST_F(RecordSetTest, ViewsHearChangesExceptWhileControlsAreDisabled) {
    OpenTasks(NumberedTasks(3));
    TDataSource source;
    CountingLink link;
    link.SetDataSource(&source);
    source.SetDataSet(&table);
    EXPECT_EQ(link.DataSet(), &table);
    EXPECT_EQ(link.active, 1);

    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(link.dataSet, 1);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    EXPECT_EQ(link.editing, 1);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("x"));
    EXPECT_EQ(link.record, 1);
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(link.editing, 2);

    link.active = link.dataSet = link.record = link.editing = 0;
    table.DisableControls();
    table.DisableControls();
    EXPECT_TRUE(table.ControlsDisabled());
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("y"));
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(link.dataSet, 0);
    EXPECT_EQ(link.record, 0);
    table.EnableControls();
    EXPECT_EQ(link.dataSet, 0) << "still disabled once";
    table.EnableControls();
    EXPECT_EQ(link.dataSet, 1) << "one refresh when the last disable ends";
    table.EnableControls();  // unbalanced: ignored
    EXPECT_EQ(link.dataSet, 1);
    EXPECT_FALSE(table.ControlsDisabled());

    table.Close();
    EXPECT_GE(link.active, 1);
    // A link that leaves, or a source that goes, is not told any more.
    int before = link.Total();
    link.SetDataSource(nullptr);
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(link.Total(), before);
}

TEST_F(RecordSetTest, DeletingMovesToTheNextVisibleRecord) {
    OpenTasks(NumberedTasks(4), true);
    sx_SetDeleted(true);
    ASSERT_EQ(table.SetIndexName("DATETIME"), dbi::kOk);  // records 4, 3, 2, 1
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(Descript(), "Task 0003");
    ASSERT_EQ(table.Delete(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002");
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.Last(), dbi::kOk);
    ASSERT_EQ(Descript(), "Task 0001");
    ASSERT_EQ(table.Delete(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002") << "the last goes, the one before becomes current";
    EXPECT_FALSE(table.IsEmpty());
    // The first in order is the last by number: it goes, the set stays at the start.
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(Descript(), "Task 0004");
    ASSERT_EQ(table.Delete(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002");
    ASSERT_EQ(table.Delete(), dbi::kOk);
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.Eof());
}

TEST_F(RecordSetTest, DeletingUnderAConditionalTagWithDeletedShown) {
    // DATETIME leaves deleted records out by its condition, even while they are shown.
    OpenTasks(NumberedTasks(4), true);
    ASSERT_EQ(table.SetIndexName("DATETIME"), dbi::kOk);  // records 4, 3, 2, 1
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(Descript(), "Task 0003");
    ASSERT_EQ(table.Delete(), dbi::kOk);
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0002");
    EXPECT_EQ(WalkDescripts(), (std::vector<std::string>{"Task 0004", "Task 0002", "Task 0001"}));
}

TEST_F(RecordSetTest, ResyncAfterAFilterFindsTheNextVisibleRecordInOrder) {
    OpenTasks(NumberedTasks(6), true);
    ASSERT_EQ(table.SetIndexName("DATETIME"), dbi::kOk);  // 6, 5, 4, 3, 2, 1
    ASSERT_EQ(Descript(), "Task 0006");
    SetFilter("DONE");  // 6 and 3
    ASSERT_EQ(table.Resync(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0006");
    SetFilter(".not. DONE");  // 5, 4, 2, 1
    ASSERT_EQ(table.Resync(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0005") << "not the end of the table";
    EXPECT_FALSE(table.Eof());
    SetFilter("DESCRIPT = 'Task 0001'");
    ASSERT_EQ(table.Resync(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0001");
    SetFilter("DESCRIPT = 'nothing'");
    ASSERT_EQ(table.Resync(), dbi::kOk);
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.Eof());
}

TEST_F(RecordSetTest, PostOfARecordTheFilterNowHidesMovesOn) {
    OpenTasks(NumberedTasks(4), true);
    SetFilter(".not. DONE");  // 1, 2, 4
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(Descript(), "Task 0002");
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DONE")->SetAsBoolean(true));
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0004");
    int previous = sx_Select(table.Handle());
    sx_Go(2);
    EXPECT_TRUE(sx_GetLogical("DONE")) << "the hidden record was written";
    sx_Select(previous);

    // The last visible one, hidden by its own post: the set ends on the one before it.
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DONE")->SetAsBoolean(true));
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0001");
    EXPECT_EQ(WalkDescripts(), std::vector<std::string>{"Task 0001"});
}

TEST_F(RecordSetTest, ReadRowsGivesAWindowWithoutMoving) {
    OpenTasks(NumberedTasks(100), true);
    table.AddCalcField("Row", 12);
    std::vector<std::pair<std::int32_t, std::string>> seenByHandler;
    table.SetOnCalcFields([&](TTable& t) {
        // Each row is current while its values are computed: its fields and bookmark agree.
        std::string descript = t.FieldByName("DESCRIPT")->AsString();
        seenByHandler.emplace_back(t.GetBookmark().value_or(-1), descript);
        t.FieldByName("Row")->SetAsString(descript.substr(5));
    });
    ASSERT_EQ(table.SetIndexName("DESCRIPT"), dbi::kOk);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(table.Next(), dbi::kOk);
    }
    ASSERT_EQ(Descript(), "Task 0011");
    seenByHandler.clear();

    std::vector<TRow> rows;
    ASSERT_EQ(table.ReadRows(40, rows), dbi::kOk);
    ASSERT_EQ(rows.size(), 40U);
    TField* descript = table.FieldByName("DESCRIPT");
    TField* row = table.FieldByName("Row");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "Task %04zu", i + 11);
        EXPECT_EQ(descript->TextOf(rows[i]), expected);
        EXPECT_EQ(rows[i].bookmark, static_cast<std::int32_t>(i + 11));
        EXPECT_EQ(row->TextOf(rows[i]), std::string(expected).substr(5));
    }
    for (const auto& [mark, text] : seenByHandler) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "Task %04d", mark);
        EXPECT_EQ(text, expected);
    }
    EXPECT_EQ(Descript(), "Task 0011") << "the position is unchanged";
    EXPECT_EQ(row->AsString(), "0011");
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0012") << "and so is the engine's";

    // Near the end the window is shorter.
    ASSERT_EQ(table.Last(), dbi::kOk);
    ASSERT_EQ(table.Prior(), dbi::kOk);
    ASSERT_EQ(table.ReadRows(40, rows), dbi::kOk);
    EXPECT_EQ(rows.size(), 2U);
    EXPECT_EQ(table.ReadRows(0, rows), dbi::kOk);
    EXPECT_TRUE(rows.empty());
}

TEST_F(RecordSetTest, ReadRowsWhileEditingShowsTheEditedRecordAndOnlyThere) {
    std::vector<Task> tasks = NumberedTasks(3);
    tasks[1].note = "stored note";
    OpenTasks(tasks);
    table.AddCalcField("NoteText", 20);
    table.SetOnCalcFields([](TTable& t) {
        t.FieldByName("NoteText")->SetAsString(t.FieldByName("NOTE")->AsString());
    });
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Being edited"));
    ASSERT_TRUE(table.FieldByName("NOTE")->SetAsString("pending note"));

    std::vector<TRow> rows;
    ASSERT_EQ(table.ReadRows(3, rows), dbi::kOk);
    ASSERT_EQ(rows.size(), 3U);
    TField* descript = table.FieldByName("DESCRIPT");
    TField* note = table.FieldByName("NoteText");
    EXPECT_EQ(descript->TextOf(rows[0]), "Being edited");
    EXPECT_EQ(note->TextOf(rows[0]), "pending note");
    EXPECT_EQ(descript->TextOf(rows[1]), "Task 0002");
    EXPECT_EQ(note->TextOf(rows[1]), "stored note");
    EXPECT_EQ(note->TextOf(rows[2]), "");
    // The edit goes on untouched.
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Descript(), "Being edited");
    EXPECT_EQ(table.FieldByName("NOTE")->AsString(), "pending note");
    ASSERT_EQ(table.Post(), dbi::kOk);
    EXPECT_EQ(StoredDescript(1), "Being edited");
}

TEST_F(RecordSetTest, FieldDefsAreReadWithoutOpening) {
    MakeTaskFile("TASKS.DBF", {}, false);
    ASSERT_EQ(table.UpdateFieldDefs(), dbi::kOk);
    EXPECT_FALSE(table.Active());
    ASSERT_EQ(table.FieldDefs().size(), 7U);
    EXPECT_EQ(table.FieldDefs()[6].name, "PRIORITY");
    table.SetTableName("MISSING.DBF");
    EXPECT_EQ(table.UpdateFieldDefs(), dbi::kOpenFailed);
    EXPECT_TRUE(table.FieldDefs().empty());
}

TEST_F(RecordSetTest, DriverNameFollowsTheTableType) {
    EXPECT_EQ(DriverNameFor(TTableType::ttDefault, "QUILX.DBF"), "SXFOX");
    EXPECT_EQ(DriverNameFor(TTableType::ttDefault, "quilx.dbf"), "SXFOX");
    EXPECT_EQ(DriverNameFor(TTableType::ttDefault, "NOTES.TXT"), "ASCIIDRV");
    EXPECT_EQ(DriverNameFor(TTableType::ttDefault, "DATA"), "PARADOX");
    EXPECT_EQ(DriverNameFor(TTableType::ttSXNTX, "QUILX.DBF"), "SXNTX");
    EXPECT_EQ(DriverNameFor(TTableType::ttSXNSX, "QUILX.DBF"), "SXNSX");
    EXPECT_EQ(DriverNameFor(TTableType::ttDBase, "QUILX.DBF"), "DBASE");
}

TEST_F(RecordSetTest, ExclusiveOpenKeepsOthersOut) {
    MakeTaskFile("TASKS.DBF", NumberedTasks(1), false);
    table.SetExclusive(true);
    ASSERT_EQ(table.Open(), dbi::kOk);
    TTable other(adaptor);
    other.SetDatabaseName(Dir());
    other.SetTableName("TASKS.DBF");
    EXPECT_EQ(other.Open(), dbi::kOpenFailed);
    table.Close();
    ASSERT_EQ(other.Open(), dbi::kOk);
}

}  // namespace
