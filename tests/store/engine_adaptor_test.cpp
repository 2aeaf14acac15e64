// The cursor-level interface on real table files: result codes at the ends and for hidden
// records, field conversions, bookmarks, aliases, drivers, texts and the work-area discipline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "rtl/date_time.h"
#include "store/engine_adaptor.h"
#include "store_test_support.h"

namespace {

using namespace store;
using store_test::NumberedTasks;
using store_test::Task;

class AdaptorTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(adaptor.Start(), dbi::kOk);
        ASSERT_EQ(adaptor.OpenDatabase(Dir(), database), dbi::kOk);
    }
    void TearDown() override {
        adaptor.End();
        StoreTest::TearDown();
    }

    int OpenTasks(int count, bool withTags = false, const std::string& name = "TASKS.DBF") {
        MakeTaskFile(name, NumberedTasks(count), withTags);
        int cursor = 0;
        EXPECT_EQ(adaptor.OpenTable(database, name, "SXFOX", {}, OpenMode::ReadWrite,
                                    ShareMode::Shared, cursor),
                  dbi::kOk);
        return cursor;
    }

    // A table of every field kind the adaptor converts.
    int OpenKinds() {
        EXPECT_NE(sx_CreateNew(PathOf("KINDS.DBF"), "XXXXXXXXXX", 2, 7), 0);
        sx_CreateField("NAME", "C", 10, 0);
        sx_CreateField("SMALL", "N", 3, 0);
        sx_CreateField("AMOUNT", "N", 6, 2);
        sx_CreateField("BIG", "N", 7, 0);
        sx_CreateField("BORN", "D", 8, 0);
        sx_CreateField("FLAG", "L", 1, 0);
        sx_CreateField("NOTE", "M", 10, 0);
        EXPECT_NE(sx_CreateExec(), 0);
        sx_Close();
        int cursor = 0;
        EXPECT_EQ(adaptor.OpenTable(database, "KINDS.DBF", "SXFOX", {}, OpenMode::ReadWrite,
                                    ShareMode::Shared, cursor),
                  dbi::kOk);
        return cursor;
    }

    std::string TextAt(int cursor, const RecordImage& image, int field) {
        FieldValue value;
        EXPECT_EQ(adaptor.GetField(cursor, field, image, value), dbi::kOk);
        const auto* s = std::get_if<std::string>(&value);
        return s == nullptr ? "<not text>" : *s;
    }

    int RecNoAt(int cursor) {
        std::int32_t mark = 0;
        EXPECT_EQ(adaptor.GetBookmark(cursor, mark), dbi::kOk);
        return mark;
    }

    EngineAdaptor adaptor{sink};
    int database = 0;
};

TEST_F(AdaptorTest, EndsAnswerBeginningAndEndOfTable) {
    int cursor = OpenTasks(3);
    RecordImage image;
    RecordProps props;

    ASSERT_EQ(adaptor.SetToBegin(cursor), dbi::kOk);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kBof);
    EXPECT_EQ(adaptor.GetPriorRecord(cursor, false, &image, &props), dbi::kBof);
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 1);
    EXPECT_EQ(TextAt(cursor, image, 3), "Task 0001");
    EXPECT_EQ(adaptor.GetPriorRecord(cursor, false, &image, &props), dbi::kBof);
    // From before the first record, next delivers the first again.
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 1);
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kOk);
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 3);
    EXPECT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kEof);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kEof);

    ASSERT_EQ(adaptor.SetToEnd(cursor), dbi::kOk);
    EXPECT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kEof);
    ASSERT_EQ(adaptor.GetPriorRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 3);
    EXPECT_FALSE(props.deleted);
}

TEST_F(AdaptorTest, EmptyTableIsAtBothEnds) {
    int cursor = OpenTasks(0);
    RecordImage image;
    ASSERT_EQ(adaptor.SetToBegin(cursor), dbi::kOk);
    EXPECT_EQ(adaptor.GetNextRecord(cursor, false, &image, nullptr), dbi::kEof);
    ASSERT_EQ(adaptor.SetToEnd(cursor), dbi::kOk);
    EXPECT_EQ(adaptor.GetPriorRecord(cursor, false, &image, nullptr), dbi::kBof);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, nullptr), dbi::kEof);
}

