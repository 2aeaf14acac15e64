// The engine component and settings on real task files: orders, seeks, filters and counts,
// pack and tag creation, the settle / synchronise / re-read rules and the work-area discipline.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "rtl/format_settings.h"
#include "store/engine_component.h"
#include "store_test_support.h"

namespace {

using namespace store;
using store_test::NumberedTasks;
using store_test::Task;

class ComponentTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(adaptor.Start(), dbi::kOk);
        table.SetDatabaseName(Dir());
        table.SetTableName("TASKS.DBF");
        source.SetDataSet(&table);
        engine.SetDataSource(&source);
    }
    void TearDown() override {
        table.Close();
        adaptor.End();
        StoreTest::TearDown();
    }

    void OpenTasks(int count, bool withTags = true, const std::vector<int>& deleted = {}) {
        MakeTaskFile("TASKS.DBF", NumberedTasks(count), withTags, deleted);
        ASSERT_EQ(table.Open(), dbi::kOk) << table.LastErrorText();
    }

    std::string Descript() { return table.FieldByName("DESCRIPT")->AsString(); }

    std::vector<std::string> Walk() {
        std::vector<std::string> seen;
        for (table.First(); !table.Eof() && !table.IsEmpty(); table.Next()) {
            seen.push_back(Descript().substr(5));
        }
        return seen;
    }

    EngineAdaptor adaptor{sink};
    TTable table{adaptor};
    TDataSource source;
    TEngineComponent engine;
};

TEST_F(ComponentTest, SetOrderByNumberAndRefusesNumbersBeyondTheTags) {
    OpenTasks(4);
    EXPECT_EQ(engine.TagOrder("DATETIME"), 1);
    EXPECT_EQ(engine.TagOrder("PRIORITY"), 5);
    EXPECT_EQ(engine.TagOrder("NOSUCH"), 0);
    EXPECT_EQ(engine.SetOrder(engine.TagOrder("DATETIME")), 0);
    EXPECT_EQ(engine.IndexOrder(), 1);
    EXPECT_EQ(engine.TagName(engine.IndexOrder()), "DATETIME");
    EXPECT_EQ(table.IndexName(), "DATETIME");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0004", "0003", "0002", "0001"}));

    EXPECT_EQ(engine.SetOrder(0), 1);
    EXPECT_EQ(engine.IndexOrder(), 0);
    EXPECT_EQ(table.IndexName(), "");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0001", "0002", "0003", "0004"}));

    EXPECT_EQ(engine.SetOrder(2), 0);
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(engine.SetOrder(6), 2) << "answers the order in force";
    EXPECT_EQ(engine.IndexOrder(), 2);
    EXPECT_EQ(table.IndexName(), "DESCRIPT");
    EXPECT_EQ(Descript(), "Task 0002") << "and does not move";
    EXPECT_EQ(engine.SetOrder(-1), 2);
    EXPECT_EQ(engine.IndexOrder(), 2);
}

TEST_F(ComponentTest, SeekFindsAKeyOrLeavesTheSetAtItsEnd) {
    OpenTasks(5);
    engine.SetOrder(engine.TagOrder("DESCRIPT"));
    EXPECT_TRUE(engine.Seek("TASK 0003"));
    EXPECT_EQ(Descript(), "Task 0003");
    EXPECT_FALSE(table.Eof());
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(Descript(), "Task 0004") << "the set goes on from the found record";

    EXPECT_FALSE(engine.Seek("TASK 9999"));
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(Descript(), "Task 0005");
    EXPECT_FALSE(engine.Seek("TASK 00035"));
    EXPECT_TRUE(table.Eof());

    // A soft seek stands on the next key when none matches, and at the end past the last.
    sx_SetSoftSeek(true);
    EXPECT_FALSE(engine.Seek("TASK 00035"));
    EXPECT_FALSE(table.Eof());
    EXPECT_EQ(Descript(), "Task 0004");
    EXPECT_FALSE(engine.Seek("TASK 9999"));
    EXPECT_TRUE(table.Eof());
    sx_SetSoftSeek(false);

    // A pending edit is posted before the seek.
    ASSERT_EQ(table.First(), dbi::kOk);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Task 0009"));
    EXPECT_TRUE(engine.Seek("TASK 0009"));
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(table.GetBookmark(), 1);
}

