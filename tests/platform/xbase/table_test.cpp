// Tests of the table engine on a memory file system: files as written, moves, field
// conversions, memos, corrupt files, faults, sharing within one process, pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/table.h"
#include "table_test_util.h"

using xbase_test::EngineTest;

namespace {

const std::string kPath = "/t/TASKS.DBF";
const std::string kMemo = "/t/TASKS.FPT";

std::string Bytes(const std::vector<char>& v, std::size_t at, std::size_t n) {
    return std::string(v.data() + at, n);
}

}  // namespace

// ---- files as written ----------------------------------------------------------------------

TEST_F(EngineTest, CreatedTableHasMemoTypeHeaderEndMarkerAndMemoHeader) {
    ASSERT_TRUE(CreateTasks(kPath));
    std::vector<char> dbf = fs_.Contents(kPath);
    ASSERT_EQ(dbf.size(), 32u + 32 * 9 + 1 + 1);
    EXPECT_EQ(static_cast<unsigned char>(dbf[0]), 0xF5);
    EXPECT_EQ(xbase::GetLE32(&dbf[4]), 0u);
    EXPECT_EQ(xbase::GetLE16(&dbf[8]), 32 + 32 * 9 + 1);
    EXPECT_EQ(xbase::GetLE16(&dbf[10]), 1 + 8 + 5 + 50 + 10 + 1 + 60 + 1 + 6 + 8);
    EXPECT_EQ(dbf[29], 0x03);
    EXPECT_EQ(dbf[32 + 32 * 9], 0x0D);
    EXPECT_EQ(dbf.back(), 0x1A);
    EXPECT_EQ(Bytes(dbf, 32 + 3 * 32, 4), "NOTE");
    EXPECT_EQ(dbf[32 + 3 * 32 + 11], 'M');
    EXPECT_EQ(static_cast<unsigned char>(dbf[32 + 3 * 32 + 16]), 10);

    std::vector<char> fpt = fs_.Contents(kMemo);
    ASSERT_EQ(fpt.size(), 512u);
    EXPECT_EQ(xbase::GetBE32(&fpt[0]), 8u);  // first memo block after the 512-byte header
    EXPECT_EQ(xbase::GetBE16(&fpt[6]), 64);
}

TEST_F(EngineTest, AppendsKeepCountAndEndMarkerRightAfterCommitAndClose) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("one", "20260101", false);
    AddTask("two", "20260102", true);
    ASSERT_TRUE(sx_Commit());
    std::vector<char> dbf = fs_.Contents(kPath);
    std::uint16_t header = xbase::GetLE16(&dbf[8]);
    std::uint16_t length = xbase::GetLE16(&dbf[10]);
    EXPECT_EQ(xbase::GetLE32(&dbf[4]), 2u);
    EXPECT_EQ(dbf.size(), header + 2u * length + 1);
    EXPECT_EQ(dbf.back(), 0x1A);
    EXPECT_EQ(Bytes(dbf, header, 9), " 20260101");
    EXPECT_EQ(dbf[header + length + 1 + 8 + 5 + 50 + 10], 'T');  // DONE of record 2
}

TEST_F(EngineTest, MemoBlockSizeSettingShapesNewMemoFiles) {
    sx_SetMemoBlockSize(1);  // 1 to 32 count in 512-byte units
    ASSERT_TRUE(CreateTasks(kPath));
    std::vector<char> fpt = fs_.Contents(kMemo);
    EXPECT_EQ(xbase::GetBE16(&fpt[6]), 512);
    EXPECT_EQ(xbase::GetBE32(&fpt[0]), 1u);
}

TEST_F(EngineTest, CreationRefusesBadFieldsAndReplacesAnOldTable) {
    ASSERT_NE(sx_CreateNew(kPath, "", 2, 2), 0);
    sx_CreateField("A", "C", 0, 0);
    sx_CreateField("B", "C", 5, 0);
    EXPECT_EQ(sx_CreateExec(), 0);
    sx_Close();
    ASSERT_NE(sx_CreateNew(kPath, "", 2, 2), 0);
    sx_CreateField("SAME", "C", 3, 0);
    sx_CreateField("same", "N", 3, 0);
    EXPECT_EQ(sx_CreateExec(), 0);
    sx_Close();
    EXPECT_FALSE(fs_.Exists(kPath));

    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("old", "", false);
    sx_Close();
    fs_.SetContents("/t/TASKS.CDX", {1, 2, 3});
    ASSERT_TRUE(CreateTasks(kPath));
    EXPECT_FALSE(fs_.Exists("/t/TASKS.CDX"));  // an index of the old table would lie
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_RecCount(), 0);
}

// ---- moves ---------------------------------------------------------------------------------

