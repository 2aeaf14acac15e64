// The display fields of a task row and the colour rule of its cells.
#include "store/display_fields.h"

#include <gtest/gtest.h>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace {

rtl::FormatSettings InternalWithGermanMonths() {
    rtl::FormatSettings settings = rtl::DefaultFormatSettings();
    settings.shortMonthNames[2] = "M\xE4r";  // Windows-1252 a-umlaut
    return settings;
}

TEST(DisplayFields, ShowFieldsOfStoredTexts) {
    const rtl::FormatSettings english = rtl::DefaultFormatSettings();
    struct Case {
        const char* stored;
        const char* date;
    } dates[] = {
        {"20261208", "08 Dec 2026"}, {"20000229", "29 Feb 2000"}, {"20260230", ""},
        {"19000229", ""},            {"        ", ""},            {"", ""},
        {"2026120", ""},             {"abcdefgh", ""},
    };
    for (const Case& c : dates) {
        EXPECT_EQ(store::ShowDate(c.stored, english), c.date) << '"' << c.stored << '"';
    }
    EXPECT_EQ(store::ShowDate("20260305", InternalWithGermanMonths()), "05 M\xE4r 2026");

    struct TimeCase {
        const char* stored;
        const char* shown;
    } times[] = {
        {"13:05", " 01:05pm"}, {"00:00", " 12:00am"}, {"12:00", " 12:00pm"},
        {"23:59", " 11:59pm"}, {"     ", ""},         {"", ""},
        {"25:00", ""},         {"12:61", ""},
    };
    for (const TimeCase& c : times) {
        EXPECT_EQ(store::ShowTime(c.stored, english), c.shown) << '"' << c.stored << '"';
    }

    EXPECT_EQ(store::ShowPriority("A"), "High");
    EXPECT_EQ(store::ShowPriority("a"), "High");
    EXPECT_EQ(store::ShowPriority("b"), "Medium");
    EXPECT_EQ(store::ShowPriority("C"), "Low");
    EXPECT_EQ(store::ShowPriority(""), "");
    EXPECT_EQ(store::ShowPriority("D"), "");
    EXPECT_EQ(store::IsDone(true), "Y");
    EXPECT_EQ(store::IsDone(false), "N");
    EXPECT_EQ(store::ShowKeys("work home"), " work home");
    EXPECT_EQ(store::ShowKeys(""), " ");
}

TEST(DisplayFields, OnlyUndoneHighTasksAndTodaysDatesAreColoured) {
    rtl::TDateTime today = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 12, 8, today));
    using store::CellHighlight;
    struct Case {
        const char* field;
        store::TaskEntry task;
        CellHighlight expected;
    } cases[] = {
        {"ShowPriority", {.priority = "A"}, CellHighlight::kHighPriority},
        {"SHOWPRIORITY", {.priority = "A"}, CellHighlight::kHighPriority},
        // Other programs store the letter in either case; the grid shows "a" as High.
        {"ShowPriority", {.priority = "a"}, CellHighlight::kHighPriority},
        {"ShowPriority", {.priority = "b"}, CellHighlight::kNone},
        {"ShowPriority", {.priority = "A", .done = true}, CellHighlight::kNone},
        {"ShowPriority", {.date = "20261208", .priority = "B"}, CellHighlight::kNone},
        {"ShowDate", {.date = "20261208", .priority = "A"}, CellHighlight::kDueToday},
        {"showdate", {.date = "20261208"}, CellHighlight::kDueToday},
        {"ShowDate", {.date = "20261208", .done = true}, CellHighlight::kNone},
        {"ShowDate", {.date = "20261207"}, CellHighlight::kNone},
        {"ShowDate", {.date = "20261209"}, CellHighlight::kNone},
        {"ShowDate", {}, CellHighlight::kNone},
        {"DESCRIPT", {.date = "20261208", .priority = "A"}, CellHighlight::kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(store::HighlightOf(c.field, c.task, today), c.expected)
            << c.field << " date " << c.task.date << " priority " << c.task.priority;
    }
}

TEST(DisplayFields, StoredDatesConvertBothWays) {
    const rtl::FormatSettings english = rtl::DefaultFormatSettings();
    rtl::TDateTime value = 0;
    ASSERT_TRUE(store::StoredDateToValue("20270101", value, english));
    EXPECT_EQ(store::DateToStored(value), "20270101");
    EXPECT_EQ(store::StoredDateAsText("20270315"), "03/15/2027");
    EXPECT_EQ(store::StoredDateAsText(""), "//");
    EXPECT_FALSE(store::StoredDateToValue("", value, english));
}

}  // namespace