TEST_F(ComponentTest, FilterOnAClosedSetIsAppliedWhenItOpens) {
    MakeTaskFile("TASKS.DBF", NumberedTasks(6), true);
    EXPECT_EQ(engine.ApplyFilter("DONE"), 0);
    EXPECT_EQ(engine.Filter(), "DONE");
    EXPECT_FALSE(engine.IsActive());
    EXPECT_EQ(engine.FilteredCount(), 0);
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_TRUE(engine.IsActive());
    EXPECT_EQ(engine.FilterText(), "DONE");
    EXPECT_EQ(Descript(), "Task 0003") << "the set starts on the first record that passes";
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0003", "0006"}));
    EXPECT_EQ(engine.FilteredCount(), 2);
    EXPECT_EQ(engine.RecordCount(), 6);

    // Again on every open, until it is cleared.
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(engine.FilteredCount(), 2);
    EXPECT_EQ(engine.ApplyFilter(""), 1);
    EXPECT_EQ(engine.FilteredCount(), 6);
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(engine.FilterText(), "");
}

TEST_F(ComponentTest, FiltersAndCountsOnAnOpenSet) {
    OpenTasks(9, true, {2});
    engine.SetOrder(engine.TagOrder("DATETIME"));
    EXPECT_EQ(engine.TestFilter("KEYS = 'odd'"), 1);
    EXPECT_EQ(engine.TestFilter("KEYS +"), 0);
    EXPECT_EQ(engine.TestFilter("DESCRIPT"), 0) << "not a logical expression";
    EXPECT_EQ(engine.FilterText(), "") << "testing sets nothing";

    // The DATETIME tag leaves deleted records out whatever the setting; the counts do not.
    EXPECT_EQ(engine.FilteredCount(), 9);
    TEngineEnv env;
    env.SetDeleted(true);
    EXPECT_EQ(engine.FilteredCount(), 8);
    EXPECT_EQ(engine.ApplyFilter("KEYS = 'even'"), 1);  // 4, 6, 8 and the deleted 2
    EXPECT_EQ(engine.FilteredCount(), 3);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0008", "0006", "0004"}));
    EXPECT_EQ(engine.ApplyFilter("KEYS = "), 0) << "a filter that does not compile";
    EXPECT_EQ(engine.RecordCount(), 9);
    env.SetDeleted(false);
}

