// The iCalendar reader: physical lines unfolded into content lines, the components they open
// and close followed on a stack, and each VTODO's properties mapped onto a task.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange/imported_task.h"
#include "exchange/task_readers.h"
#include "rtl/date_time.h"

namespace exchange {

namespace {

// One content line, NAME;PARAM=value:value, unfolded; `line` is where it starts in the file.
struct ContentLine {
    std::string name;                                         // in upper case
    std::vector<std::pair<std::string, std::string>> params;  // names in upper case
    std::string value;
    int line = 0;

    std::string Param(std::string_view param) const {
        for (const auto& [key, text] : params) {
            if (key == param) {
                return text;
            }
        }
        return {};
    }
};

struct Fault {
    int line;
    std::string words;
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A line quoted for a message, cut (between characters) where it would run on.
std::string Quoted(std::string_view text) {
    std::size_t shown = 40;
    if (text.size() <= shown) {
        return "\"" + std::string(text) + "\"";
    }
    while (shown > 0 && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80) {
        --shown;
    }
    return "\"" + std::string(text.substr(0, shown)) + "...\"";
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// Splits `text` into its content lines: a physical line that starts with a blank or a tab
// continues the one before it (CR LF, LF or a lone CR ends a line).
std::vector<std::pair<int, std::string>> UnfoldedLines(std::string_view text,
                                                       std::optional<Fault>& fault) {
    std::vector<std::pair<int, std::string>> lines;
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view physical = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
        }
        ++number;
        if (physical.empty()) {
            continue;  // blank lines (between calendars, or from doubled CRs) hold nothing
        }
        if (physical.front() == ' ' || physical.front() == '\t') {
            if (lines.empty()) {
                fault = Fault{number, "a continued line has no line before it"};
                return {};
            }
            lines.back().second.append(physical.substr(1));
        } else {
            lines.emplace_back(number, std::string(physical));
        }
    }
    return lines;
}

// NAME *(;PARAM=value) : value, as a content line; false for text of another shape.
bool ParseContentLine(std::string_view text, ContentLine& out) {
    std::size_t pos = 0;
    while (pos < text.size() && IsNameChar(text[pos])) {
        ++pos;
    }
    if (pos == 0) {
        return false;
    }
    out.name = AsciiUpper(text.substr(0, pos));
    while (pos < text.size() && text[pos] == ';') {
        const std::size_t equals = text.find('=', pos + 1);
        if (equals == std::string_view::npos) {
            return false;
        }
        std::string name = AsciiUpper(text.substr(pos + 1, equals - pos - 1));
        std::string value;
        pos = equals + 1;
        // A value may be a list; the quotes of each item are dropped.
        while (true) {
            if (pos < text.size() && text[pos] == '"') {
                const std::size_t close = text.find('"', pos + 1);
                if (close == std::string_view::npos) {
                    return false;
                }
                value.append(text.substr(pos + 1, close - pos - 1));
                pos = close + 1;
            } else {
                const std::size_t stop = text.find_first_of(";:,", pos);
                if (stop == std::string_view::npos) {
                    return false;
                }
                value.append(text.substr(pos, stop - pos));
                pos = stop;
            }
            if (pos < text.size() && text[pos] == ',') {
                value += ',';
                ++pos;
                continue;
            }
            break;
        }
        out.params.emplace_back(std::move(name), std::move(value));
    }
    if (pos >= text.size() || text[pos] != ':') {
        return false;
    }
    out.value = std::string(text.substr(pos + 1));
    return true;
}

// A TEXT value with its escapes undone; a list value is split at its unescaped commas first.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '\\' || pos + 1 == text.size()) {
            out += text[pos];
            continue;
        }
        const char next = text[++pos];
        out += next == 'n' || next == 'N' ? '\n' : next;
    }
    return out;
}