TEST_F(EngineTest, EmptyTableIsAtBothEnds) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_TRUE(sx_Bof());
    EXPECT_TRUE(sx_Eof());
    EXPECT_EQ(sx_RecNo(), 1);
    sx_Skip(-1);
    EXPECT_TRUE(sx_Bof());
    EXPECT_TRUE(sx_Eof());
    sx_GoBottom();
    EXPECT_TRUE(sx_Eof());
}

TEST_F(EngineTest, SkipWalksBothWaysAndStopsAtTheEnds) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    for (int i = 1; i <= 3; ++i) {
        AddTask("task " + std::to_string(i), "", false);
    }
    sx_GoTop();
    EXPECT_EQ(sx_RecNo(), 1);
    EXPECT_FALSE(sx_Bof());
    sx_Skip(-1);
    EXPECT_TRUE(sx_Bof());
    EXPECT_EQ(sx_RecNo(), 1);
    sx_Skip(1);
    EXPECT_EQ(sx_RecNo(), 2);
    EXPECT_FALSE(sx_Bof());
    sx_Skip(5);
    EXPECT_TRUE(sx_Eof());
    EXPECT_EQ(sx_RecNo(), 4);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "");  // the phantom record is blank
    sx_Skip(-1);
    EXPECT_FALSE(sx_Eof());
    EXPECT_EQ(sx_RecNo(), 3);
    sx_Go(2);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "task 2");
    sx_Go(99);
    EXPECT_TRUE(sx_Eof());
    sx_GoBottom();
    EXPECT_EQ(sx_RecNo(), 3);
}

TEST_F(EngineTest, HiddenDeletedRecordsAndFilterAreSkippedByEveryMove) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    for (int i = 1; i <= 6; ++i) {
        AddTask("task " + std::to_string(i), i % 2 ? "20260101" : "20250101", false);
    }
    sx_Go(1);
    sx_Delete();
    sx_Go(6);
    sx_Delete();
    sx_SetDeleted(true);
    sx_GoTop();
    EXPECT_EQ(sx_RecNo(), 2);
    sx_GoBottom();
    EXPECT_EQ(sx_RecNo(), 5);
    EXPECT_EQ(sx_QueryRecCount(), 4);

    ASSERT_EQ(sx_Query("DATE >= \"2026\" and not Deleted()"), 1);
    EXPECT_EQ(sx_DBFilter(), "DATE >= \"2026\" and not Deleted()");
    EXPECT_EQ(sx_QueryRecCount(), 2);  // 3 and 5
    sx_GoTop();
    EXPECT_EQ(sx_RecNo(), 3);
    sx_Skip(1);
    EXPECT_EQ(sx_RecNo(), 5);
    sx_Skip(1);
    EXPECT_TRUE(sx_Eof());
    sx_Skip(-1);
    EXPECT_EQ(sx_RecNo(), 5);
    sx_Skip(-1);
    sx_Skip(-1);
    EXPECT_TRUE(sx_Bof());
    EXPECT_EQ(sx_RecNo(), 3);

    EXPECT_EQ(sx_Query("DATE >= "), 0);  // malformed: refused, old filter kept
    EXPECT_FALSE(sx_LastStatus().ok());
    EXPECT_EQ(sx_QueryRecCount(), 2);
    EXPECT_EQ(sx_QueryTest("DESCRIPT"), 0);  // not logical
    EXPECT_EQ(sx_Query(""), 1);
    EXPECT_EQ(sx_QueryRecCount(), 4);
    sx_SetDeleted(false);
    EXPECT_EQ(sx_QueryRecCount(), 6);
}

TEST_F(EngineTest, DeletedCurrentRecordStaysCurrentAndRecallBringsItBack) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("a", "", false);
    AddTask("b", "", false);
    sx_SetDeleted(true);
    sx_Go(1);
    ASSERT_TRUE(sx_Delete());
    EXPECT_TRUE(sx_Deleted());
    EXPECT_EQ(sx_RecNo(), 1);
    sx_GoTop();
    EXPECT_EQ(sx_RecNo(), 2);
    sx_Go(1);
    ASSERT_TRUE(sx_Recall());
    sx_GoTop();
    EXPECT_EQ(sx_RecNo(), 1);
}

// ---- fields --------------------------------------------------------------------------------

