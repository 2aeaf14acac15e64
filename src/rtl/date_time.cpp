// Calendar arithmetic for date values, by days-from-civil counting.
#include "rtl/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "rtl/rounding.h"

namespace rtl {
namespace {

// Days from 1 January 0001 to 30 December 1899, the zero of a date value.
constexpr long kDaysToEpoch = 693594;

// Days since 1 January 0001 (day 1) for a valid date.
long DaysFromCivil(int year, int month, int day) {
    static constexpr int kCumulative[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const long y = year - 1;
    long days = y * 365 + y / 4 - y / 100 + y / 400 + kCumulative[month - 1] + day;
    if (month > 2 && IsLeapYear(year)) {
        ++days;
    }
    return days;
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           millisecond >= 0 && millisecond < 1000;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (!IsValidDate(year, month, day)) {
        return false;
    }
    result = static_cast<TDateTime>(DaysFromCivil(year, month, day) - kDaysToEpoch);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
    if (!IsValidTime(hour, minute, second, millisecond)) {
        return false;
    }
    const long ms = ((hour * 60L + minute) * 60L + second) * 1000L + millisecond;
    result = static_cast<TDateTime>(ms) / 86400000.0;
    return true;
}

DateParts DecodeDate(TDateTime value) {
    if (!std::isfinite(value)) {
        return {};
    }
    const double whole = std::trunc(value);
    if (whole < 1 - kDaysToEpoch || whole > 2958465) {  // 1 Jan 0001 .. 31 Dec 9999
        return {};
    }
    // Civil-from-days on a count whose day 0 is 1 March 0000.
    long z = static_cast<long>(whole) + kDaysToEpoch + 305;
    const long era = z / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    DateParts parts;
    parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    parts.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    parts.year = static_cast<int>(yoe + era * 400 + (parts.month <= 2 ? 1 : 0));
    return parts;
}

TimeParts DecodeTime(TDateTime value) {
    if (!std::isfinite(value)) {
        return {};
    }
    double fraction = std::fabs(value - std::trunc(value));
    std::int64_t ms = RoundHalfEven(fraction * 86400000.0);
    if (ms >= 86400000) {
        ms = 86400000 - 1;
    }
    TimeParts parts;
    parts.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    parts.second = static_cast<int>(ms % 60);
    ms /= 60;
    parts.minute = static_cast<int>(ms % 60);
    parts.hour = static_cast<int>(ms / 60);
    return parts;
}

int DayOfWeek(TDateTime value) {
    // Day 0 (30 December 1899) was a Saturday. The day is the truncated value, as in
    // DecodeDate, so that -1.25 (29 December, 6 am) is a Friday.
    if (!std::isfinite(value) || std::fabs(value) > 3e6) {
        return 0;
    }
    long days = static_cast<long>(std::trunc(value));
    long index = ((days + 6) % 7 + 7) % 7;  // 0 = Sunday
    return static_cast<int>(index) + 1;
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    TDateTime date = 0;
    TDateTime time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec == 60 ? 59 : local.tm_sec,
                  static_cast<int>(ms.count()), time);
    return date + time;
}

TDateTime Today() {
    return std::trunc(Now());
}

}  // namespace rtl