std::vector<std::string> UnescapedList(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
        if (pos == text.size() || text[pos] == ',') {
            items.push_back(Unescape(text.substr(start, pos - start)));
            start = pos + 1;
        } else if (text[pos] == '\\') {
            ++pos;
        }
    }
    return items;
}

// The VTODO being read.
struct OpenTodo {
    ForeignTask task;
    std::string uid;
    std::string quilletTime;  // X-QUILLET-TIME, for a task without a DUE
    bool hasSummary = false;
    bool hasNote = false;
};

class ICalendarReader {
  public:
    explicit ICalendarReader(const ToLocalTime& toLocal) : toLocal_(toLocal) {}

    ReadResult Read(std::string_view bytes);

  private:
    std::optional<Fault> Take(const ContentLine& line);
    std::optional<Fault> TakeProperty(const ContentLine& line, OpenTodo& todo);
    std::optional<Fault> TakeDue(const ContentLine& line, OpenTodo& todo);

    const ToLocalTime& toLocal_;
    // The components open, innermost last, with the line of their BEGIN.
    std::vector<std::pair<std::string, int>> open_;
    std::optional<OpenTodo> todo_;
    std::size_t todoDepth_ = 0;
    ReadResult result_;
};

ReadResult ICalendarReader::Read(std::string_view bytes) {
    result_ = ReadResult{};
    result_.kind = FileKind::kICalendar;
    std::optional<Fault> fault;
    const std::string text = DecodeText(bytes);
    for (const auto& [number, unfolded] : UnfoldedLines(text, fault)) {
        if (Trim(unfolded).empty()) {
            continue;  // blank lines between calendars are common and harmless
        }
        ContentLine line;
        line.line = number;
        if (!ParseContentLine(unfolded, line)) {
            fault = Fault{number, Quoted(unfolded) + " is not a line of an iCalendar file"};
            break;
        }
        if ((fault = Take(line))) {
            break;
        }
    }
    if (!fault && !open_.empty()) {
        fault = Fault{open_.back().second, "BEGIN:" + open_.back().first +
                                               " is never ended by END:" + open_.back().first};
    }
    if (fault) {
        ReadResult failed;
        failed.kind = FileKind::kICalendar;
        failed.errorLine = fault->line;
        failed.error = std::move(fault->words);
        return failed;
    }
    return std::move(result_);
}

std::optional<Fault> ICalendarReader::Take(const ContentLine& line) {
    if (line.name == "BEGIN") {
        const std::string component = AsciiUpper(Trim(line.value));
        if (open_.empty() && component != "VCALENDAR") {
            return Fault{line.line, "BEGIN:" + component + " stands outside a calendar"};
        }
        open_.emplace_back(component, line.line);
        if (component == "VTODO" && open_.size() == 2) {
            todo_.emplace();
            todoDepth_ = open_.size();
        }
        return std::nullopt;
    }
    if (line.name == "END") {
        const std::string component = AsciiUpper(Trim(line.value));
        if (open_.empty() || open_.back().first != component) {
            return Fault{line.line, open_.empty() ? "END:" + component + " ends nothing begun"
                                                  : "END:" + component + " stands where END:" +
                                                        open_.back().first + " was expected"};
        }
        if (todo_ && open_.size() == todoDepth_) {
            OpenTodo& todo = *todo_;
            if (todo.task.date.empty() && todo.task.time.empty()) {
                todo.task.time = todo.quilletTime;
            }
            result_.tasks.push_back({FitTask(todo.task, result_.changedTexts), todo.uid});
            todo_.reset();
        }
        open_.pop_back();
        return std::nullopt;
    }
    if (open_.empty()) {
        return Fault{line.line, "the line stands outside BEGIN:VCALENDAR and END:VCALENDAR"};
    }
    if (todo_ && open_.size() == todoDepth_) {
        return TakeProperty(line, *todo_);
    }
    return std::nullopt;  // the calendar's own properties and other components' lines
}