TEST_F(EngineTest, NumbersAreRoundedRightAlignedOrRefused) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("n", "", false);
    ASSERT_TRUE(sx_Replace("QTY", SxReplace::kFloating, 123.456));
    EXPECT_EQ(sx_GetString("QTY"), "123.46");
    ASSERT_TRUE(sx_Replace("QTY", SxReplace::kFloating, 12345.6));
    EXPECT_EQ(sx_GetString("QTY"), " 12346");
    EXPECT_FALSE(sx_Replace("QTY", SxReplace::kFloating, 1234567.0));
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kNumberTooLong);
    EXPECT_EQ(sx_GetString("QTY"), " 12346");  // unchanged by the refusal
    ASSERT_TRUE(sx_Replace("QTY", SxReplace::kFloating, -0.001));
    EXPECT_EQ(sx_GetString("QTY"), " -0.00");
    ASSERT_TRUE(sx_Replace("QTY", SxReplace::kText, "  7.5"));
    EXPECT_DOUBLE_EQ(sx_GetDouble("QTY"), 7.5);
    ASSERT_TRUE(sx_Replace("QTY", SxReplace::kText, ""));
    EXPECT_EQ(sx_GetString("QTY"), "      ");
}

TEST_F(EngineTest, DatesFollowTheDateFormatAndCentury) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("d", "", false);
    ASSERT_TRUE(sx_Replace("BORN", SxReplace::kDateText, "12/31/99"));
    EXPECT_EQ(sx_GetString("BORN"), "19991231");
    EXPECT_EQ(sx_GetDateString("BORN"), "12/31/99");
    sx_SetCentury(true);
    sx_SetDateFormat(4);
    EXPECT_EQ(sx_GetDateString("BORN"), "31.12.1999");
    ASSERT_TRUE(sx_Replace("BORN", SxReplace::kDateText, "01.02.2026"));
    EXPECT_EQ(sx_GetString("BORN"), "20260201");
    EXPECT_FALSE(sx_Replace("BORN", SxReplace::kDateText, "31.02.2026"));
    EXPECT_EQ(sx_GetString("BORN"), "20260201");
    double julian = sx_GetDateJulian("BORN");
    ASSERT_TRUE(sx_Replace("BORN", SxReplace::kJulian, julian + 28));
    EXPECT_EQ(sx_GetString("BORN"), "20260301");
    ASSERT_TRUE(sx_Replace("BORN", SxReplace::kDateText, ""));
    EXPECT_EQ(sx_GetDateString("BORN"), "  .  .    ");
}

TEST_F(EngineTest, TextsArePaddedOrCutAndLogicalsReadBack) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("x", "", true);
    ASSERT_TRUE(sx_Replace("TIME", SxReplace::kText, "12:30:45"));
    EXPECT_EQ(sx_GetString("TIME"), "12:30");
    ASSERT_TRUE(sx_Replace("tasks->priority", SxReplace::kText, ""));
    EXPECT_EQ(sx_GetString("PRIORITY"), " ");
    EXPECT_TRUE(sx_GetLogical("DONE"));
    ASSERT_TRUE(sx_Replace("DONE", SxReplace::kText, ".F."));
    EXPECT_FALSE(sx_GetLogical("DONE"));
    EXPECT_FALSE(sx_Replace("NOSUCH", SxReplace::kText, "x"));
    EXPECT_FALSE(sx_Replace("OTHER->DONE", SxReplace::kLogical, true));
    EXPECT_EQ(sx_FieldNum("keys"), 6);
    EXPECT_EQ(sx_FieldOffset("TIME"), 10);
    EXPECT_EQ(sx_FieldName(4), "NOTE");
    EXPECT_EQ(sx_FieldName(10), "");
    EXPECT_EQ(sx_FieldType("NOTE"), "M");
    EXPECT_EQ(sx_FieldWidth("QTY"), 6);
    EXPECT_EQ(sx_FieldDecimals("QTY"), 2);
}

TEST_F(EngineTest, RecordImagesRoundTripAndShortBuffersAreRefused) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("image", "20260505", false);
    std::vector<char> image(sx_RecSize());
    ASSERT_TRUE(sx_GetRecord(image));
    std::memcpy(image.data() + 14, "changed", 7);
    sx_AppendBlank();
    ASSERT_TRUE(sx_PutRecord(image));
    sx_Go(2);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "changed");
    std::vector<char> small(5);
    EXPECT_FALSE(sx_GetRecord(small));
    EXPECT_FALSE(sx_PutRecord(small));
}

TEST_F(EngineTest, EvaluationOnTheCurrentRecord) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("Write", "20260102", false);
    EXPECT_EQ(sx_EvalTest("DATE+TIME"), 1);
    EXPECT_EQ(sx_EvalTest("QTY*2"), 2);
    EXPECT_EQ(sx_EvalTest("DONE"), 3);
    EXPECT_EQ(sx_EvalTest("DONE +"), 0);
    EXPECT_EQ(sx_EvalString("upper(DESCRIPT)").substr(0, 5), "WRITE");
    EXPECT_TRUE(sx_EvalLogical("\"RIT\" $ upper(DESCRIPT)"));
    EXPECT_FALSE(sx_EvalLogical("DONE"));
}

// ---- memos ---------------------------------------------------------------------------------

