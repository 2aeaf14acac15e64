// Compound indexes through the sx_* calls: the structural index opened with the table, orders,
// moves in key order with the deleted setting, key upkeep on every write, seeks, scopes, pack.
#include <gtest/gtest.h>

#include <vector>

#include "platform/xbase/cdx.h"
#include "table_test_util.h"

namespace {

constexpr const char* kPath = "/tasks/QUILX.DBF";
constexpr const char* kIndex = "/tasks/QUILX.CDX";

class CdxEngineTest : public xbase_test::EngineTest {
  protected:
    // The five task tags, as the program builds them.
    static void BuildTaskTags() {
        ASSERT_EQ(sx_IndexTag("", "DATETIME", "DATE+TIME", 0, false, "not Deleted()"), 1);
        ASSERT_EQ(sx_IndexTag("", "DESCRIPT", "upper(DESCRIPT)", 0, false, ""), 2);
        ASSERT_EQ(sx_IndexTag("", "DONE", "DONE", 0, false, ""), 3);
        ASSERT_EQ(sx_IndexTag("", "KEYS", "upper(KEYS)", 0, false, ""), 4);
        ASSERT_EQ(sx_IndexTag("", "PRIORITY", "upper(PRIORITY)+DATE+TIME", 0, false, ""), 5);
    }
    static std::vector<int> Walk() {
        std::vector<int> out;
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            out.push_back(sx_RecNo());
        }
        return out;
    }
    static std::vector<int> WalkBack() {
        std::vector<int> out;
        for (sx_GoBottom(); !sx_Bof() && !sx_Eof(); sx_Skip(-1)) {
            out.push_back(sx_RecNo());
            if (sx_Bof())
                break;
        }
        return out;
    }
};

TEST_F(CdxEngineTest, TagsFollowTheTableThroughEveryWrite) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("walk the dog", "20260310", false);  // 1
    AddTask("Buy milk", "20260301", true);       // 2
    AddTask("call mum", "", false);              // 3
    AddTask("answer mail", "20260305", false);   // 4
    BuildTaskTags();
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 5);
    EXPECT_EQ(sx_SysProp(SxProp::kSeparateIndexes, 0), 0);
    EXPECT_EQ(sx_TagArea("datetime"), 1);
    EXPECT_EQ(sx_TagArea("NOPE"), 0);
    EXPECT_EQ(sx_TagName(5), "PRIORITY");
    EXPECT_EQ(sx_TagName(6), "");

    ASSERT_TRUE(sx_SetOrder(1));
    EXPECT_EQ(sx_IndexOrd(), 1);
    EXPECT_EQ(sx_IndexKey(), "DATE+TIME");
    EXPECT_EQ(Walk(), (std::vector<int>{3, 2, 4, 1}));  // blank date first
    EXPECT_EQ(WalkBack(), (std::vector<int>{1, 4, 2, 3}));
    EXPECT_FALSE(sx_SetOrder(6));
    EXPECT_EQ(sx_IndexOrd(), 1);

    // A new record and a changed one take their places at once.
    AddTask("zebra", "20260302", false);  // 5
    sx_Go(1);
    ASSERT_TRUE(sx_Replace("DATE", SxReplace::kText, "20260101"));
    ASSERT_TRUE(sx_Commit());
    EXPECT_EQ(Walk(), (std::vector<int>{3, 1, 2, 5, 4}));
    sx_SetOrder(2);
    EXPECT_EQ(sx_IndexKeyField(), "DESCRIPT");
    EXPECT_EQ(Walk(), (std::vector<int>{4, 2, 3, 1, 5}));

    // Deleting takes the record out of DATETIME only; hidden deleted records are skipped.
    sx_Go(2);
    ASSERT_TRUE(sx_Delete());
    ASSERT_TRUE(sx_Commit());
    sx_SetOrder(1);
    EXPECT_EQ(Walk(), (std::vector<int>{3, 1, 5, 4}));
    sx_SetOrder(2);
    EXPECT_EQ(Walk(), (std::vector<int>{4, 2, 3, 1, 5}));
    sx_SetDeleted(true);
    EXPECT_EQ(Walk(), (std::vector<int>{4, 3, 1, 5}));
    sx_SetOrder(0);
    EXPECT_EQ(Walk(), (std::vector<int>{1, 3, 4, 5}));
}