TEST_F(AdaptorTest, RecordHiddenAfterDeletionAnswersNotVisibleInPlace) {
    int cursor = OpenTasks(4);
    sx_SetDeleted(true);
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 2), dbi::kOk);
    ASSERT_EQ(adaptor.DeleteRecord(cursor), dbi::kOk);
    RecordImage image;
    RecordProps props;
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kRecordNotVisible);
    EXPECT_EQ(RecNoAt(cursor), 2);
    // The next record from that place is the one after it.
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 3);

    // The last record stays in its place too (regression: it used to send the cursor past the
    // end, so that a set re-read there lost its place in the order); next then ends the table.
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 4), dbi::kOk);
    ASSERT_EQ(adaptor.DeleteRecord(cursor), dbi::kOk);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kRecordNotVisible);
    EXPECT_EQ(RecNoAt(cursor), 4);
    EXPECT_EQ(adaptor.GetNextRecord(cursor, false, &image, &props), dbi::kEof);

    // Shown again, a deleted record reads with its mark.
    sx_SetDeleted(false);
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 2), dbi::kOk);
    ASSERT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_TRUE(props.deleted);
}

TEST_F(AdaptorTest, RecordOutsideTheFilterAnswersNotVisible) {
    int cursor = OpenTasks(6);
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 3), dbi::kOk);
    {
        int previous = sx_Select(cursor);
        ASSERT_EQ(sx_Query("DONE"), 1);  // records 3 and 6
        sx_Select(previous);
    }
    RecordImage image;
    RecordProps props;
    ASSERT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(props.recordNumber, 3);
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 4), dbi::kOk);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kRecordNotVisible);
    {
        int previous = sx_Select(cursor);
        ASSERT_EQ(sx_Query(""), 1);
        sx_Select(previous);
    }
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 4), dbi::kOk);
    EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kOk);
}

TEST_F(AdaptorTest, NumbersTooLongAreRefusedAndDecimalsDroppedToFit) {
    int cursor = OpenKinds();
    RecordImage image;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);
    auto bytes = [&](int field) {
        std::vector<FieldDesc> fields;
        adaptor.GetFieldDescs(cursor, fields);
        const FieldDesc& d = fields[static_cast<std::size_t>(field - 1)];
        return std::string(image.data() + d.offset - 1, static_cast<std::size_t>(d.width));
    };

    EXPECT_EQ(adaptor.PutField(cursor, 2, image, std::int16_t{1234}), dbi::kNumberTooLong);
    EXPECT_EQ(adaptor.PutField(cursor, 2, image, std::int16_t{-100}), dbi::kNumberTooLong);
    ASSERT_EQ(adaptor.PutField(cursor, 2, image, std::int16_t{-99}), dbi::kOk);
    EXPECT_EQ(bytes(2), "-99");
    ASSERT_EQ(adaptor.PutField(cursor, 2, image, std::int16_t{7}), dbi::kOk);
    EXPECT_EQ(bytes(2), "  7");
    FieldValue value;
    ASSERT_EQ(adaptor.GetField(cursor, 2, image, value), dbi::kOk);
    EXPECT_EQ(value, FieldValue{std::int16_t{7}});

    ASSERT_EQ(adaptor.PutField(cursor, 3, image, 123.456), dbi::kOk);
    EXPECT_EQ(bytes(3), "123.46");
    ASSERT_EQ(adaptor.PutField(cursor, 3, image, 12345.6), dbi::kOk);
    EXPECT_EQ(bytes(3), " 12346");
    EXPECT_EQ(adaptor.PutField(cursor, 3, image, 1234567.0), dbi::kNumberTooLong);
    EXPECT_EQ(bytes(3), " 12346") << "a refused number leaves the field as it was";
    ASSERT_EQ(adaptor.PutField(cursor, 3, image, -1.5), dbi::kOk);
    ASSERT_EQ(adaptor.GetField(cursor, 3, image, value), dbi::kOk);
    EXPECT_EQ(value, FieldValue{-1.5});

    // Width 7 without decimals is floating; eight digits do not fit.
    EXPECT_EQ(adaptor.PutField(cursor, 4, image, 12345678.0), dbi::kNumberTooLong);
    ASSERT_EQ(adaptor.PutField(cursor, 4, image, 1234567.0), dbi::kOk);
    EXPECT_EQ(bytes(4), "1234567");
}