// A filter the engine refuses leaves the component's filter and the engine's as they were, so
// that the two never disagree, not even after the set is opened again.
TEST_F(ComponentTest, RefusedFilterLeavesTheFilterInForce) {
    OpenTasks(9, true);
    ASSERT_EQ(engine.ApplyFilter("KEYS = 'even'"), 1);
    for (const char* refused : {"KEYS = ", "DESCRIPT", "DONE +", "NOSUCHFIELD"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(engine.ApplyFilter(refused), 0);
        EXPECT_EQ(engine.Filter(), "KEYS = 'even'");
        EXPECT_EQ(engine.FilterText(), "KEYS = 'even'");
        EXPECT_EQ(engine.FilteredCount(), 4);
    }
    table.Close();
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(engine.FilterText(), "KEYS = 'even'");
    EXPECT_EQ(engine.FilteredCount(), 4);
}

TEST_F(ComponentTest, OperationsSettleThePendingEditAndRereadTheSet) {
    OpenTasks(4);
    ASSERT_EQ(table.Next(), dbi::kOk);
    ASSERT_EQ(table.Edit(), dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DONE")->SetAsBoolean(true));
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Done now"));
    // Record 2 is posted before the filter, and passes it.
    EXPECT_EQ(engine.ApplyFilter("DONE"), 1);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Done now");
    EXPECT_EQ(engine.FilteredCount(), 2);

    // An unchanged edit is cancelled; the set is re-read at the record gone to.
    ASSERT_EQ(table.Edit(), dbi::kOk);
    EXPECT_EQ(engine.GoToRecord(3), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Descript(), "Task 0003");
    EXPECT_EQ(engine.RecordNumber(), 3);
    // A record the filter hides: the set goes on to the next visible one.
    engine.ApplyFilter({});
    ASSERT_EQ(engine.ApplyFilter(".not. DONE"), 1);
    EXPECT_EQ(engine.GoToRecord(2), dbi::kOk);
    EXPECT_EQ(engine.RecordNumber(), 4);
    EXPECT_EQ(engine.PostIfEditing(), dbi::kOk);
}

TEST_F(ComponentTest, RecordNumberWhileInsertingIsOnePastTheCount) {
    OpenTasks(3);
    ASSERT_EQ(table.Next(), dbi::kOk);
    EXPECT_EQ(engine.RecordNumber(), 2);
    ASSERT_EQ(table.Append(), dbi::kOk);
    EXPECT_EQ(engine.RecordNumber(), 4);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Added"));
    EXPECT_EQ(engine.PostIfEditing(), dbi::kOk);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(engine.RecordNumber(), 4);
    EXPECT_EQ(engine.RecordCount(), 4);
    EXPECT_EQ(engine.RecordSize(), 1 + 8 + 5 + 50 + 10 + 1 + 60 + 1);
}

TEST_F(ComponentTest, PackRemovesDeletedRecordsAndRereadsTheSet) {
    OpenTasks(5, true, {1, 4});
    table.Close();
    table.SetExclusive(true);
    ASSERT_EQ(table.Open(), dbi::kOk);
    engine.SetOrder(engine.TagOrder("DESCRIPT"));
    ASSERT_EQ(table.Last(), dbi::kOk);
    EXPECT_TRUE(engine.Pack());
    EXPECT_EQ(engine.RecordCount(), 3);
    EXPECT_FALSE(table.IsEmpty());
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0002", "0003", "0005"}));
    EXPECT_EQ(engine.TagOrder("DESCRIPT"), engine.IndexOrder()) << "the order stays";
}

TEST_F(ComponentTest, CreateTagRefreshesTheSetsIndexes) {
    OpenTasks(3, false);
    EXPECT_TRUE(table.IndexDefs().empty());
    EXPECT_NE(engine.CreateTag({}, "DATETIME", "DATE+TIME", 0, false, "not Deleted()"), 0);
    ASSERT_EQ(table.IndexDefs().size(), 1U);
    EXPECT_EQ(table.IndexName(), "DATETIME");
    EXPECT_NE(engine.CreateTag({}, "DESCRIPT", "upper(DESCRIPT)", 0, false, {}), 0);
    ASSERT_EQ(table.IndexDefs().size(), 2U);
    EXPECT_EQ(table.IndexDefs()[1].name, "DESCRIPT");
    EXPECT_EQ(engine.CreateTag({}, "BAD", "DESCRIPT +", 0, false, {}), 0);
    EXPECT_EQ(table.IndexDefs().size(), 2U);
    EXPECT_TRUE(Exists("TASKS.CDX"));
    EXPECT_EQ(engine.TagOrder("DESCRIPT"), 2);
    EXPECT_EQ(engine.IndexFileName(1).empty(), false);
    engine.CloseIndexes();
    EXPECT_EQ(engine.IndexOrder(), 0);
}

TEST_F(ComponentTest, NewTablesAreWrittenOnTheirOwnArea) {
    OpenTasks(1);
    int bystander = OpenBystander();
    ASSERT_TRUE(engine.CreateTable(PathOf("NEW.DBF"), 2, 2));
    engine.AddField("NAME", "C", 10, 0);
    engine.AddField("DONE", "L", 1, 0);
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_TRUE(engine.WriteNewTable());
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_TRUE(Exists("NEW.DBF"));
    EXPECT_FALSE(engine.WriteNewTable()) << "nothing is being created any more";
    int area = sx_Use(PathOf("NEW.DBF"), "NEWT", 0, 2);
    ASSERT_NE(area, 0);
    EXPECT_EQ(sx_FieldCount(), 2);
    EXPECT_EQ(sx_FieldName(2), "DONE");
}

// Every operation, from any current area, leaves that area current.
TEST_F(ComponentTest, EveryOperationPutsTheCurrentAreaBack) {
    OpenTasks(5);
    int bystander = OpenBystander();
    ASSERT_NE(bystander, table.Handle());
    std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"TagOrder", [&] { engine.TagOrder("DESCRIPT"); }},
        {"SetOrder", [&] { engine.SetOrder(2); }},
        {"SetOrder beyond", [&] { engine.SetOrder(6); }},
        {"IndexOrder", [&] { engine.IndexOrder(); }},
        {"TagName", [&] { engine.TagName(1); }},
        {"IndexFileName", [&] { engine.IndexFileName(1); }},
        {"Seek found", [&] { engine.Seek("TASK 0002"); }},
        {"Seek missed", [&] { engine.Seek("NONE"); }},
        {"GoToRecord", [&] { engine.GoToRecord(3); }},
        {"TestFilter", [&] { engine.TestFilter("DONE"); }},
        {"TestFilter bad", [&] { engine.TestFilter("DONE +"); }},
        {"ApplyFilter", [&] { engine.ApplyFilter(".not. DONE"); }},
        {"ApplyFilter bad", [&] { engine.ApplyFilter("DONE +"); }},
        {"FilterText", [&] { engine.FilterText(); }},
        {"FilteredCount", [&] { engine.FilteredCount(); }},
        {"RecordCount", [&] { engine.RecordCount(); }},
        {"RecordNumber", [&] { engine.RecordNumber(); }},
        {"RecordSize", [&] { engine.RecordSize(); }},
        {"SysProp", [&] { engine.SysProp(SxProp::kSetUserNumber, 3); }},
        {"CreateTag", [&] { engine.CreateTag({}, "EXTRA", "KEYS", 0, false, {}); }},
        {"PostIfEditing", [&] { engine.PostIfEditing(); }},
        {"CloseIndexes", [&] { engine.CloseIndexes(); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        EXPECT_EQ(sx_WorkArea(), bystander) << name;
    }
    EXPECT_EQ(sx_Select(table.Handle()), bystander);
    EXPECT_EQ(sx_SysProp(SxProp::kUserNumber), 3) << "the property went to the set's own area";
    sx_Select(bystander);

    // With the set's own area current, it stays current.
    sx_Select(table.Handle());
    engine.RecordCount();
    EXPECT_EQ(sx_WorkArea(), table.Handle());
}

TEST_F(ComponentTest, WithoutAnOpenSetTheEngineIsLeftAlone) {
    MakeTaskFile("TASKS.DBF", NumberedTasks(3), true);
    int bystander = OpenBystander();
    EXPECT_EQ(engine.RecordCount(), 0);
    EXPECT_EQ(engine.IndexOrder(), 0);
    EXPECT_FALSE(engine.Pack());
    EXPECT_FALSE(engine.Seek("X"));
    EXPECT_EQ(engine.SetOrder(1), 0);
    EXPECT_EQ(engine.GoToRecord(1), dbi::kNotOpenCursor);
    EXPECT_EQ(engine.CreateTag({}, "X", "KEYS", 0, false, {}), 0);
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_EQ(sx_IndexOrd(), 0) << "nothing was done to the bystander";
    EXPECT_EQ(sx_RecCount(), 0);

    TEngineComponent unbound;
    EXPECT_FALSE(unbound.IsActive());
    EXPECT_EQ(unbound.RecordCount(), 0);
    EXPECT_EQ(unbound.ApplyFilter("DONE"), 0);
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_EQ(sx_DBFilter(), "");
}

TEST_F(ComponentTest, FollowsTheDataSourcesRecordSet) {
    MakeTaskFile("TASKS.DBF", NumberedTasks(3), true);
    MakeTaskFile("OTHERS.DBF", NumberedTasks(5), true);
    TTable others(adaptor);
    others.SetDatabaseName(Dir());
    others.SetTableName("OTHERS.DBF");
    ASSERT_EQ(table.Open(), dbi::kOk);
    EXPECT_EQ(engine.RecordCount(), 3);
    engine.ApplyFilter("DONE");
    source.SetDataSet(&others);
    EXPECT_FALSE(engine.IsActive());
    ASSERT_EQ(others.Open(), dbi::kOk);
    EXPECT_EQ(engine.RecordCount(), 5);
    EXPECT_EQ(engine.FilteredCount(), 1) << "the filter follows to the new set when it opens";
    source.SetDataSet(&table);
    EXPECT_EQ(engine.RecordCount(), 3);
    others.Close();
}

TEST(TCStringList, HoldsFourTextsWhole) {
    TCStringList list;
    EXPECT_STREQ(list.Item(0), "");
    EXPECT_TRUE(list.Add("one"));
    EXPECT_TRUE(list.Add(std::string(300, 'x')));
    EXPECT_TRUE(list.Add(""));
    EXPECT_TRUE(list.Add("four"));
    EXPECT_FALSE(list.Add("five"));
    EXPECT_EQ(list.Count(), 4U);
    EXPECT_STREQ(list.Item(0), "one");
    EXPECT_EQ(std::string(list.Item(1)), std::string(300, 'x'));
    EXPECT_STREQ(list.Item(3), "four");
    EXPECT_STREQ(list.Item(4), "");
}

class EngineEnvTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        saved_ = rtl::CurrentFormats();
    }
    void TearDown() override {
        rtl::SetCurrentFormats(saved_);
        StoreTest::TearDown();
    }
    rtl::FormatSettings saved_;
};

