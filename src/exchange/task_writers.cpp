// The VTODO and CSV writers: each task's stored fields in the other formats' notations,
// converted from Windows-1252 to UTF-8.
#include "exchange/task_writers.h"

#include <chrono>
#include <cstdio>

#include "exchange/task_notation.h"
#include "rtl/ansi.h"

namespace exchange {

namespace {

constexpr std::size_t kFoldOctets = 75;

// A line break in any of the three spellings a note may hold, at `pos`; its length, or 0.
std::size_t LineBreakAt(std::string_view text, std::size_t pos) {
    if (text[pos] == '\r') {
        return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    }
    return text[pos] == '\n' ? 1 : 0;
}

std::string Stamp(const UtcStamp& s) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", s.year, s.month, s.day, s.hour,
                  s.minute, s.second);
    return text;
}

// The key words as the values of CATEGORIES, each escaped, separated by commas.
std::string Categories(std::string_view keys) {
    std::string out;
    std::size_t pos = 0;
    while (pos < keys.size()) {
        const std::size_t start = keys.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(keys.find(' ', start), keys.size());
        if (!out.empty()) {
            out += ',';
        }
        out += EscapeIcalText(rtl::AnsiToUtf8(keys.substr(start, end - start)));
        pos = end;
    }
    return out;
}

}  // namespace

UtcStamp UtcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto today = floor<days>(now);
    const year_month_day ymd(today);
    const hh_mm_ss clock(now - today);
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count())};
}

std::string EscapeIcalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size(); ++pos) {
        if (const std::size_t lineBreak = LineBreakAt(utf8, pos); lineBreak != 0) {
            out += "\\n";
            pos += lineBreak - 1;
            continue;
        }
        const char c = utf8[pos];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if ((static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) || c == '\t') {
            out += c;
        }
        // Other control characters have no place in a TEXT value and are left out.
    }
    return out;
}

std::string FoldContentLine(std::string_view line) {
    std::string out;
    out.reserve(line.size() + line.size() / 64 * 3 + 2);
    std::size_t room = kFoldOctets;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;  // never inside a UTF-8 sequence
        }
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = kFoldOctets - 1;  // the blank that starts a continuation counts
    }
    out.append(line);
    out += "\r\n";
    return out;
}

std::string VcalendarBegin() {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quillet//Quillet to-do list//EN\r\n";
}

std::string VcalendarEnd() {
    return "END:VCALENDAR\r\n";
}

std::string Vtodo(const store::TaskEntry& task, std::string_view uid, const UtcStamp& stamp) {
    std::string out = "BEGIN:VTODO\r\n";
    auto line = [&out](std::string_view text) { out += FoldContentLine(text); };
    line("UID:" + EscapeIcalText(uid));
    line("DTSTAMP:" + Stamp(stamp));
    line("SUMMARY:" + EscapeIcalText(rtl::AnsiToUtf8(task.descript)));
    const std::optional<Day> day = StoredDay(task.date);
    const std::optional<Clock> clock = StoredClock(task.time);
    if (day) {
        const std::string date = StoredDate(*day);
        if (clock) {
            char time[16];
            std::snprintf(time, sizeof time, "T%02d%02d00", clock->hour, clock->minute);
            line("DUE:" + date + time);
        } else {
            line("DUE;VALUE=DATE:" + date);
        }
    } else if (clock) {
        // A time without a day has no DUE to go in; kept for Quillet to read back.
        line("X-QUILLET-TIME:" + StoredTime(*clock));
    }
    switch (StoredPriority(task.priority)) {
        case Priority::kHigh:
            line("PRIORITY:1");
            break;
        case Priority::kMedium:
            line("PRIORITY:5");
            break;
        case Priority::kLow:
            line("PRIORITY:9");
            break;
        case Priority::kNone:
            break;
    }
    line(task.done ? "STATUS:COMPLETED" : "STATUS:NEEDS-ACTION");
    if (const std::string categories = Categories(task.keys); !categories.empty()) {
        line("CATEGORIES:" + categories);
    }
    if (!task.note.empty()) {
        line("DESCRIPTION:" + EscapeIcalText(rtl::AnsiToUtf8(task.note)));
    }
    out += "END:VTODO\r\n";
    return out;
}

std::string CsvField(std::string_view utf8) {
    const bool quoted = utf8.find_first_of(",\"\r\n") != std::string_view::npos ||
                        (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
    if (!quoted) {
        return std::string(utf8);
    }
    std::string out = "\"";
    for (char c : utf8) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

std::string CsvHeaderLine() {
    return std::string(kCsvHeader) + "\r\n";
}

std::string CsvRow(const store::TaskEntry& task) {
    std::string date;
    if (const std::optional<Day> day = StoredDay(task.date)) {
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", day->year, day->month, day->day);
        date = text;
    }
    std::string time;
    if (const std::optional<Clock> clock = StoredClock(task.time)) {
        time = StoredTime(*clock);
    }
    static constexpr const char* kPriorities[] = {"", "High", "Medium", "Low"};
    const char* priority = kPriorities[static_cast<int>(StoredPriority(task.priority))];
    return CsvField(rtl::AnsiToUtf8(task.descript)) + ',' + date + ',' + time + ',' + priority +
           ',' + (task.done ? "Yes" : "No") + ',' + CsvField(rtl::AnsiToUtf8(task.keys)) + ',' +
           CsvField(rtl::AnsiToUtf8(task.note)) + "\r\n";
}

}  // namespace exchange