TEST_F(AdaptorTest, FieldDescriptorsFollowTheTypeTable) {
    int cursor = OpenKinds();
    std::vector<FieldDesc> fields;
    ASSERT_EQ(adaptor.GetFieldDescs(cursor, fields), dbi::kOk);
    ASSERT_EQ(fields.size(), 7U);
    EXPECT_EQ(fields[0].type, FieldType::Text);
    EXPECT_EQ(fields[0].units1, 10);
    EXPECT_EQ(fields[0].length, 11);
    EXPECT_EQ(fields[0].offset, 2);  // after the deletion flag
    EXPECT_EQ(fields[1].type, FieldType::Int16);
    EXPECT_EQ(fields[2].type, FieldType::Floating);
    EXPECT_EQ(fields[2].units2, 2);
    EXPECT_EQ(fields[3].type, FieldType::Floating);
    EXPECT_EQ(fields[4].type, FieldType::Date);
    EXPECT_EQ(fields[4].length, 4);
    EXPECT_EQ(fields[5].type, FieldType::Logical);
    EXPECT_EQ(fields[6].type, FieldType::LargeObject);
    EXPECT_EQ(fields[6].subtype, kMemoSubtype);

    CursorProps props;
    ASSERT_EQ(adaptor.GetCursorProps(cursor, props), dbi::kOk);
    EXPECT_EQ(props.fieldCount, 7);
    EXPECT_EQ(props.recordSize, sx_RecSize());
    EXPECT_EQ(props.bookmarkSize, 4);
    EXPECT_EQ(props.indexCount, 0);
    EXPECT_EQ(EngineAdaptor::DescribeField(1, "X", 'Q', 4, 0, false).type, FieldType::Unknown);
}

TEST_F(AdaptorTest, BlankFieldsReadAsBlankOfEveryKind) {
    int cursor = OpenKinds();
    RecordImage image;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);
    EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](char c) { return c == ' '; }));
    for (int field = 1; field <= 6; ++field) {
        FieldValue value = std::string("not blank");
        ASSERT_EQ(adaptor.GetField(cursor, field, image, value), dbi::kOk);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(value)) << "field " << field;
    }
    // A stored blank text is blank too, not an empty text; putting blank clears a field.
    ASSERT_EQ(adaptor.PutField(cursor, 1, image, std::string("   ")), dbi::kOk);
    FieldValue value;
    ASSERT_EQ(adaptor.GetField(cursor, 1, image, value), dbi::kOk);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
    ASSERT_EQ(adaptor.PutField(cursor, 6, image, true), dbi::kOk);
    ASSERT_EQ(adaptor.PutField(cursor, 6, image, FieldValue{}), dbi::kOk);
    ASSERT_EQ(adaptor.GetField(cursor, 6, image, value), dbi::kOk);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
}

TEST_F(AdaptorTest, TextsLogicalsAndDatesConvert) {
    int cursor = OpenKinds();
    RecordImage image;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);
    ASSERT_EQ(adaptor.PutField(cursor, 1, image, std::string("abcdefghijkl")), dbi::kOk);
    EXPECT_EQ(TextAt(cursor, image, 1), "abcdefghij");
    ASSERT_EQ(adaptor.PutField(cursor, 1, image, std::string("ab")), dbi::kOk);
    EXPECT_EQ(TextAt(cursor, image, 1), "ab") << "a shorter text is blank-filled";

    FieldValue value;
    ASSERT_EQ(adaptor.PutField(cursor, 6, image, false), dbi::kOk);
    ASSERT_EQ(adaptor.GetField(cursor, 6, image, value), dbi::kOk);
    EXPECT_EQ(value, FieldValue{false});

    // Days count from 0001-01-01 as day 1; the program's day 0 is 1899-12-30.
    EXPECT_EQ(ToDateValue(0).days, 693594);
    rtl::TDateTime first = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(1, 1, 1, first));
    EXPECT_EQ(ToDateValue(first).days, 1);
    rtl::TDateTime date = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2024, 2, 29, date));
    ASSERT_EQ(adaptor.PutField(cursor, 5, image, ToDateValue(date + 0.75)), dbi::kOk);
    std::vector<FieldDesc> fields;
    adaptor.GetFieldDescs(cursor, fields);
    EXPECT_EQ(std::string(image.data() + fields[4].offset - 1, 8), "20240229");
    ASSERT_EQ(adaptor.GetField(cursor, 5, image, value), dbi::kOk);
    EXPECT_EQ(value, FieldValue{ToDateValue(date)});
    EXPECT_EQ(FromDateValue(std::get<DateValue>(value)), date);

    // A stored date that is no date reads as blank rather than as a wrong day.
    std::memcpy(image.data() + fields[4].offset - 1, "20231345", 8);
    ASSERT_EQ(adaptor.GetField(cursor, 5, image, value), dbi::kOk);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
}

