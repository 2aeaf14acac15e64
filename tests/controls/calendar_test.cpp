// The month grid: where the 1st stands, the part-setting rule and its refusals, month and
// year moves, what the user may select, and the resizing rule.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "controls/calendar.h"
#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace {

using controls::TCalendar;

rtl::TDateTime Date(int y, int m, int d) {
    rtl::TDateTime value = 0;
    EXPECT_TRUE(rtl::TryEncodeDate(y, m, d, value));
    return value;
}

std::string Ymd(rtl::TDateTime value) {
    const rtl::DateParts p = rtl::DecodeDate(value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
    return text;
}

// The cell that shows the 1st, over months whose 1st falls on each day of the week.
TEST(Calendar, FirstOfTheMonthStandsInRowOneAtTheColumnOfItsWeekday) {
    struct Case {
        int year, month, startOfWeek, column;
    };
    // March 2026 begins on a Sunday, June 2026 on a Monday, August 2026 on a Saturday.
    const Case cases[] = {
        {2026, 3, 0, 0},  // on StartOfWeek: column 0
        {2026, 3, 1, 6},  // the day before StartOfWeek: column 6, never a row of its own
        {2026, 6, 0, 1}, {2026, 6, 1, 0}, {2026, 8, 0, 6}, {2026, 8, 6, 0}, {2026, 8, 1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << " start " << c.startOfWeek);
        TCalendar cal;
        cal.setStartOfWeek(c.startOfWeek);
        cal.setCalendarDate(Date(c.year, c.month, 1));
        EXPECT_EQ(cal.cellText(c.column, 1), QStringLiteral("1"));
        EXPECT_EQ(cal.col(), c.column);
        EXPECT_EQ(cal.row(), 1);
        EXPECT_EQ(cal.monthOffset(), 1 - c.column);
        EXPECT_EQ(cal.cellText(0, 0),
                  QString::fromStdString(rtl::CurrentFormats().shortDayNames[c.startOfWeek]));
    }
}

TEST(Calendar, MonthAndYearMovesKeepTheDayWhereTheMonthHasIt) {
    struct Case {
        rtl::TDateTime from;
        void (TCalendar::*move)();
        const char* expected;
        int changes;
    };
    const Case cases[] = {
        {Date(2024, 1, 31), &TCalendar::nextMonth, "2024-02-29", 1},
        {Date(2023, 1, 31), &TCalendar::nextMonth, "2023-02-28", 1},
        {Date(2023, 3, 31), &TCalendar::prevMonth, "2023-02-28", 1},
        {Date(1900, 1, 31), &TCalendar::nextMonth, "1900-02-28", 1},  // 1900 is no leap year
        {Date(2000, 1, 31), &TCalendar::nextMonth, "2000-02-29", 1},  // 2000 is one
        {Date(2026, 12, 15), &TCalendar::nextMonth, "2027-01-15", 1},
        {Date(2026, 1, 15), &TCalendar::prevMonth, "2025-12-15", 1},
        {Date(2024, 2, 29), &TCalendar::nextYear, "2025-02-28", 2},
        {Date(2024, 2, 29), &TCalendar::prevYear, "2023-02-28", 2},
        {Date(2026, 7, 4), &TCalendar::prevYear, "2025-07-04", 1},
        {Date(9999, 12, 31), &TCalendar::nextMonth, "9999-12-31", 0},
        {Date(9999, 6, 1), &TCalendar::nextYear, "9999-06-01", 0},
        {Date(1, 1, 1), &TCalendar::prevMonth, "0001-01-01", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Ymd(c.from));
        TCalendar cal;
        cal.setCalendarDate(c.from);
        QSignalSpy changes(&cal, &TCalendar::changed);
        (cal.*c.move)();
        EXPECT_EQ(Ymd(cal.calendarDate()), c.expected);
        EXPECT_EQ(changes.count(), c.changes);
    }
}

// Settings the rule refuses change nothing and raise nothing; an accepted one drops the time
// of day and gives up the current date.
TEST(Calendar, PartSettingRefusesWhatTheRuleRefuses) {
    struct Case {
        const char* name;
        void (TCalendar::*set)(int);
        int value;
        const char* expected;  // nullptr: refused
    };
    const Case cases[] = {
        {"day 31 in April", &TCalendar::setDay, 31, nullptr},
        {"day 0", &TCalendar::setDay, 0, nullptr},
        {"the same day", &TCalendar::setDay, 10, nullptr},
        {"day 30", &TCalendar::setDay, 30, "2026-04-30"},
        {"month 13", &TCalendar::setMonth, 13, nullptr},
        {"month 0", &TCalendar::setMonth, 0, nullptr},
        {"month 12", &TCalendar::setMonth, 12, "2026-12-10"},
        {"year 0", &TCalendar::setYear, 0, nullptr},
        {"the same year", &TCalendar::setYear, 2026, nullptr},
        {"year 10000", &TCalendar::setYear, 10000, nullptr},
        {"year 1999", &TCalendar::setYear, 1999, "1999-04-10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCalendar cal;
        const rtl::TDateTime start = Date(2026, 4, 10) + 0.25;
        cal.setCalendarDate(start);
        QSignalSpy changes(&cal, &TCalendar::changed);
        (cal.*c.set)(c.value);
        if (c.expected == nullptr) {
            EXPECT_EQ(cal.calendarDate(), start);
            EXPECT_EQ(changes.count(), 0);
            EXPECT_TRUE(cal.useCurrentDate());
        } else {
            EXPECT_EQ(Ymd(cal.calendarDate()), c.expected);
            EXPECT_EQ(cal.calendarDate(), std::trunc(cal.calendarDate()));
            EXPECT_EQ(changes.count(), 1);
            EXPECT_FALSE(cal.useCurrentDate());
        }
    }
    // 29 February set into a common year would name no date: refused.
    TCalendar cal;
    cal.setCalendarDate(Date(2024, 2, 29));
    cal.setYear(2023);
    EXPECT_EQ(Ymd(cal.calendarDate()), "2024-02-29");
}

TEST(Calendar, UseCurrentDateBackOnReturnsToTodayWithoutOnChange) {
    TCalendar cal;
    cal.setDay(cal.day() == 1 ? 2 : 1);
    ASSERT_FALSE(cal.useCurrentDate());
    QSignalSpy changes(&cal, &TCalendar::changed);
    cal.setUseCurrentDate(true);
    EXPECT_EQ(cal.calendarDate(), rtl::Today());
    EXPECT_EQ(changes.count(), 0);
}

// The user selects by mouse and arrow keys: blank cells and, with ReadOnly, every cell refuse.
TEST(Calendar, UserSelectionTakesOnlyDayCells) {
    TCalendar cal;
    cal.resize(413, 132);
    cal.setCalendarDate(Date(2026, 3, 31));  // last day: column 2, row 5
    const auto click = [&cal](int column, int row) {
        const int w = cal.defaultColWidth() + cal.gridLineWidth();
        const int h = cal.defaultRowHeight() + cal.gridLineWidth();
        QTest::mouseClick(&cal, Qt::LeftButton, {},
                          QPoint(2 + column * w + w / 2, 2 + row * h + h / 2));
    };
    click(3, 5);  // blank after the last day
    EXPECT_EQ(Ymd(cal.calendarDate()), "2026-03-31");
    click(2, 0);  // heading
    EXPECT_EQ(Ymd(cal.calendarDate()), "2026-03-31");
    click(4, 2);  // the 12th
    EXPECT_EQ(Ymd(cal.calendarDate()), "2026-03-12");
    EXPECT_EQ(cal.col(), 4);
    QTest::keyClick(&cal, Qt::Key_Down);
    EXPECT_EQ(Ymd(cal.calendarDate()), "2026-03-19");
    cal.setReadOnly(true);
    QTest::keyClick(&cal, Qt::Key_Left);
    click(1, 1);
    EXPECT_EQ(Ymd(cal.calendarDate()), "2026-03-19");
    // Repositioning still moves the selection of a read-only grid.
    cal.setCalendarDate(Date(2026, 3, 2));
    EXPECT_EQ(cal.col(), 1);
    EXPECT_EQ(cal.row(), 1);
}

TEST(Calendar, ResizingSharesTheSizeAmongSevenColumnsAndRows) {
    TCalendar cal;
    cal.resize(413, 132);
    EXPECT_EQ(cal.defaultColWidth(), 58);
    EXPECT_EQ(cal.defaultRowHeight(), 18);
    cal.setGridLineWidth(3);
    cal.resize(200, 100);
    EXPECT_EQ(cal.defaultColWidth(), 26);
    EXPECT_EQ(cal.defaultRowHeight(), 11);
}

}  // namespace