TEST_F(EngineTest, MemosOfEveryLengthRoundTripAcrossReopen) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    const std::vector<std::string> notes = {
        "short", std::string(56, 'a'),  // head + data = exactly one block
        std::string(120, 'b'),          // exactly two blocks
        std::string(5000, 'c'), "line1\r\nline2 \x80\xe9\xff"};
    for (const auto& note : notes) {
        AddTask("memo", "", false, note);
    }
    AddTask("no memo", "", false);
    sx_Close();
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        sx_Go(static_cast<int>(i + 1));
        EXPECT_EQ(sx_GetMemo("NOTE"), notes[i]) << i;
    }
    sx_Go(static_cast<int>(notes.size() + 1));
    EXPECT_EQ(sx_GetMemo("NOTE"), "");
    EXPECT_TRUE(sx_LastStatus().ok());
    // 56 bytes fill block 9 alone: the next memo starts at block 10
    std::vector<char> fpt = fs_.Contents(kMemo);
    EXPECT_EQ(xbase::GetBE32(&fpt[10 * 64 + 4]), 120u);
}

// A note is never rewritten in place: a save that fails afterwards must find the old note
// as it was, and no other record can be pointing into the blocks a new note takes.
TEST_F(EngineTest, ChangedMemoMovesToTheEndAndLeavesTheOldBlocksAsTheyWere) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("m", "", false, std::string(100, 'x'));
    sx_Commit();
    std::vector<char> before = fs_.Contents(kMemo);
    std::uint32_t next = xbase::GetBE32(&before[0]);
    ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, "tiny"));
    sx_Commit();
    std::vector<char> after = fs_.Contents(kMemo);
    EXPECT_GT(xbase::GetBE32(&after[0]), next);
    EXPECT_TRUE(std::equal(before.begin() + 512, before.end(), after.begin() + 512));
    EXPECT_EQ(sx_GetMemo("NOTE"), "tiny");
    ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, std::string(300, 'y')));
    sx_Commit();
    EXPECT_EQ(sx_GetMemo("NOTE"), std::string(300, 'y'));
    ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, ""));
    EXPECT_EQ(sx_GetMemo("NOTE"), "");
}

// ---- corrupt and foreign files -------------------------------------------------------------

class CorruptTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(CreateTasks(kPath));
        ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
        AddTask("one", "", false, "memo text");
        AddTask("two", "", false);
        sx_CloseAll();
        good_ = fs_.Contents(kPath);
        header_ = xbase::GetLE16(&good_[8]);
        length_ = xbase::GetLE16(&good_[10]);
    }
    int OpenWith(std::vector<char> bytes) {
        fs_.SetContents(kPath, std::move(bytes));
        return sx_Use(kPath, "", 0, 2);
    }
    std::vector<char> good_;
    std::uint16_t header_ = 0;
    std::uint16_t length_ = 0;
};

TEST_F(CorruptTest, BadHeadersAreRefusedWithAnError) {
    auto bytes = good_;
    bytes[0] = static_cast<char>(0x83);  // dBASE with DBT memo
    EXPECT_EQ(OpenWith(bytes), 0);
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kNotTable);

    bytes = good_;
    xbase::PutLE16(&bytes[8], static_cast<std::uint16_t>(good_.size() + 10));
    EXPECT_EQ(OpenWith(bytes), 0);
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kCorrupt);
    // Like the index's, the table's corruption report says where the engine noticed it.
    EXPECT_NE(sx_LastStatus().message().find(" [table.cpp:"), std::string::npos)
        << sx_LastStatus().message();

    bytes = good_;
    xbase::PutLE16(&bytes[10], static_cast<std::uint16_t>(length_ + 1));
    EXPECT_EQ(OpenWith(bytes), 0);

    bytes = good_;
    xbase::PutLE32(&bytes[4], 3);  // promises a record the file lacks
    EXPECT_EQ(OpenWith(bytes), 0);

    bytes.assign(good_.begin(), good_.begin() + 20);
    EXPECT_EQ(OpenWith(bytes), 0);

    bytes = good_;
    bytes[32 + 16] = 0;  // a field of width 0
    EXPECT_EQ(OpenWith(bytes), 0);

    bytes = good_;
    xbase::PutLE16(&bytes[8], 40);  // descriptor cut off
    EXPECT_EQ(OpenWith(bytes), 0);

    EXPECT_NE(OpenWith(good_), 0);
}

TEST_F(CorruptTest, MissingMemoFileFailsTheOpen) {
    fs_.Remove(kMemo);
    EXPECT_EQ(OpenWith(good_), 0);
}