TEST_F(AdaptorTest, RecordsAndMemosRoundTripThroughTheFile) {
    int cursor = OpenKinds();
    RecordImage image;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);
    ASSERT_EQ(adaptor.PutField(cursor, 1, image, std::string("first")), dbi::kOk);
    ASSERT_EQ(adaptor.AppendRecord(cursor, image), dbi::kOk);
    EXPECT_EQ(RecNoAt(cursor), 1);
    std::string note = "line one\r\nline two";
    ASSERT_EQ(adaptor.PutBlob(cursor, 7, image, 0, note), dbi::kOk);
    ASSERT_EQ(adaptor.ModifyRecord(cursor, image, true), dbi::kOk);

    RecordImage read;
    ASSERT_EQ(adaptor.SetToBegin(cursor), dbi::kOk);
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &read, nullptr), dbi::kOk);
    EXPECT_EQ(TextAt(cursor, read, 1), "first");
    std::string text;
    ASSERT_EQ(adaptor.GetBlob(cursor, 7, read, text), dbi::kOk);
    EXPECT_EQ(text, note);
    // The offset counts characters left off the end of the text.
    ASSERT_EQ(adaptor.PutBlob(cursor, 7, read, 10, note), dbi::kOk);
    ASSERT_EQ(adaptor.GetBlob(cursor, 7, read, text), dbi::kOk);
    EXPECT_EQ(text, "line one");
    ASSERT_EQ(adaptor.PutBlob(cursor, 7, read, 0, {}), dbi::kOk);
    ASSERT_EQ(adaptor.GetBlob(cursor, 7, read, text), dbi::kOk);
    EXPECT_EQ(text, "");
}

TEST_F(AdaptorTest, BookmarksAreRecordNumbers) {
    int cursor = OpenTasks(5);
    ASSERT_EQ(adaptor.SetToBookmark(cursor, 4), dbi::kOk);
    EXPECT_EQ(RecNoAt(cursor), 4);
    RecordImage image;
    RecordProps props;
    ASSERT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kOk);
    EXPECT_EQ(TextAt(cursor, image, 3), "Task 0004");
    for (std::int32_t beyond : {6, 1000, 0, -3}) {
        ASSERT_EQ(adaptor.SetToBookmark(cursor, beyond), dbi::kOk);
        EXPECT_EQ(adaptor.GetRecord(cursor, false, &image, &props), dbi::kEof) << beyond;
    }
}

TEST_F(AdaptorTest, TablesOfOneNameGetNumberedAliases) {
    std::filesystem::create_directory(PathOf("second"));
    std::filesystem::create_directory(PathOf("third"));
    MakeTaskFile("TASKS.DBF", {}, false);
    MakeTaskFile("second/TASKS.DBF", {}, false);
    MakeTaskFile("third/TASKS.DBF", {}, false);
    int secondDb = 0, thirdDb = 0;
    ASSERT_EQ(adaptor.OpenDatabase(PathOf("second"), secondDb), dbi::kOk);
    ASSERT_EQ(adaptor.OpenDatabase(PathOf("third"), thirdDb), dbi::kOk);
    int a = 0, b = 0, c = 0;
    ASSERT_EQ(
        adaptor.OpenTable(database, "TASKS.DBF", "", {}, OpenMode::ReadWrite, ShareMode::Shared, a),
        dbi::kOk);
    ASSERT_EQ(
        adaptor.OpenTable(secondDb, "TASKS.DBF", "", {}, OpenMode::ReadWrite, ShareMode::Shared, b),
        dbi::kOk);
    ASSERT_EQ(
        adaptor.OpenTable(thirdDb, "TASKS.DBF", "", {}, OpenMode::ReadWrite, ShareMode::Shared, c),
        dbi::kOk);
    EXPECT_EQ(sx_WorkArea("TASKS"), a);
    EXPECT_EQ(sx_WorkArea("TASKS_1"), b);
    EXPECT_EQ(sx_WorkArea("TASKS_2"), c);
    // A closed alias is free again.
    ASSERT_EQ(adaptor.CloseCursor(b), dbi::kOk);
    ASSERT_EQ(
        adaptor.OpenTable(secondDb, "TASKS.DBF", "", {}, OpenMode::ReadWrite, ShareMode::Shared, b),
        dbi::kOk);
    EXPECT_EQ(sx_WorkArea("TASKS_1"), b);

    EXPECT_EQ(EngineAdaptor::AliasBase("dir/my-t~b le.dbf"), "my_t_b_le");
    EXPECT_EQ(EngineAdaptor::AliasBase("C:\\DATA\\QUILX.DBF"), "QUILX");
}

