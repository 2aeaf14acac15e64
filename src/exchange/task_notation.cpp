// Reading and writing the stored notations of date, time and priority.
#include "exchange/task_notation.h"

#include <cstdio>

#include "rtl/date_time.h"

namespace exchange {

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::optional<int> Digits(std::string_view digits) {
    if (digits.empty() || digits.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Day> StoredDay(std::string_view date) {
    if (date.size() != 8) {
        return std::nullopt;
    }
    const auto year = Digits(date.substr(0, 4));
    const auto month = Digits(date.substr(4, 2));
    const auto day = Digits(date.substr(6, 2));
    if (!year || !month || !day || !rtl::IsValidDate(*year, *month, *day)) {
        return std::nullopt;
    }
    return Day{*year, *month, *day};
}

std::optional<Clock> StoredClock(std::string_view time) {
    const std::size_t colon = time.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || time.size() != colon + 3) {
        return std::nullopt;
    }
    const auto hour = Digits(time.substr(0, colon));
    const auto minute = Digits(time.substr(colon + 1));
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return Clock{*hour, *minute};
}

std::string StoredDate(const Day& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", day.year, day.month, day.day);
    return text;
}

std::string StoredTime(const Clock& time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return text;
}

Priority StoredPriority(std::string_view priority) {
    if (priority.size() != 1) {
        return Priority::kNone;
    }
    switch (priority[0]) {
        case 'A':
        case 'a':
            return Priority::kHigh;
        case 'B':
        case 'b':
            return Priority::kMedium;
        case 'C':
        case 'c':
            return Priority::kLow;
        default:
            return Priority::kNone;
    }
}

std::string PriorityLetter(Priority priority) {
    switch (priority) {
        case Priority::kHigh:
            return "A";
        case Priority::kMedium:
            return "B";
        case Priority::kLow:
            return "C";
        case Priority::kNone:
            break;
    }
    return {};
}

}  // namespace exchange
