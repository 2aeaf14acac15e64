// Tasks through iCalendar and CSV and back, every stored field to the byte; the writers'
// exact lines; folding that keeps lines short and UTF-8 whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/task_readers.h"
#include "exchange/task_writers.h"

namespace {

using exchange::FileKind;
using store::TaskEntry;

const exchange::UtcStamp kStamp{2026, 12, 9, 8, 5, 3};

std::string Calendar(const std::vector<TaskEntry>& tasks) {
    std::string out = exchange::VcalendarBegin();
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        out += exchange::Vtodo(tasks[i], "uid-" + std::to_string(i) + "@x;y,z", kStamp);
    }
    return out + exchange::VcalendarEnd();
}

std::string Table(const std::vector<TaskEntry>& tasks) {
    std::string out = exchange::CsvHeaderLine();
    for (const TaskEntry& task : tasks) {
        out += exchange::CsvRow(task);
    }
    return out;
}

void ExpectSameTask(const TaskEntry& got, const TaskEntry& want) {
    EXPECT_EQ(got.date, want.date);
    EXPECT_EQ(got.time, want.time);
    EXPECT_EQ(got.descript, want.descript);
    EXPECT_EQ(got.keys, want.keys);
    EXPECT_EQ(got.priority, want.priority);
    EXPECT_EQ(got.done, want.done);
    EXPECT_EQ(got.note, want.note);
}

// Windows-1252 letters the code page has (e-acute, the euro sign, u-umlaut, curly quotes, an
// en dash), the characters each format escapes or quotes, notes with CR LF line breaks
// (leading, trailing, doubled), texts at the fields' full widths, and a note long enough to
// be folded many times with two-byte and three-byte characters at every offset.
std::vector<TaskEntry> EveryKindOfTask() {
    std::string longNote;
    for (int i = 0; i < 40; ++i) {
        longNote += std::string(static_cast<std::size_t>(i % 3), 'x') + "\xE9\x80\x93";
    }
    return {
        {"20271231", "23:59",
         "Caf\xE9 \x80 5, \xFC"
         "ber \"quoted\"; back\\slash",
         "work home", "A", false,
         "Line 1, with; semicolons\r\n\"Quoted\" \\ back\\n\r\n\r\n\xE9\x80\xFC end"},
        {"", "", "", "", "", false, ""},
        {"20270101", "", "Date without time", "", "C", true, "\r\nleading and trailing\r\n"},
        {"", "07:05", "Time without date", "solo", "B", false, "  two blanks around  "},
        {"19991231", "00:00", std::string(50, 'D'),
         std::string(29, 'k') + " " + std::string(30, 'w'), "B", true, longNote},
        {"20270210", "12:30",
         "\x93"
         "curly\x94 \x96 dash",
         "a,b c;d e\\f", "C", false, "comma,\r\n,\r\nquote\"\"\r\n"},
    };
}

TEST(ExchangeRoundTrip, EveryStoredFieldComesBackByteForByte) {
    const std::vector<TaskEntry> tasks = EveryKindOfTask();
    struct Case {
        FileKind kind;
        std::string file;
    } cases[] = {{FileKind::kICalendar, Calendar(tasks)}, {FileKind::kCsv, Table(tasks)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind == FileKind::kICalendar ? "iCalendar" : "CSV");
        EXPECT_EQ(exchange::KindOf(c.file), c.kind);
        const exchange::ReadResult read = exchange::ReadTasks(c.file);
        ASSERT_TRUE(read.ok()) << read.ErrorText();
        EXPECT_EQ(read.kind, c.kind);
        EXPECT_EQ(read.changedTexts, 0);
        ASSERT_EQ(read.tasks.size(), tasks.size());
        for (std::size_t i = 0; i < tasks.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectSameTask(read.tasks[i].entry, tasks[i]);
            EXPECT_EQ(read.tasks[i].uid, c.kind == FileKind::kICalendar
                                             ? "uid-" + std::to_string(i) + "@x;y,z"
                                             : std::string());
        }
    }
}

// Lower-case priorities read as the grid reads them, and values the grid shows as nothing
// (no real day, no real time, an unknown priority) are left out rather than written wrong.
TEST(ExchangeRoundTrip, StoredValuesTheGridDoesNotShowAreLeftOut) {
    const std::vector<TaskEntry> tasks = {
        {"20270230", "25:00", "No such day or time", "", "x", false, ""},
        {"2027011", "9:05", "Short date, short hour", "", "b", false, ""},
    };
    const std::vector<TaskEntry> expected = {
        {"", "", "No such day or time", "", "", false, ""},
        {"", "09:05", "Short date, short hour", "", "B", false, ""},
    };
    for (const std::string& file : {Calendar(tasks), Table(tasks)}) {
        const exchange::ReadResult read = exchange::ReadTasks(file);
        ASSERT_TRUE(read.ok()) << read.ErrorText();
        ASSERT_EQ(read.tasks.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ExpectSameTask(read.tasks[i].entry, expected[i]);
        }
    }
}