TEST_F(AdaptorTest, DriverNamesGiveDriverCodes) {
    EXPECT_EQ(EngineAdaptor::DriverCode("sxntx"), 1);
    EXPECT_EQ(EngineAdaptor::DriverCode("SXFOX"), 2);
    EXPECT_EQ(EngineAdaptor::DriverCode("SxNsx"), 3);
    EXPECT_EQ(EngineAdaptor::DriverCode("AXNTX"), 11);
    EXPECT_EQ(EngineAdaptor::DriverCode("axfox"), 12);
    for (const char* other : {"", "ASCIIDRV", "PARADOX", "DBASE", "SXFOXX"}) {
        EXPECT_EQ(EngineAdaptor::DriverCode(other), 2) << other;
    }
    // A ".TXT" table of the default type opens like any other name outside the list.
    MakeTaskFile("NOTES.TXT", NumberedTasks(1), false);
    int cursor = 0;
    ASSERT_EQ(adaptor.OpenTable(database, "NOTES.TXT", "ASCIIDRV", {}, OpenMode::ReadWrite,
                                ShareMode::Shared, cursor),
              dbi::kOk);
    RecordImage image;
    ASSERT_EQ(adaptor.SetToBegin(cursor), dbi::kOk);
    ASSERT_EQ(adaptor.GetNextRecord(cursor, false, &image, nullptr), dbi::kOk);
    EXPECT_EQ(TextAt(cursor, image, 3), "Task 0001");
}

TEST_F(AdaptorTest, ErrorTextsAndNotices) {
    EXPECT_EQ(EngineAdaptor::ErrorText(dbi::kOpenFailed), "File Open Error");
    EXPECT_EQ(EngineAdaptor::ErrorText(dbi::kEof), "Engine Error : 8706");
    EXPECT_EQ(EngineAdaptor::ErrorText(dbi::kNumberTooLong), "Engine Error : 10019");

    int cursor = 0;
    EXPECT_EQ(adaptor.OpenTable(database, "MISSING.DBF", "SXFOX", {}, OpenMode::ReadWrite,
                                ShareMode::Shared, cursor),
              dbi::kOpenFailed);
    EXPECT_EQ(cursor, 0);
}

TEST_F(AdaptorTest, DirectoriesEndInASeparator) {
    EXPECT_EQ(EngineAdaptor::WithDirectoryEnd("C:"), "C:");
    EXPECT_EQ(EngineAdaptor::WithDirectoryEnd("a\\"), "a\\");
    EXPECT_EQ(EngineAdaptor::WithDirectoryEnd("/data"), "/data/");
    int other = 0;
    ASSERT_EQ(adaptor.OpenDatabase("/data", other), dbi::kOk);
    EXPECT_NE(other, database);
    ASSERT_EQ(adaptor.CloseDatabase(other), dbi::kOk);
    int again = 0;
    ASSERT_EQ(adaptor.OpenDatabase("", again), dbi::kOk);
    EXPECT_EQ(again, other) << "the first free slot is taken";
}

