// The task table's notations of date, time and priority, read and written for the formats:
// DATE "yyyymmdd", TIME "hh:nn" on the 24-hour clock, PRIORITY "A", "B" or "C".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace exchange {

struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct Clock {
    int hour = 0;
    int minute = 0;
};

// The day a stored DATE names; nullopt for a blank one or one that names no real day.
std::optional<Day> StoredDay(std::string_view date);
// The time a stored TIME names ("h:nn" too); nullopt for a blank or impossible one.
std::optional<Clock> StoredClock(std::string_view time);
std::string StoredDate(const Day& day);     // "yyyymmdd"
std::string StoredTime(const Clock& time);  // "hh:nn"

enum class Priority { kNone, kHigh, kMedium, kLow };
// "A", "B" or "C" in either case; anything else is no priority, as the grid shows it.
Priority StoredPriority(std::string_view priority);
std::string PriorityLetter(Priority priority);  // "A", "B", "C" or ""

// The formats' own words (property names, "COMPLETED", "High") are ASCII in any case.
std::string AsciiUpper(std::string_view text);

// `digits` read as a whole non-negative number; nullopt unless every character is a digit.
std::optional<int> Digits(std::string_view digits);

}  // namespace exchange
