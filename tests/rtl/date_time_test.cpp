// Calendar arithmetic of date values: leap years, month lengths, encode/decode, weekdays.
#include "rtl/date_time.h"

#include <limits>

#include <gtest/gtest.h>

namespace rtl {
namespace {

TDateTime Date(int y, int m, int d) {
    TDateTime v = -1e9;
    EXPECT_TRUE(TryEncodeDate(y, m, d, v)) << y << "-" << m << "-" << d;
    return v;
}

TEST(Calendar, LeapYearsFollowTheCenturyRule) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2026));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
    EXPECT_EQ(DaysInMonth(2026, 0), 0);
    EXPECT_EQ(DaysInMonth(2026, 13), 0);
}

TEST(Calendar, RejectsDatesThatDoNotExist) {
    TDateTime v = 42;
    EXPECT_FALSE(TryEncodeDate(2026, 2, 30, v));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(2026, 1, 0, v));
    EXPECT_EQ(v, 42) << "a failed encode leaves the result alone";
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
}

TEST(Calendar, KnownDayNumbers) {
    EXPECT_EQ(Date(1899, 12, 30), 0);
    EXPECT_EQ(Date(1899, 12, 31), 1);
    EXPECT_EQ(Date(1900, 1, 1), 2);
    EXPECT_EQ(Date(1900, 3, 1), 61);  // no 29 February 1900
    EXPECT_EQ(Date(2000, 1, 1), 36526);
    EXPECT_EQ(Date(1, 1, 1), -693593);
    EXPECT_EQ(Date(9999, 12, 31), 2958465);
}

TEST(Calendar, DecodeInvertsEncodeAcrossTheWholeRange) {
    for (int year : {1, 4, 100, 400, 1600, 1899, 1900, 1999, 2000, 2026, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 28, DaysInMonth(year, month)}) {
                const DateParts p = DecodeDate(Date(year, month, day));
                EXPECT_EQ(p.year, year);
                EXPECT_EQ(p.month, month);
                EXPECT_EQ(p.day, day);
            }
        }
    }
}

TEST(Calendar, DecodeOfValuesOutsideTheRangeIsEmpty) {
    EXPECT_EQ(DecodeDate(2958466).year, 0);
    EXPECT_EQ(DecodeDate(-693594).year, 0);
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::quiet_NaN()).year, 0);
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::infinity()).year, 0);
}

TEST(Calendar, NegativeValuesCountTheTimeForwardFromMidnight) {
    // -1.25 is 29 December 1899 at 6 am.
    const DateParts d = DecodeDate(-1.25);
    EXPECT_EQ(d.day, 29);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(DecodeTime(-1.25).hour, 6);
    EXPECT_EQ(DayOfWeek(-1.25), 6) << "29 December 1899 was a Friday";
}

TEST(Calendar, DayOfWeek) {
    EXPECT_EQ(DayOfWeek(0), 7);                  // Saturday 30 December 1899
    EXPECT_EQ(DayOfWeek(Date(2026, 12, 8)), 3);  // Tuesday
    EXPECT_EQ(DayOfWeek(Date(2000, 1, 1)), 7);   // Saturday
    EXPECT_EQ(DayOfWeek(Date(2026, 12, 8) + 0.99), 3);
    EXPECT_EQ(DayOfWeek(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ClockTime, EncodeDecodeRoundTripsEveryMinute) {
    for (int h = 0; h < 24; ++h) {
        for (int m = 0; m < 60; ++m) {
            TDateTime t = -1;
            ASSERT_TRUE(TryEncodeTime(h, m, 30, 250, t));
            const TimeParts p = DecodeTime(Date(2026, 6, 1) + t);
            ASSERT_EQ(p.hour, h);
            ASSERT_EQ(p.minute, m);
            ASSERT_EQ(p.second, 30);
            ASSERT_EQ(p.millisecond, 250);
        }
    }
}

TEST(ClockTime, AFractionJustShortOfMidnightStaysOnItsDay) {
    const TimeParts p = DecodeTime(0.99999999999);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 59);
}

}  // namespace
}  // namespace rtl