TEST_F(AdaptorTest, FieldListDescribesATableWithoutKeepingItOpen) {
    MakeTaskFile("TASKS.DBF", {}, false);
    int list = 0;
    ASSERT_EQ(adaptor.OpenFieldList(database, "TASKS.DBF", "SXFOX", list), dbi::kOk);
    EXPECT_EQ(list, dbi::kFieldListHandle);
    EXPECT_EQ(sx_WorkArea("TASKS"), 0);
    std::vector<std::string> names;
    FieldDesc desc;
    while (adaptor.ListNextRecord(list, desc) == dbi::kOk) {
        names.push_back(desc.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"DATE", "TIME", "DESCRIPT", "NOTE", "DONE", "KEYS",
                                               "PRIORITY"}));
    EXPECT_EQ(adaptor.ListNextRecord(list, desc), dbi::kEof);
    EXPECT_EQ(adaptor.CloseCursor(list), dbi::kOk);
    EXPECT_EQ(adaptor.OpenFieldList(database, "MISSING.DBF", "SXFOX", list), dbi::kOpenFailed);
}

TEST_F(AdaptorTest, IndexDescriptionsInCreationOrder) {
    int cursor = OpenTasks(3, true);
    IndexDesc none;
    EXPECT_EQ(adaptor.GetIndexDesc(cursor, 0, none), dbi::kNoIndexDesc);
    std::vector<IndexDesc> descs;
    ASSERT_EQ(adaptor.GetIndexDescs(cursor, descs), dbi::kOk);
    ASSERT_EQ(descs.size(), 5U);
    std::vector<std::string> names;
    for (const IndexDesc& d : descs) {
        names.push_back(d.tagName);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"}));
    EXPECT_TRUE(descs[0].expression);
    EXPECT_EQ(descs[0].keyExpression, "DATE+TIME");
    EXPECT_FALSE(descs[2].expression);
    EXPECT_EQ(descs[2].fieldNumbers, std::vector<int>{5});
    EXPECT_TRUE(descs[4].expression);

    // Describing leaves the order in force; switching by name finds it whatever the case.
    int previous = sx_Select(cursor);
    EXPECT_EQ(sx_IndexOrd(), 0);
    sx_Select(previous);
    ASSERT_EQ(adaptor.SwitchToIndex(cursor, "descript"), dbi::kOk);
    IndexDesc current;
    ASSERT_EQ(adaptor.GetIndexDesc(cursor, 0, current), dbi::kOk);
    EXPECT_EQ(current.tagName, "DESCRIPT");
    EXPECT_EQ(adaptor.SwitchToIndex(cursor, "NOSUCH"), dbi::kNotFound);
    ASSERT_EQ(adaptor.SwitchToIndex(cursor, ""), dbi::kOk);
    EXPECT_EQ(adaptor.GetIndexDesc(cursor, 0, current), dbi::kNoIndexDesc);
}

// Every cursor operation, also those that fail or end at an end of the table, leaves the
// engine on the work area that was current before it.
TEST_F(AdaptorTest, EveryOperationPutsTheCurrentAreaBack) {
    int cursor = OpenTasks(3, true);
    int bystander = OpenBystander();
    ASSERT_NE(bystander, 0);
    ASSERT_NE(bystander, cursor);
    RecordImage image;
    RecordProps props;
    IndexDesc desc;
    std::vector<IndexDesc> descs;
    std::vector<FieldDesc> fields;
    CursorProps cursorProps;
    FieldValue value;
    std::string text;
    std::int32_t mark = 0;
    int failedOpen = 0;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);

    struct Step {
        const char* name;
        std::function<DbiResult()> call;
        DbiResult expected;
    };
    std::vector<Step> steps = {
        {"describe, no order", [&] { return adaptor.GetIndexDesc(cursor, 0, desc); },
         dbi::kNoIndexDesc},
        {"all descriptions", [&] { return adaptor.GetIndexDescs(cursor, descs); }, dbi::kOk},
        {"field descriptors", [&] { return adaptor.GetFieldDescs(cursor, fields); }, dbi::kOk},
        {"cursor properties", [&] { return adaptor.GetCursorProps(cursor, cursorProps); },
         dbi::kOk},
        {"to begin", [&] { return adaptor.SetToBegin(cursor); }, dbi::kOk},
        {"current at begin", [&] { return adaptor.GetRecord(cursor, false, &image, &props); },
         dbi::kBof},
        {"prior at begin", [&] { return adaptor.GetPriorRecord(cursor, false, &image, &props); },
         dbi::kBof},
        {"next", [&] { return adaptor.GetNextRecord(cursor, true, &image, &props); }, dbi::kOk},
        {"modify", [&] { return adaptor.ModifyRecord(cursor, image, true); }, dbi::kOk},
        {"release lock", [&] { return adaptor.RelRecordLock(cursor, true); }, dbi::kOk},
        {"to end", [&] { return adaptor.SetToEnd(cursor); }, dbi::kOk},
        {"next at end", [&] { return adaptor.GetNextRecord(cursor, false, &image, &props); },
         dbi::kEof},
        {"current at end", [&] { return adaptor.GetRecord(cursor, false, &image, &props); },
         dbi::kEof},
        {"bookmark", [&] { return adaptor.GetBookmark(cursor, mark); }, dbi::kOk},
        {"to bookmark", [&] { return adaptor.SetToBookmark(cursor, 2); }, dbi::kOk},
        {"put field", [&] { return adaptor.PutField(cursor, 3, image, std::string("x")); },
         dbi::kOk},
        {"get field", [&] { return adaptor.GetField(cursor, 3, image, value); }, dbi::kOk},
        {"read memo", [&] { return adaptor.GetBlob(cursor, 4, image, text); }, dbi::kOk},
        {"write memo", [&] { return adaptor.PutBlob(cursor, 4, image, 0, "memo"); }, dbi::kOk},
        {"switch index", [&] { return adaptor.SwitchToIndex(cursor, "DESCRIPT"); }, dbi::kOk},
        {"switch to no such index", [&] { return adaptor.SwitchToIndex(cursor, "NOSUCH"); },
         dbi::kNotFound},
        {"append", [&] { return adaptor.AppendRecord(cursor, image); }, dbi::kOk},
        {"delete", [&] { return adaptor.DeleteRecord(cursor); }, dbi::kOk},
        {"failed open",
         [&] {
             return adaptor.OpenTable(database, "MISSING.DBF", "SXFOX", {}, OpenMode::ReadWrite,
                                      ShareMode::Shared, failedOpen);
         },
         dbi::kOpenFailed},
        {"not a cursor", [&] { return adaptor.GetRecord(200, false, &image, &props); },
         dbi::kNotOpenCursor},
        {"area 256", [&] { return adaptor.SetToBegin(256); }, dbi::kNotOpenCursor},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.call(), step.expected) << step.name;
        EXPECT_EQ(sx_WorkArea(), bystander) << step.name;
    }

    // A table opened while another is current leaves that other current.
    int second = 0;
    ASSERT_EQ(adaptor.OpenTable(database, "TASKS.DBF", "SXFOX", "DONE", OpenMode::ReadWrite,
                                ShareMode::Shared, second),
              dbi::kOk);
    EXPECT_EQ(sx_WorkArea(), bystander);
    ASSERT_EQ(adaptor.GetIndexDesc(second, 0, desc), dbi::kOk);
    EXPECT_EQ(desc.tagName, "DONE") << "the index named at open is in force";
    ASSERT_EQ(adaptor.CloseCursor(second), dbi::kOk);
    EXPECT_EQ(sx_WorkArea(), bystander);
    EXPECT_EQ(adaptor.CloseCursor(second), dbi::kNotOpenCursor);
}

TEST_F(AdaptorTest, NumberErrorsKeepTheArea) {
    int cursor = OpenKinds();
    int bystander = OpenBystander();
    RecordImage image;
    ASSERT_EQ(adaptor.InitRecord(cursor, image), dbi::kOk);
    EXPECT_EQ(adaptor.PutField(cursor, 2, image, std::int16_t{1234}), dbi::kNumberTooLong);
    EXPECT_EQ(sx_WorkArea(), bystander);
    FieldValue value;
    EXPECT_NE(adaptor.GetField(cursor, 99, image, value), dbi::kOk);
    EXPECT_EQ(sx_WorkArea(), bystander);
    RecordImage shortImage(3, ' ');
    EXPECT_NE(adaptor.GetField(cursor, 1, shortImage, value), dbi::kOk)
        << "a field beyond the image's end is not read";
    EXPECT_NE(adaptor.PutField(cursor, 1, shortImage, std::string("x")), dbi::kOk);
    EXPECT_EQ(sx_WorkArea(), bystander);
}

}  // namespace