TEST_F(CorruptTest, BadMemoPointersFailOnlyThatRead) {
    auto bytes = good_;
    std::size_t note = header_ + 1 + 8 + 5 + 50;
    std::memcpy(&bytes[note], "     99999", 10);            // beyond the memo file
    std::memcpy(&bytes[note + length_], "       1x2", 10);  // not a number
    ASSERT_NE(OpenWith(bytes), 0);
    sx_Go(1);
    EXPECT_EQ(sx_GetMemo("NOTE"), "");
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kCorrupt);
    sx_Go(2);
    sx_ClearLastError();
    EXPECT_EQ(sx_GetMemo("NOTE"), "");
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kCorrupt);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "two");
    sx_CloseAll();

    auto fpt = fs_.Contents(kMemo);
    xbase::PutBE32(&fpt[8 * 64 + 4], 0x7FFFFFF0);  // block length beyond the file
    fs_.SetContents(kMemo, fpt);
    ASSERT_NE(OpenWith(good_), 0);
    sx_Go(1);
    sx_ClearLastError();
    EXPECT_EQ(sx_GetMemo("NOTE"), "");
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kCorrupt);
    EXPECT_EQ(sx_Query("\"memo\" $ NOTE"), 1);
    EXPECT_EQ(sx_QueryRecCount(), 0);  // an unreadable memo reads as empty in expressions
}

// A count that hides records must never let an append write over them: the table opens
// read-only, says why, and the count is repaired from the file's length, a copy kept first.
TEST_F(CorruptTest, HeaderCountBelowTheRecordsOpensReadOnlyUntilRepaired) {
    auto bytes = good_;
    xbase::PutLE32(&bytes[4], 0);
    ASSERT_NE(OpenWith(bytes), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kRecordsBeyondCount), 2);
    EXPECT_EQ(sx_RecCount(), 0);
    EXPECT_FALSE(sx_AppendBlank());
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kReadOnly);
    EXPECT_NE(sx_LastStatus().message().find("xbtool repair"), std::string::npos)
        << sx_LastStatus().message();
    sx_CloseAll();
    EXPECT_EQ(fs_.Contents(kPath), bytes);

    std::uint32_t before = 0;
    std::uint32_t after = 0;
    ASSERT_TRUE(xbase::Table::RepairCount(fs_, kPath, before, after));
    EXPECT_EQ(before, 0u);
    EXPECT_EQ(after, 2u);
    EXPECT_EQ(fs_.Contents(kPath + ".bak"), bytes);
    EXPECT_EQ(xbase::GetLE32(&fs_.Contents(kPath)[4]), 2u);
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kRecordsBeyondCount), 0);
    EXPECT_EQ(sx_RecCount(), 2);
    EXPECT_TRUE(sx_AppendBlank());
}

// However the memo file is damaged, a new note goes after the file's end and after every
// block a record points into, so that no old task shows the new note; a pointer far past the
// end is garbage, and following it would grow the file by gigabytes.
TEST_F(CorruptTest, NewNotesNeverLandWhereRecordsPointOrBelowTheEnd) {
    const std::size_t note = header_ + 1 + 8 + 5 + 50;
    struct Case {
        const char* name;
        std::function<void(std::vector<char>& table, std::vector<char>& memo)> damage;
        bool followed = true;  // the new note goes after the block the record points to
    };
    const Case cases[] = {
        {"memo file cut short", [](auto&, auto& memo) { memo.resize(512); }},
        {"pointer past the end",
         [&](auto& table, auto&) { std::memcpy(&table[note], "       900", 10); }},
        {"pointer far past the end",
         [&](auto& table, auto&) { std::memcpy(&table[note], "4000000000", 10); }, false},
        {"garbage after the header",
         [](auto&, auto& memo) {
             for (std::size_t i = 512; i < memo.size(); ++i) {
                 memo[i] = static_cast<char>(i * 37 + 11);
             }
             xbase::PutBE32(&memo[0], 8);  // and a next free block that points back
         }},
    };
    const auto memo = fs_.Contents(kMemo);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto table = good_;
        auto damaged = memo;
        c.damage(table, damaged);
        fs_.SetContents(kMemo, damaged);
        ASSERT_NE(OpenWith(table), 0);
        std::uint32_t old = std::stoul(std::string(&table[note], 10));
        std::uint64_t end = (damaged.size() + 63) / 64;
        ASSERT_TRUE(sx_Go(2));
        ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, "a new note"));
        ASSERT_TRUE(sx_Commit());
        sx_CloseAll();
        auto after = fs_.Contents(kPath);
        std::uint32_t block =
            static_cast<std::uint32_t>(std::stoul(std::string(&after[note + length_], 10)));
        EXPECT_EQ(block > old, c.followed);
        EXPECT_GE(block, end);
        EXPECT_LT(fs_.Contents(kMemo).size(), std::size_t{32} << 20);  // no gigabytes of holes
        EXPECT_EQ(std::string(&after[note], 10), std::string(&table[note], 10));
    }
}