TEST_F(EngineEnvTest, DateFormatAndCenturySetTheProgramsShortDate) {
    TEngineEnv env;
    EXPECT_EQ(env.DateFormat(), TEngineDateFrmt::dfAmerican);
    EXPECT_FALSE(env.Deleted());
    EXPECT_EQ(env.LockTimeout(), 1);
    EXPECT_EQ(env.MemoBlockSize(), 64);
    env.SetCentury(true);
    EXPECT_EQ(rtl::CurrentFormats().shortDateFormat, "mm/dd/yyyy");
    env.SetDateFormat(TEngineDateFrmt::dfGerman);
    EXPECT_EQ(rtl::CurrentFormats().shortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(rtl::CurrentFormats().dateSeparator, '.');
    env.SetCentury(false);
    EXPECT_EQ(rtl::CurrentFormats().shortDateFormat, "dd.mm.yy");
    env.SetDateFormat(TEngineDateFrmt::dfAnsi);
    EXPECT_EQ(rtl::CurrentFormats().shortDateFormat, "yy.mm.dd");
    env.SetDateFormat(TEngineDateFrmt::dfItalian);
    EXPECT_EQ(rtl::CurrentFormats().dateSeparator, '-');
    env.SetDateFormat(TEngineDateFrmt::dfAmerican);
    EXPECT_EQ(rtl::CurrentFormats().shortDateFormat, "mm/dd/yy");
    EXPECT_EQ(rtl::CurrentFormats().dateSeparator, '/');
}

TEST_F(EngineEnvTest, SettingsReachTheEngine) {
    TEngineEnv env;
    env.SetDeleted(true);
    EXPECT_EQ(sx_SysProp(SxProp::kDeletedHidden), 1);
    env.SetDeleted(false);
    EXPECT_EQ(sx_SysProp(SxProp::kDeletedHidden), 0);
    env.SetSoftSeek(true);
    EXPECT_EQ(sx_SysProp(SxProp::kSoftSeek), 1);
    EXPECT_TRUE(env.SoftSeek());
    env.SetExact(true);
    EXPECT_EQ(sx_SysProp(SxProp::kExact), 1);
    env.SetLockTimeout(5);
    EXPECT_EQ(sx_SetLockTimeout(0), 5);
    env.SetMemoBlockSize(1024);
    EXPECT_EQ(sx_SetMemoBlockSize(64), 1024);
    EXPECT_EQ(env.MemoBlockSize(), 1024);
}

}  // namespace