std::optional<Fault> ICalendarReader::TakeProperty(const ContentLine& line, OpenTodo& todo) {
    const std::string& name = line.name;
    if (name == "SUMMARY" && !todo.hasSummary) {
        todo.task.summary = Unescape(line.value);
        todo.hasSummary = true;
    } else if (name == "DESCRIPTION" && !todo.hasNote) {
        todo.task.note = Unescape(line.value);
        todo.hasNote = true;
    } else if (name == "UID") {
        todo.uid = Unescape(line.value);
    } else if (name == "CATEGORIES") {
        for (std::string& category : UnescapedList(line.value)) {
            todo.task.keyWords.push_back(std::move(category));
        }
    } else if (name == "PRIORITY") {
        const std::optional<int> level = Digits(Trim(line.value));
        if (!level || *level > 9) {
            return Fault{line.line,
                         "the priority " + Quoted(line.value) + " is not a number from 0 to 9"};
        }
        todo.task.priority = *level == 0   ? Priority::kNone
                             : *level <= 4 ? Priority::kHigh
                             : *level == 5 ? Priority::kMedium
                                           : Priority::kLow;
    } else if (name == "STATUS") {
        if (AsciiUpper(Trim(line.value)) == "COMPLETED") {
            todo.task.done = true;
        }
    } else if (name == "COMPLETED") {
        todo.task.done = true;
    } else if (name == "DUE") {
        return TakeDue(line, todo);
    } else if (name == "X-QUILLET-TIME") {
        if (const std::optional<Clock> clock = StoredClock(Trim(line.value))) {
            todo.quilletTime = StoredTime(*clock);
        }
    }
    return std::nullopt;
}

std::optional<Fault> ICalendarReader::TakeDue(const ContentLine& line, OpenTodo& todo) {
    const std::string_view value = Trim(line.value);
    const Fault unreadable{line.line, "the due date " + Quoted(value) +
                                          " is not a date (YYYYMMDD) or a date and time "
                                          "(YYYYMMDDTHHMMSS)"};
    const bool dateOnly = value.size() == 8;
    const bool utc = value.size() == 16 && value.back() == 'Z';
    if (!dateOnly && value.size() != 15 && !utc) {
        return unreadable;
    }
    if (AsciiUpper(line.Param("VALUE")) == "DATE" && !dateOnly) {
        return unreadable;
    }
    const std::optional<Day> day = StoredDay(value.substr(0, 8));
    if (!day) {
        return unreadable;
    }
    if (dateOnly) {
        todo.task.date = StoredDate(*day);
        todo.task.time.clear();
        return std::nullopt;
    }
    const auto hour = Digits(value.substr(9, 2));
    const auto minute = Digits(value.substr(11, 2));
    const auto second = Digits(value.substr(13, 2));
    if (value[8] != 'T' || !hour || !minute || !second || *hour > 23 || *minute > 59 ||
        *second > 60) {
        return unreadable;
    }
    WallTime due{day->year, day->month, day->day, *hour, *minute, *second};
    const std::string zone = utc ? std::string("UTC") : line.Param("TZID");
    if (!zone.empty()) {
        std::optional<WallTime> local;
        if (toLocal_) {
            local = toLocal_(due, zone);
        }
        if (!local || !rtl::IsValidDate(local->year, local->month, local->day) ||
            !rtl::IsValidTime(local->hour, local->minute, 0)) {
            return Fault{line.line, "the due time is given in the time zone " + Quoted(zone) +
                                        ", which cannot be turned into local time"};
        }
        due = *local;
    }
    todo.task.date = StoredDate({due.year, due.month, due.day});
    todo.task.time = StoredTime({due.hour, due.minute});
    return std::nullopt;
}

}  // namespace

ReadResult ReadICalendar(std::string_view bytes, const ToLocalTime& toLocal) {
    return ICalendarReader(toLocal).Read(bytes);
}

}  // namespace exchange