TEST_F(CorruptTest, ForeignButValidFilesOpen) {
    auto bytes = good_;
    bytes.pop_back();                   // no end marker
    bytes.insert(bytes.end(), 7, 'z');  // trailing bytes after the records
    bytes[28] = 0x01;                   // claims a structural index that is not there
    ASSERT_NE(OpenWith(bytes), 0);
    EXPECT_EQ(sx_RecCount(), 2);
    sx_Go(1);
    EXPECT_EQ(sx_GetMemo("NOTE"), "memo text");
}

// ---- faults --------------------------------------------------------------------------------

TEST_F(EngineTest, FailedWritesAreReportedAndNeverCostCommittedRecords) {
    for (int failAt = 1; failAt <= 12; ++failAt) {
        SCOPED_TRACE(failAt);
        fs_.FailFromWrite(0);
        fs_.Remove(kPath);
        ASSERT_TRUE(CreateTasks(kPath));
        ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
        AddTask("kept 1", "", false, "note 1");
        AddTask("kept 2", "", false);
        ASSERT_TRUE(sx_Commit());
        fs_.FailFromWrite(static_cast<std::uint64_t>(failAt));
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i) {
            ok = sx_AppendBlank() && sx_Replace("DESCRIPT", SxReplace::kText, "more") &&
                 sx_Replace("NOTE", SxReplace::kMemo, std::string(200, 'n')) && sx_Commit();
        }
        EXPECT_FALSE(ok);
        EXPECT_FALSE(sx_LastStatus().ok());
        sx_CloseAll();
        fs_.FailFromWrite(0);
        ASSERT_NE(sx_Use(kPath, "", 0, 2), 0) << sx_LastStatus().message();
        ASSERT_GE(sx_RecCount(), 2);
        sx_Go(1);
        EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "kept 1");
        EXPECT_EQ(sx_GetMemo("NOTE"), "note 1");
        sx_Go(2);
        EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "kept 2");
        sx_CloseAll();
    }
}

// ---- sharing in one process ----------------------------------------------------------------

TEST_F(EngineTest, ExclusiveOpenExcludesEveryOtherOpen) {
    ASSERT_TRUE(CreateTasks(kPath));
    int a = sx_Use(kPath, "A", 0, 2);
    ASSERT_NE(a, 0);
    EXPECT_NE(sx_Use(kPath, "B", 0, 2), 0);
    EXPECT_EQ(sx_Use(kPath, "C", 2, 2), 0);
    EXPECT_EQ(sx_Use(kPath, "A", 0, 2), 0);  // alias in use
    sx_CloseAll();
    ASSERT_NE(sx_Use(kPath, "X", 2, 2), 0);
    EXPECT_EQ(sx_Use(kPath, "Y", 0, 2), 0);
    EXPECT_EQ(sx_Use(kPath, "Z", 1, 2), 0);
}

TEST_F(EngineTest, AnotherHandleSeesAppendsAndRecordLocks) {
    ASSERT_TRUE(CreateTasks(kPath));
    int a = sx_Use(kPath, "A", 0, 2);
    int b = sx_Use(kPath, "B", 0, 2);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    sx_Select(a);
    AddTask("from a", "", false, "note a");
    sx_Commit();
    sx_Select(b);
    EXPECT_EQ(sx_RecCount(), 1);
    AddTask("from b", "", false, "note b");
    sx_Commit();
    EXPECT_EQ(sx_RecNo(), 2);
    sx_Select(a);
    AddTask("from a again", "", false);
    EXPECT_EQ(sx_RecNo(), 3);  // learnt b's append before writing
    sx_Go(2);
    EXPECT_EQ(sx_GetMemo("NOTE"), "note b");

    ASSERT_TRUE(sx_Rlock(1));
    sx_Select(b);
    EXPECT_FALSE(sx_Rlock(1));
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kLockFailed);
    EXPECT_TRUE(sx_Rlock(2));
    sx_Select(a);
    sx_Unlock(0);
    sx_Select(b);
    EXPECT_TRUE(sx_Rlock(1));
    EXPECT_EQ(sx_Select(a), b);
    EXPECT_EQ(sx_WorkArea("b"), b);
    EXPECT_EQ(sx_WorkArea(), a);
    EXPECT_EQ(sx_WorkArea("nope"), 0);
}

