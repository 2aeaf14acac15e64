// The pattern interpreter behind FormatDateTime.
#include "rtl/date_format.h"

#include <cmath>

namespace rtl {
namespace {

// Patterns may name other patterns (ddddd, t, c...); a settings pattern that names itself
// must not recurse for ever, so nesting stops two levels down.
constexpr int kMaxNesting = 2;

struct Moment {
    const FormatSettings& settings;
    DateParts date;
    TimeParts time;
    int dayOfWeek;  // 1 = Sunday
    bool hasTime;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool MatchesAt(std::string_view p, size_t i, std::string_view word) {
    if (p.size() - i < word.size()) {
        return false;
    }
    for (size_t k = 0; k < word.size(); ++k) {
        if (Lower(p[i + k]) != word[k]) {
            return false;
        }
    }
    return true;
}

enum class Marker { kNone, kAmPm, kAP, kSettings };

Marker MarkerAt(std::string_view p, size_t i) {
    if (MatchesAt(p, i, "am/pm")) {
        return Marker::kAmPm;
    }
    if (MatchesAt(p, i, "a/p")) {
        return Marker::kAP;
    }
    if (MatchesAt(p, i, "ampm")) {
        return Marker::kSettings;
    }
    return Marker::kNone;
}

// Position just past a quoted run starting at `i`; an unclosed quote runs to the end.
size_t QuoteEnd(std::string_view p, size_t i) {
    const size_t close = p.find(p[i], i + 1);
    return close == std::string_view::npos ? p.size() : close + 1;
}

bool UsesTwelveHourClock(std::string_view p) {
    for (size_t i = 0; i < p.size();) {
        if (p[i] == '"' || p[i] == '\'') {
            i = QuoteEnd(p, i);
        } else if (MarkerAt(p, i) != Marker::kNone) {
            return true;
        } else {
            ++i;
        }
    }
    return false;
}

void AppendNumber(std::string& out, int value, int minDigits) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits) {
        out.append(static_cast<size_t>(minDigits) - digits.size(), '0');
    }
    out += digits;
}

void Format(std::string& out, std::string_view p, const Moment& m, int depth);

void Nested(std::string& out, std::string_view p, const Moment& m, int depth) {
    if (depth < kMaxNesting) {
        Format(out, p, m, depth + 1);
    }
}

void Format(std::string& out, std::string_view p, const Moment& m, int depth) {
    const FormatSettings& s = m.settings;
    const bool twelveHour = UsesTwelveHourClock(p);
    char lastToken = '\0';
    size_t i = 0;
    while (i < p.size()) {
        const char ch = p[i];
        const char lc = Lower(ch);
        if (ch == '"' || ch == '\'') {
            const size_t close = p.find(ch, i + 1);
            if (close == std::string_view::npos) {
                out.append(p.substr(i + 1));
                break;
            }
            out.append(p.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (lc == 'a') {
            const Marker marker = MarkerAt(p, i);
            const bool pm = m.time.hour >= 12;
            lastToken = 'a';
            switch (marker) {
                case Marker::kAmPm:
                    out.append(p.substr(pm ? i + 3 : i, 2));
                    i += 5;
                    continue;
                case Marker::kAP:
                    out += p[pm ? i + 2 : i];
                    i += 3;
                    continue;
                case Marker::kSettings:
                    out += pm ? s.timePMString : s.timeAMString;
                    i += 4;
                    continue;
                case Marker::kNone:
                    break;
            }
            out += ch;
            ++i;
            continue;
        }
        if (lc == 'c') {
            lastToken = 'c';
            Nested(out, s.shortDateFormat, m, depth);
            if (m.hasTime) {
                out += ' ';
                Nested(out, s.longTimeFormat, m, depth);
            }
            ++i;
            continue;
        }
        if (lc == 'd' || lc == 'm' || lc == 'y' || lc == 'h' || lc == 'n' || lc == 's' ||
            lc == 'z' || lc == 't') {
            size_t end = i;
            while (end < p.size() && Lower(p[end]) == lc) {
                ++end;
            }
            const int count = static_cast<int>(end - i);
            i = end;
            char token = lc;
            if (token == 'm' && lastToken == 'h') {
                token = 'n';
            }
            lastToken = token;
            switch (token) {
                case 'd':
                    if (count <= 2) {
                        AppendNumber(out, m.date.day, count);
                    } else if (count == 3) {
                        out += s.shortDayNames[static_cast<size_t>(m.dayOfWeek - 1)];
                    } else if (count == 4) {
                        out += s.longDayNames[static_cast<size_t>(m.dayOfWeek - 1)];
                    } else if (count == 5) {
                        Nested(out, s.shortDateFormat, m, depth);
                    } else {
                        Nested(out, s.longDateFormat, m, depth);
                    }
                    break;
                case 'm':
                    if (count <= 2) {
                        AppendNumber(out, m.date.month, count);
                    } else if (count == 3) {
                        out += s.shortMonthNames[static_cast<size_t>(m.date.month - 1)];
                    } else {
                        out += s.longMonthNames[static_cast<size_t>(m.date.month - 1)];
                    }
                    break;
                case 'y':
                    if (count <= 2) {
                        AppendNumber(out, m.date.year % 100, 2);
                    } else {
                        AppendNumber(out, m.date.year, 4);
                    }
                    break;
                case 'h': {
                    int hour = m.time.hour;
                    if (twelveHour) {
                        hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
                    }
                    AppendNumber(out, hour, count >= 2 ? 2 : 1);
                    break;
                }
                case 'n':
                    AppendNumber(out, m.time.minute, count >= 2 ? 2 : 1);
                    break;
                case 's':
                    AppendNumber(out, m.time.second, count >= 2 ? 2 : 1);
                    break;
                case 'z':
                    AppendNumber(out, m.time.millisecond, count >= 2 ? 3 : 1);
                    break;
                case 't':
                    Nested(out, count == 1 ? s.shortTimeFormat : s.longTimeFormat, m, depth);
                    break;
                default:
                    break;
            }
            continue;
        }
        if (ch == '/') {
            out += s.dateSeparator;
        } else if (ch == ':') {
            out += s.timeSeparator;
        } else {
            if (IsLetter(ch)) {
                lastToken = lc;
            }
            out += ch;
        }
        ++i;
    }
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& settings) {
    const DateParts date = DecodeDate(value);
    if (date.year == 0) {
        return {};
    }
    const TimeParts time = DecodeTime(value);
    const bool hasTime = time.hour != 0 || time.minute != 0 || time.second != 0;
    const Moment moment{settings, date, time, DayOfWeek(value), hasTime};
    std::string out;
    Format(out, pattern.empty() ? std::string_view("c") : pattern, moment, 0);
    return out;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
    return FormatDateTime(pattern, value, CurrentFormats());
}

std::string DateToStr(TDateTime value) {
    return FormatDateTime("ddddd", value);
}
std::string TimeToStr(TDateTime value) {
    return FormatDateTime("tt", value);
}
std::string DateTimeToStr(TDateTime value) {
    return FormatDateTime("c", value);
}

}  // namespace rtl