TEST(ExchangeWriters, WriteTheLinesOtherProgramsRead) {
    const TaskEntry full{"20271231", "09:05", "Caf\xE9, \x80; a\\b", "work  home",
                         "a",        true,    "One\r\nTwo"};
    EXPECT_EQ(exchange::VcalendarBegin() + exchange::Vtodo(full, "u;1", kStamp) +
                  exchange::VcalendarEnd(),
              "BEGIN:VCALENDAR\r\n"
              "VERSION:2.0\r\n"
              "PRODID:-//Quillet//Quillet to-do list//EN\r\n"
              "BEGIN:VTODO\r\n"
              "UID:u\\;1\r\n"
              "DTSTAMP:20261209T080503Z\r\n"
              "SUMMARY:Caf\xC3\xA9\\, \xE2\x82\xAC\\; a\\\\b\r\n"
              "DUE:20271231T090500\r\n"
              "PRIORITY:1\r\n"
              "STATUS:COMPLETED\r\n"
              "CATEGORIES:work,home\r\n"
              "DESCRIPTION:One\\nTwo\r\n"
              "END:VTODO\r\n"
              "END:VCALENDAR\r\n");
    struct Case {
        TaskEntry task;
        std::string ics;  // the lines between SUMMARY and END:VTODO
        std::string csv;
    } cases[] = {
        {{"20270102", "", "d", "", "B", false, ""},
         "DUE;VALUE=DATE:20270102\r\nPRIORITY:5\r\nSTATUS:NEEDS-ACTION\r\n",
         "d,2027-01-02,,Medium,No,,\r\n"},
        {{"", "", "", "", "C", false, ""},
         "PRIORITY:9\r\nSTATUS:NEEDS-ACTION\r\n",
         ",,,Low,No,,\r\n"},
        {{"", "", " x ", "", "", true, "a\r\n\"b\""},
         "STATUS:COMPLETED\r\nDESCRIPTION:a\\n\"b\"\r\n",
         "\" x \",,,,Yes,,\"a\r\n\"\"b\"\"\"\r\n"},
    };
    for (const Case& c : cases) {
        const std::string todo = exchange::Vtodo(c.task, "u", kStamp);
        const std::size_t summaryEnd = todo.find("\r\n", todo.find("SUMMARY:")) + 2;
        EXPECT_EQ(todo.substr(summaryEnd), c.ics + "END:VTODO\r\n");
        EXPECT_EQ(exchange::CsvRow(c.task), c.csv);
    }
    EXPECT_EQ(exchange::CsvHeaderLine(),
              "Description,Due date,Due time,Priority,Done,Key words,Note\r\n");
    EXPECT_EQ(exchange::CsvRow(full),
              "\"Caf\xC3\xA9, \xE2\x82\xAC; a\\b\",2027-12-31,09:05,High,Yes,work  "
              "home,\"One\r\nTwo\"\r\n");
}

// However the bytes fall, no physical line passes 75 octets, none starts inside a UTF-8
// sequence, and unfolding gives the line back.
TEST(ExchangeWriters, FoldingKeepsLinesShortAndCharactersWhole) {
    const std::string pieces[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    for (std::size_t length = 70; length < 240; length += 7) {
        for (std::size_t shift = 0; shift < 4; ++shift) {
            std::string line = "DESCRIPTION:";
            for (std::size_t i = 0; line.size() < length; ++i) {
                line += pieces[(i + shift) % 4];
            }
            const std::string folded = exchange::FoldContentLine(line);
            std::string unfolded;
            std::size_t start = 0;
            while (start < folded.size()) {
                const std::size_t end = folded.find("\r\n", start);
                ASSERT_NE(end, std::string::npos);
                const std::string physical = folded.substr(start, end - start);
                EXPECT_LE(physical.size(), 75U);
                const std::string content = start == 0 ? physical : physical.substr(1);
                if (start != 0) {
                    EXPECT_EQ(physical[0], ' ');
                }
                ASSERT_FALSE(content.empty());
                EXPECT_NE(static_cast<unsigned char>(content[0]) & 0xC0, 0x80) << line;
                unfolded += content;
                start = end + 2;
            }
            EXPECT_EQ(unfolded, line);
        }
    }
}

}  // namespace