TEST_F(EngineTest, PropertiesAnswerWhatTheAdaptorNeeds) {
    ASSERT_TRUE(CreateTasks(kPath));
    int a = sx_Use(kPath, "", 0, 2);
    AddTask("p", "", false);
    EXPECT_EQ(sx_SysProp(SxProp::kAreaInUse, a), 1);
    EXPECT_EQ(sx_SysProp(SxProp::kAreaInUse, a + 1), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kSeparateIndexes), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kFieldThroughEngine, 1), 0);
    sx_SetDeleted(true);
    EXPECT_EQ(sx_SysProp(SxProp::kDeletedHidden), 1);
    EXPECT_EQ(sx_SysProp(SxProp::kSetSoftSeek, 1), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kSoftSeek), 1);
    EXPECT_EQ(sx_SysProp(SxProp::kSetExact, 1), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kExact), 1);
    EXPECT_EQ(sx_SysProp(SxProp::kSetUserNumber, 3), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kUserNumber), 3);
    EXPECT_EQ(sx_SysProp(SxProp::kSetDiagnostics, 0), 0);
    std::span<char> buffer = sx_RecordBuffer();
    ASSERT_EQ(buffer.size(), static_cast<std::size_t>(sx_RecSize()));
    EXPECT_EQ(buffer[14], 'p');
    // Save the cursor, move, restore.
    std::vector<char> state(static_cast<std::size_t>(sx_SysProp(SxProp::kCursorStateSize)));
    std::memcpy(state.data(), reinterpret_cast<const void*>(sx_SysProp(SxProp::kCursorState, 0)),
                state.size());
    sx_Go(0);
    EXPECT_TRUE(sx_Eof());
    EXPECT_EQ(sx_SysProp(SxProp::kCursorState, reinterpret_cast<std::intptr_t>(state.data())), 1);
    EXPECT_EQ(sx_RecNo(), 1);
    EXPECT_FALSE(sx_Eof());
    std::string version = sx_Version();
    ASSERT_GT(version.size(), 6u);
    EXPECT_GE(std::stoi(version.substr(6)), 24000);
}

TEST_F(EngineTest, CallsWithoutATableFailCleanly) {
    EXPECT_FALSE(sx_GoTop());
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kNoArea);
    EXPECT_TRUE(sx_Eof());
    EXPECT_EQ(sx_RecCount(), 0);
    EXPECT_EQ(sx_GetString("X"), "");
    EXPECT_FALSE(sx_Replace("X", SxReplace::kText, "y"));
    EXPECT_FALSE(sx_Close());
    EXPECT_EQ(sx_Use("/t/none.dbf", "", 0, 2), 0);
    EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kOpenFailed);
    EXPECT_EQ(sx_Use(kPath, "", 7, 2), 0);
    EXPECT_FALSE(sx_Seek("x"));
    EXPECT_EQ(sx_TagName(1), "");
}

// ---- pack ----------------------------------------------------------------------------------

TEST_F(EngineTest, PackRemovesDeletedRecordsAndTheirMemos) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    for (int i = 1; i <= 10; ++i) {
        AddTask("task " + std::to_string(i), "", false, std::string(500, char('a' + i)));
    }
    for (int i = 1; i <= 10; i += 3) {
        sx_Go(i);
        sx_Delete();
    }
    std::size_t memoBefore = fs_.Contents(kMemo).size();
    std::vector<int> gauge;
    sx_SetGaugeHook([&gauge](int percent) { gauge.push_back(percent); });
    ASSERT_TRUE(sx_Pack()) << sx_LastStatus().message();
    sx_SetGaugeHook({});
    EXPECT_EQ(sx_RecCount(), 6);
    ASSERT_FALSE(gauge.empty());
    EXPECT_EQ(gauge.back(), 100);
    EXPECT_TRUE(std::is_sorted(gauge.begin(), gauge.end()));
    std::vector<int> kept = {2, 3, 5, 6, 8, 9};
    for (int i = 0; i < 6; ++i) {
        sx_Go(i + 1);
        EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "task " + std::to_string(kept[i]));
        EXPECT_EQ(sx_GetMemo("NOTE"), std::string(500, char('a' + kept[i])));
        EXPECT_FALSE(sx_Deleted());
    }
    EXPECT_LT(fs_.Contents(kMemo).size(), memoBefore);
    EXPECT_FALSE(fs_.Exists(kPath + ".packed"));
    EXPECT_FALSE(fs_.Exists(kMemo + ".pack"));
}

TEST_F(EngineTest, PackNeedsExclusiveUseAndFailedPackLeavesTheTable) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    AddTask("a", "", false, "n");
    AddTask("b", "", false);
    sx_Go(1);
    sx_Delete();
    EXPECT_FALSE(sx_Pack());
    sx_CloseAll();
    for (int failAt = 1; failAt <= 6; ++failAt) {
        ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
        fs_.FailFromWrite(static_cast<std::uint64_t>(failAt));
        EXPECT_FALSE(sx_Pack());
        fs_.FailFromWrite(0);
        sx_CloseAll();
        ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
        EXPECT_EQ(sx_RecCount(), 2) << failAt;
        sx_Go(1);
        EXPECT_EQ(sx_GetMemo("NOTE"), "n");
        sx_CloseAll();
    }
}

