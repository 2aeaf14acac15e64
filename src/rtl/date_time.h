// Date values: a double counting days since 30 December 1899, the time of day its fraction.
// Calendar arithmetic (proleptic Gregorian, years 1 to 9999) and the local clock.
#pragma once

namespace rtl {

using TDateTime = double;

struct DateParts {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct TimeParts {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool IsLeapYear(int year);
// 0 when the month is out of range.
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond = 0);

// False (and `result` untouched) when the parts do not name a real date or time.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);

// The calendar date of a value (its integral part); a value outside years 1..9999 gives {0,0,0}.
DateParts DecodeDate(TDateTime value);
// The time of day of a value (its fraction), rounded to the millisecond.
TimeParts DecodeTime(TDateTime value);
// 1 = Sunday .. 7 = Saturday; 0 for a value that is not a date (not finite, far out of range).
int DayOfWeek(TDateTime value);

// Local clock.
TDateTime Now();
TDateTime Today();

}  // namespace rtl