TEST_F(CdxEngineTest, StructuralIndexOpensWithTheTableAndMayBeMissing) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("b", "20260102", false);
    AddTask("a", "20260101", false);
    BuildTaskTags();
    sx_Close();
    EXPECT_TRUE(fs_.Exists(kIndex));

    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 5);
    sx_SetOrder(sx_TagArea("DATETIME"));
    EXPECT_EQ(Walk(), (std::vector<int>{2, 1}));
    sx_Close();

    fs_.Remove(kIndex);
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);  // the table opens; there are no orders
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 0);
    EXPECT_EQ(sx_TagArea("DATETIME"), 0);
    sx_Close();

    // A damaged index does not keep the table closed either.
    fs_.SetContents(kIndex, std::vector<char>(2048, 'x'));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 0);
    BuildTaskTags();  // and can be built afresh
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 5);
}

TEST_F(CdxEngineTest, SeekExactSoftAndScope) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    for (const char* d : {"20260105", "20260110", "20260120", "20260110"}) {
        AddTask("t", d, false);
    }
    BuildTaskTags();
    sx_SetOrder(1);
    sx_SetSoftSeek(false);
    EXPECT_TRUE(sx_Seek("20260110"));
    EXPECT_EQ(sx_RecNo(), 2);
    EXPECT_EQ(sx_KeyData(), "20260110");
    EXPECT_FALSE(sx_Seek("20260111"));
    EXPECT_TRUE(sx_Eof());
    sx_SetSoftSeek(true);
    EXPECT_FALSE(sx_Seek("20260111"));
    EXPECT_EQ(sx_RecNo(), 3);
    sx_SetSoftSeek(false);

    sx_SetScope("20260106", "20260119");
    EXPECT_EQ(Walk(), (std::vector<int>{2, 4}));
    sx_SetScope("", "");
    EXPECT_EQ(Walk().size(), 4u);
}

TEST_F(CdxEngineTest, PackRebuildsEveryTag) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    for (int i = 0; i < 30; ++i) {
        AddTask("task " + std::to_string(100 - i), "2026" + std::to_string(1000 + i), false);
    }
    BuildTaskTags();
    for (int r = 1; r <= 30; r += 3) {
        sx_Go(r);
        sx_Delete();
    }
    sx_Commit();
    std::vector<int> seen;
    sx_SetGaugeHook([&](int p) { seen.push_back(p); });
    ASSERT_TRUE(sx_Pack());
    sx_SetGaugeHook({});
    EXPECT_FALSE(seen.empty());
    EXPECT_EQ(sx_RecCount(), 20);
    sx_SetOrder(2);
    std::vector<int> w = Walk();
    ASSERT_EQ(w.size(), 20u);
    EXPECT_EQ(w.front(), 20);  // "task 71", the lowest description left, is now record 20
}

}  // namespace

namespace {

TEST_F(CdxEngineTest, SeekPassesOverHiddenRecords) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("a", "20260110", false);  // 1, deleted below
    AddTask("b", "20260110", false);  // 2
    AddTask("c", "20260111", false);  // 3, deleted below
    AddTask("d", "20260112", false);  // 4
    ASSERT_EQ(sx_IndexTag("", "DATE", "DATE", 0, false, ""), 1);
    sx_Go(1);
    sx_Delete();
    sx_Go(3);
    sx_Delete();
    sx_Commit();
    sx_SetDeleted(true);
    sx_SetOrder(1);
    EXPECT_TRUE(sx_Seek("20260110"));
    EXPECT_EQ(sx_RecNo(), 2);
    EXPECT_FALSE(sx_Seek("20260111"));  // only a deleted record has it
    EXPECT_TRUE(sx_Eof());
    sx_SetSoftSeek(true);
    EXPECT_FALSE(sx_Seek("20260111"));
    EXPECT_EQ(sx_RecNo(), 4);
    sx_SetSoftSeek(false);
}

}  // namespace