TEST_F(EngineTest, InterruptedPackIsFinishedOrDiscardedAtTheNextOpen) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("old", "", false, "old note");
    sx_CloseAll();
    auto oldDbf = fs_.Contents(kPath);
    auto oldFpt = fs_.Contents(kMemo);
    // A packed copy that holds a different record, left at the commit point.
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    sx_Replace("DESCRIPT", SxReplace::kText, "new");
    sx_Replace("NOTE", SxReplace::kMemo, "new note");
    sx_CloseAll();
    fs_.SetContents(kPath + ".packed", fs_.Contents(kPath));
    fs_.SetContents(kMemo + ".pack", fs_.Contents(kMemo));
    fs_.SetContents(kPath, oldDbf);
    fs_.SetContents(kMemo, oldFpt);
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "new");
    EXPECT_EQ(sx_GetMemo("NOTE"), "new note");
    sx_CloseAll();
    // Before the commit point the half-written copy is thrown away.
    fs_.SetContents(kPath + ".pack", {1, 2, 3});
    fs_.SetContents(kMemo + ".pack", {4, 5});
    ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
    EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "new");
    EXPECT_FALSE(fs_.Exists(kPath + ".pack"));
    EXPECT_FALSE(fs_.Exists(kMemo + ".pack"));
}

TEST_F(EngineTest, DamagedNextFreeBlockNeitherOverwritesMemosNorBloatsTheFile) {
    ASSERT_TRUE(CreateTasks(kPath));
    ASSERT_NE(sx_Use(kPath, "", 2, 2), 0);
    AddTask("a", "", false, "first note");
    sx_CloseAll();
    for (std::uint32_t nextFree : {0u, 8u, 0x01000000u}) {
        SCOPED_TRACE(nextFree);
        auto fpt = fs_.Contents(kMemo);
        xbase::PutBE32(&fpt[0], nextFree);
        fs_.SetContents(kMemo, fpt);
        ASSERT_NE(sx_Use(kPath, "", 0, 2), 0);
        AddTask("b", "", false, "second note");
        sx_Commit();
        EXPECT_LT(fs_.Contents(kMemo).size(), 4096u);
        sx_Go(1);
        EXPECT_EQ(sx_GetMemo("NOTE"), "first note");
        sx_GoBottom();
        EXPECT_EQ(sx_GetMemo("NOTE"), "second note");
        sx_CloseAll();
    }
}

// One look remembers that the whole order holds no visible record; whatever could make one
// visible must be seen by the next move all the same.
TEST_F(EngineTest, OneLookForgetsNothingVisibleWhenAnythingCouldShowARecord) {
    const struct {
        const char* name;
        const char* filter;
        bool hideAll;  // every record deleted and the deleted ones hidden
        void (*change)(int a, int b);
    } cases[] = {
        {"own append", "DESCRIPT = \"late\"", false, [](int, int) { AddTask("late", "", false); }},
        {"own change", "DESCRIPT = \"late\"", false,
         [](int, int) {
             sx_Go(2);
             ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, "late"));
         }},
        {"another area's append", "DESCRIPT = \"late\"", false,
         [](int a, int b) {
             sx_Select(b);
             AddTask("late", "", false);
             sx_Commit();
             sx_Select(a);
         }},
        {"filter", "DESCRIPT = \"late\"", false,
         [](int, int) { ASSERT_EQ(sx_Query("DESCRIPT = \"task\""), 1); }},
        {"deleted setting", "DESCRIPT = \"task\"", true, [](int, int) { sx_SetDeleted(false); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sx_CloseAll();
        sx_SetDeleted(false);
        ASSERT_TRUE(CreateTasks(kPath));
        int a = sx_Use(kPath, "A", 0, 2);
        int b = sx_Use(kPath, "B", 0, 2);
        ASSERT_NE(b, 0);
        sx_Select(a);
        for (int i = 0; i < 3; ++i) {
            AddTask("task", "", false);
            if (c.hideAll) {
                sx_Delete();
            }
        }
        sx_Commit();
        sx_SetDeleted(c.hideAll);
        ASSERT_EQ(sx_Query(c.filter), 1);
        EXPECT_EQ(sx_SysProp(SxProp::kOneLook, 1), 0);
        sx_GoTop();
        ASSERT_TRUE(sx_Eof());
        sx_Skip(-1);  // answered from what the walk found
        ASSERT_TRUE(sx_Eof());
        c.change(a, b);
        sx_GoTop();
        EXPECT_FALSE(sx_Eof());
        EXPECT_EQ(sx_SysProp(SxProp::kOneLook, 0), 1);
    }
}