namespace {

// A count does not depend on the order, so counts scan in record order where the order holds
// every record its condition admits; orders that hold fewer (a unique tag, a scope) walk the
// tree. Every way must count what a walk of the order meets. (With nothing hidden and no
// filter the count is the table's record count, whatever the order: not a scan.)
TEST_F(CdxEngineTest, CountsInEveryKindOfOrderMatchTheirWalks) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    const char* dates[] = {"20260310", "20260301", "", "20260305", "20260301", "20260310"};
    for (int i = 0; i < 30; ++i) {
        AddTask(i % 4 == 0 ? "call" : "walk", dates[i % 6], i % 3 == 0);
        if (i % 7 == 0) {
            ASSERT_TRUE(sx_Delete());
        }
    }
    BuildTaskTags();
    ASSERT_EQ(sx_IndexTag("", "UDATE", "DATE", 1, false, ""), 6);
    ASSERT_EQ(sx_IndexTag("", "OPEN", "DATE", 0, true, ".not. DONE"), 7);
    struct Case {
        int order;
        const char* low;
        const char* high;
    } cases[] = {{1, "", ""}, {2, "", ""}, {6, "", ""}, {7, "", ""}, {1, "20260301", "20260305"}};
    for (bool hidden : {false, true}) {
        sx_SetDeleted(hidden);
        for (const char* filter : {"", "upper(DESCRIPT) = 'CALL'"}) {
            if (!hidden && *filter == '\0') {
                continue;
            }
            for (const Case& c : cases) {
                SCOPED_TRACE(std::to_string(c.order) + " " + c.low + " " + filter +
                             (hidden ? " hidden" : ""));
                ASSERT_TRUE(sx_SetOrder(c.order));
                sx_SetScope(c.low, c.high);
                ASSERT_NE(sx_Query(filter), 0);
                EXPECT_EQ(sx_QueryRecCount(), static_cast<int>(Walk().size()));
                sx_SetScope("", "");
            }
        }
    }
}

// A writer stopped midway leaves its mark, and the next open says so until the tags are
// rebuilt; the check in slices finds an index taken from another copy of the task file.
TEST_F(CdxEngineTest, AHalfWrittenIndexIsReportedAndTheSlicedCheckFindsAForeignOne) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    for (int i = 0; i < 40; ++i) {
        AddTask("task " + std::to_string(i), "202603" + std::to_string(10 + i % 20), i % 3 == 0);
    }
    BuildTaskTags();
    sx_CloseAll();
    const auto bigger = fs_.Contents(kIndex);
    EXPECT_EQ(bigger[500], 0);

    // The write after the mark never happens: the process died there.
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kIndexInterrupted), 0);
    ASSERT_TRUE(sx_Go(7));
    ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, "changed"));
    fs_.FailFromWrite(2);
    sx_Commit();
    sx_CloseAll();
    fs_.FailFromWrite(0);
    EXPECT_EQ(fs_.Contents(kIndex)[500], 1);
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kIndexInterrupted), 1);
    sx_CloseAll();

    // A table of 10 tasks with the index of the table of 40.
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    for (int i = 0; i < 10; ++i) {
        AddTask("other " + std::to_string(i), "20260401", false);
    }
    BuildTaskTags();
    sx_CloseAll();
    const auto own = fs_.Contents(kIndex);
    for (const auto& [index, verdict] : {std::pair{own, 1}, std::pair{bigger, 2}}) {
        fs_.SetContents(kIndex, index);
        ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
        int result = 0;
        int slices = 0;
        while ((result = sx_IndexCheck(4)) == 0) {
            ASSERT_LT(++slices, 1000);
        }
        EXPECT_EQ(result, verdict);
        EXPECT_GT(slices, 5);  // small slices: the check resumes where it stopped
        sx_CloseAll();
    }
}

}  // namespace
