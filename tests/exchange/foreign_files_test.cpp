// Files as other programs write them: iCalendar in its many shapes (folded lines, escapes,
// time zones, dates, several calendars, both line ends), texts the code page cannot hold, and
// malformed files of either kind, which give their line and no tasks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/closest_ansi.h"
#include "exchange/imported_task.h"
#include "exchange/task_readers.h"

namespace {

using exchange::WallTime;
using store::TaskEntry;

// The lines joined with `end` after each.
std::string Joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string out;
    for (const std::string& line : lines) {
        out += line + end;
    }
    return out;
}

// A stand-in for the system's zone data: UTC is two hours behind local time, "Europe/Berlin"
// one hour, "America/New_York" eight hours; no other zone is known.
std::optional<WallTime> FakeToLocal(const WallTime& time, std::string_view zone) {
    int shift = 0;
    if (zone == "UTC") {
        shift = 2;
    } else if (zone == "Europe/Berlin") {
        shift = 1;
    } else if (zone == "America/New_York") {
        shift = 8;
    } else {
        return std::nullopt;
    }
    WallTime local = time;
    local.hour += shift;
    if (local.hour >= 24) {  // the fixtures never cross a month's end
        local.hour -= 24;
        ++local.day;
    }
    return local;
}

struct Expected {
    TaskEntry entry;
    std::string uid;
};

TEST(ForeignICalendar, FilesInOtherProgramsShapesImportAsExpected) {
    // A desktop calendar's file: LF ends, a time-zone definition, a DUE in that zone,
    // a folded note (one continuation starting with a tab), two categories, an alarm whose
    // own DESCRIPTION must not become the note, lower-case names.
    const std::string desktop = Joined(
        {
            "BEGIN:VCALENDAR",
            "PRODID:-//Some Maker//Some Calendar//EN",
            "VERSION:2.0",
            "BEGIN:VTIMEZONE",
            "TZID:Europe/Berlin",
            "BEGIN:STANDARD",
            "DTSTART:19701025T030000",
            "TZOFFSETFROM:+0200",
            "TZOFFSETTO:+0100",
            "END:STANDARD",
            "END:VTIMEZONE",
            "BEGIN:VTODO",
            "CREATED:20240301T101010Z",
            "uid:1b2c-33@desktop.example",
            "SUMMARY:Call the plumber\\, then the bank\\; bring papers",
            "DUE;TZID=Europe/Berlin:20240310T090000",
            "PRIORITY:3",
            "STATUS:NEEDS-ACTION",
            "CATEGORIES:Home,Money",
            "DESCRIPTION:The tap in the kitchen drips.\\nAsk about the boiler\\, too. This ",
            " line was folded by the writer and goes on for a while so that it is lo",
            "\tnger than seventy-five octets.",
            "BEGIN:VALARM",
            "ACTION:DISPLAY",
            "DESCRIPTION:Reminder text",
            "TRIGGER:-PT15M",
            "END:VALARM",
            "END:VTODO",
            "END:VCALENDAR",
        },
        "\n");
    // A web calendar's export: CR LF ends, a DATE value, COMPLETED without STATUS, a
    // quoted TZID, a DUE in UTC, and a second calendar with an event among the to-dos.
    const std::string web = Joined(
        {
            "BEGIN:VCALENDAR",
            "VERSION:2.0",
            "BEGIN:VTODO",
            "UID:web-1",
            "SUMMARY:Pay rent",
            "DUE;VALUE=DATE:20240101",
            "COMPLETED:20240102T100000Z",
            "PRIORITY:0",
            "END:VTODO",
            "BEGIN:VTODO",
            "UID:web-2",
            "SUMMARY:Night flight",
            "DUE:20240615T220000Z",
            "PRIORITY:5",
            "END:VTODO",
            "END:VCALENDAR",
            "",
            "BEGIN:VCALENDAR",
            "VERSION:2.0",
            "BEGIN:VEVENT",
            "UID:event-1",
            "SUMMARY:Not a task",
            "END:VEVENT",
            "BEGIN:VTODO",
            "UID:web-3",
            "SUMMARY:Meeting notes",
            "DUE;TZID=\"America/New_York\":20240301T083000",
            "PRIORITY:6",
            "STATUS:COMPLETED",
            "CATEGORIES:Work",
            "CATEGORIES:Big project,Q1",
            "END:VTODO",
            "BEGIN:VTODO",
            "SUMMARY:No UID\\, no due date",
            "PRIORITY:9",
            "STATUS:IN-PROCESS",
            "END:VTODO",
            "END:VCALENDAR",
        },
        "\r\n");
    // Texts that do not fit: a long summary, key words wider than their field, and
    // characters the code page lacks (a Polish place name, a minus sign, a non-breaking
    // hyphen, a decomposed accent, an emoji, a Greek word).
    const std::string longSummary =
        "Renew the passport before the summer holidays begin in earnest this year";
    const std::string fitting = Joined(
        {
            "BEGIN:VCALENDAR",
            "BEGIN:VTODO",
            "UID:fit-1",
            "SUMMARY:" + longSummary,
            "DESCRIPTION:Photos needed.",
            "CATEGORIES:documents,travel,government,appointments,photographs,summertime",
            "PRIORITY:1",
            "END:VTODO",
            "BEGIN:VTODO",
            "UID:fit-2",
            "SUMMARY:Trip to \xC5\x81\xC3\xB3"
            "d\xC5\xBA \xE2\x88\x92 na\xC3\xAF"
            "ve",
            "DESCRIPTION:Cafe\xCC\x81 with \xE2\x80\x9C"
            "friends\xE2\x80\x9D \xF0\x9F\x98\x80",
            "CATEGORIES:\xCE\xB1\xCE\xB2,non\xE2\x80\x91stop",
            "END:VTODO",
            "END:VCALENDAR",
        },
        "\r\n");

    // A file whose lines end in CR CR LF, as some tools on Windows write it, folded all the same.
    const std::string doubledCr =
        Joined({"BEGIN:VCALENDAR", "BEGIN:VTODO", "UID:cr-1", "SUMMARY:Doubled", " line ends",
                "END:VTODO", "END:VCALENDAR"},
               "\r\r\n");

    struct Case {
        const char* name;
        std::string file;
        std::vector<Expected> tasks;
        int changedTexts;
    } cases[] = {
        {"desktop calendar",
         desktop,
         {{{"20240310", "10:00", "Call the plumber, then the bank; bring papers", "Home Money", "A",
            false,
            "The tap in the kitchen drips.\r\nAsk about the boiler, too. This line was folded by "
            "the writer and goes on for a while so that it is longer than seventy-five octets."},
           "1b2c-33@desktop.example"}},
         0},
        {"web calendar",
         web,
         {{{"20240101", "", "Pay rent", "", "", true, ""}, "web-1"},
          {{"20240616", "00:00", "Night flight", "", "B", false, ""}, "web-2"},
          {{"20240301", "16:30", "Meeting notes", "Work Big project Q1", "C", true, ""}, "web-3"},
          {{"", "", "No UID, no due date", "", "C", false, ""}, ""}},
         0},
        {"doubled CR", doubledCr, {{{"", "", "Doubledline ends", "", "", false, ""}, "cr-1"}}, 0},
        {"texts that do not fit",
         fitting,
         {{{"", "", "Renew the passport before the summer holidays begi",
            "documents travel government appointments photographs", "A", false,
            longSummary + "\r\nPhotos needed.\r\nKey words: summertime"},
           "fit-1"},
          {{"", "",
            "Trip to L\xF3"
            "dz - na\xEFve",
            "?? non-stop", "", false,
            "Caf\xE9 with \x93"
            "friends\x94 ?"},
           "fit-2"}},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const exchange::ReadResult read = exchange::ReadTasks(c.file, FakeToLocal);
        ASSERT_TRUE(read.ok()) << read.ErrorText();
        EXPECT_EQ(read.kind, exchange::FileKind::kICalendar);
        EXPECT_EQ(read.changedTexts, c.changedTexts);
        ASSERT_EQ(read.tasks.size(), c.tasks.size());
        for (std::size_t i = 0; i < c.tasks.size(); ++i) {
            SCOPED_TRACE(i);
            const TaskEntry& got = read.tasks[i].entry;
            const TaskEntry& want = c.tasks[i].entry;
            EXPECT_EQ(got.date, want.date);
            EXPECT_EQ(got.time, want.time);
            EXPECT_EQ(got.descript, want.descript);
            EXPECT_EQ(got.keys, want.keys);
            EXPECT_EQ(got.priority, want.priority);
            EXPECT_EQ(got.done, want.done);
            EXPECT_EQ(got.note, want.note);
            EXPECT_EQ(read.tasks[i].uid, c.tasks[i].uid);
        }
    }
}

TEST(ForeignICalendar, PriorityLevelsMapToThreeAndNone) {
    const std::pair<const char*, const char*> levels[] = {
        {"0", ""}, {"1", "A"}, {"4", "A"}, {"5", "B"}, {"6", "C"}, {"9", "C"}, {nullptr, ""}};
    for (const auto& [level, letter] : levels) {
        std::vector<std::string> lines = {"BEGIN:VCALENDAR", "BEGIN:VTODO", "SUMMARY:x"};
        if (level != nullptr) {
            lines.push_back(std::string("PRIORITY:") + level);
        }
        lines.insert(lines.end(), {"END:VTODO", "END:VCALENDAR"});
        const exchange::ReadResult read = exchange::ReadICalendar(Joined(lines, "\r\n"));
        ASSERT_TRUE(read.ok()) << read.ErrorText();
        ASSERT_EQ(read.tasks.size(), 1U);
        EXPECT_EQ(read.tasks[0].entry.priority, letter) << (level ? level : "none");
    }
}

TEST(ForeignFiles, MalformedFilesNameTheirLineAndGiveNoTasks) {
    const std::string todo = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:first\r\nEND:VTODO\r\n";
    const std::string header = "Description,Due date,Due time,Priority,Done,Key words,Note\r\n";
    const std::string row = "fine,2024-01-02,10:00,High,No,k,n\r\n";
    struct Case {
        const char* name;
        std::string file;
        int line;
        bool withZones = true;
    } cases[] = {
        {"unterminated VTODO", todo + "BEGIN:VTODO\r\nSUMMARY:second\r\nEND:VCALENDAR\r\n", 7},
        {"VTODO never ended at the end", todo + "BEGIN:VTODO\r\nSUMMARY:second\r\n", 5},
        {"calendar never ended", todo, 1},
        {"bad DUE", todo + "BEGIN:VTODO\r\nDUE:2024-01-02\r\nEND:VTODO\r\nEND:VCALENDAR\r\n", 6},
        {"no such day", todo + "BEGIN:VTODO\r\nDUE:20240230T100000\r\nEND:VTODO\r\n", 6},
        {"time in a date value",
         todo + "BEGIN:VTODO\r\nDUE;VALUE=DATE:20240102T100000\r\nEND:VTODO\r\n", 6},
        {"unknown zone",
         todo + "BEGIN:VTODO\r\nDUE;TZID=Mars/Olympus:20240102T100000\r\nEND:VTODO\r\n", 6},
        {"zone without a converter",
         todo + "BEGIN:VTODO\r\nDUE:20240102T100000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n", 6, false},
        {"bad priority", todo + "BEGIN:VTODO\r\nPRIORITY:high\r\nEND:VTODO\r\n", 6},
        {"not a content line", todo + "BEGIN:VTODO\r\njust some words\r\nEND:VTODO\r\n", 6},
        {"unclosed quote in a parameter",
         todo + "BEGIN:VTODO\r\nDUE;TZID=\"Europe/Berlin:20240102T100000\r\n", 6},
        {"END of another component", todo + "BEGIN:VTODO\r\nEND:VEVENT\r\n", 6},
        {"text after the calendar", todo + "END:VCALENDAR\r\nSUMMARY:stray\r\n", 6},
        {"continuation first", " BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", 1},
        {"wrong header", "Task,Date,Time,Priority,Done,Keys,Note\r\n" + row, 1},
        {"no header at all", "", 1},
        {"quote never closed", header + row + "\"open,,,,,,\r\nmore\r\n", 3},
        {"text after a closing quote", header + row + "\"a\"b,,,,,,\r\n", 3},
        {"quote inside a bare field", header + row + "a\"b,,,,,,\r\n", 3},
        {"too few fields", header + row + "a,,,,\r\n", 3},
        {"bad date", header + row + "a,02/01/2024,,,,,\r\n", 3},
        {"bad time", header + row + "a,,25:00,,,,\r\n", 3},
        {"bad priority column", header + row + "a,,,Urgent,,,\r\n", 3},
        {"bad done column", header + row + "a,,,,Maybe,,\r\n", 3},
        {"error after a multi-line note", header + "a,,,,,,\"one\r\ntwo\"\r\nb,,,,x,,\r\n", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const exchange::ReadResult read =
            c.withZones ? exchange::ReadTasks(c.file, FakeToLocal) : exchange::ReadTasks(c.file);
        EXPECT_FALSE(read.ok());
        EXPECT_FALSE(read.error.empty());
        EXPECT_EQ(read.errorLine, c.line) << read.ErrorText();
        EXPECT_TRUE(read.tasks.empty());
        EXPECT_EQ(read.ErrorText().rfind("Line " + std::to_string(c.line) + ": ", 0), 0U);
    }
}

// CSV from other programs: LF ends, a byte-order mark, blank lines, a note with bare LF
// breaks, words in any letter case, and a file that is not UTF-8 but Windows-1252.
TEST(ForeignFiles, CsvInOtherShapesImports) {
    const std::string file =
        "\xEF\xBB\xBF"
        "Description,Due date,Due time,Priority,Done,Key words,Note\n"
        "\n"
        "Plain,2024-03-05,7:30,HIGH,yes,a b,\"one\ntwo\rthree\"\n"
        "\"Quoted, with comma\",,,low,,,\n";
    const exchange::ReadResult read = exchange::ReadTasks(file);
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    ASSERT_EQ(read.tasks.size(), 2U);
    EXPECT_EQ(read.tasks[0].entry.date, "20240305");
    EXPECT_EQ(read.tasks[0].entry.time, "07:30");
    EXPECT_EQ(read.tasks[0].entry.priority, "A");
    EXPECT_TRUE(read.tasks[0].entry.done);
    EXPECT_EQ(read.tasks[0].entry.keys, "a b");
    EXPECT_EQ(read.tasks[0].entry.note, "one\r\ntwo\r\nthree");
    EXPECT_EQ(read.tasks[1].entry.descript, "Quoted, with comma");
    EXPECT_EQ(read.tasks[1].entry.priority, "C");
    EXPECT_FALSE(read.tasks[1].entry.done);

    const exchange::ReadResult ansi = exchange::ReadTasks(
        "Description,Due date,Due time,Priority,Done,Key words,Note\r\nCaf\xE9 \x80,,,,No,,\r\n");
    ASSERT_TRUE(ansi.ok()) << ansi.ErrorText();
    ASSERT_EQ(ansi.tasks.size(), 1U);
    EXPECT_EQ(ansi.tasks[0].entry.descript, "Caf\xE9 \x80");
    EXPECT_EQ(ansi.changedTexts, 0);

    // One stray byte in a UTF-8 file spoils that character alone.
    const exchange::ReadResult mixed = exchange::ReadTasks(
        "Description,Due date,Due time,Priority,Done,Key words,Note\r\n"
        "Caf\xC3\xA9 \xE9,,,,No,,\r\n");
    ASSERT_TRUE(mixed.ok()) << mixed.ErrorText();
    ASSERT_EQ(mixed.tasks.size(), 1U);
    EXPECT_EQ(mixed.tasks[0].entry.descript, "Caf\xE9 ?");
    EXPECT_EQ(mixed.changedTexts, 1);
}

// How a task from a file is fitted into the record's widths: nothing lost, only moved to the
// note.
TEST(ForeignFiles, TextsWiderThanTheirFieldsMoveToTheNote) {
    const std::string fifty(50, 'd');
    const std::string seventy(70, 'k');
    struct Case {
        const char* name;
        std::string summary;
        std::vector<std::string> keyWords;
        std::string note;
        TaskEntry want;  // only descript, keys and note are compared
    } cases[] = {
        {"summary of exactly fifty", fifty, {}, "n", {"", "", fifty, "", "", false, "n"}},
        {"summary of fifty-one",
         fifty + "e",
         {},
         "n",
         {"", "", fifty, "", "", false, fifty + "e\r\nn"}},
        {"cut before a blank",
         std::string(49, 'd') + " tail",
         {},
         "",
         {"", "", std::string(49, 'd'), "", "", false, std::string(49, 'd') + " tail"}},
        {"line breaks in the summary",
         "one\ntwo\r\nthree",
         {},
         "",
         {"", "", "one two  three", "", "", false, ""}},
        {"key words of sixty exactly",
         "s",
         {std::string(29, 'a') + " " + std::string(20, 'b'), std::string(9, 'c')},
         "",
         {"", "", "s",
          std::string(29, 'a') + " " + std::string(20, 'b') + " " + std::string(9, 'c'), "", false,
          ""}},
        {"one word wider than the field",
         "s",
         {seventy, "x"},
         "n",
         {"", "", "s", std::string(60, 'k'), "", false, "n\r\nKey words: " + seventy + " x"}},
        {"words past the field, blanks and tabs between",
         "s",
         {"  alpha\tbeta  ", std::string(50, 'g'), "z"},
         "",
         {"", "", "s", "alpha beta", "", false, "Key words: " + std::string(50, 'g') + " z"}},
        {"line breaks of every kind in the note",
         "s",
         {},
         "a\nb\rc\r\nd",
         {"", "", "s", "", "", false, "a\r\nb\r\nc\r\nd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exchange::ForeignTask task;
        task.summary = c.summary;
        task.keyWords = c.keyWords;
        task.note = c.note;
        int changed = 0;
        const TaskEntry got = exchange::FitTask(task, changed);
        EXPECT_EQ(got.descript, c.want.descript);
        EXPECT_EQ(got.keys, c.want.keys);
        EXPECT_EQ(got.note, c.want.note);
        EXPECT_EQ(changed, 0);
    }
}

TEST(ClosestAnsi, KeepsWhatTheCodePageHoldsAndNearsTheRest) {
    struct Case {
        std::string utf8;
        std::string ansi;
        bool changed;
    } cases[] = {
        {"plain", "plain", false},
        {"caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x94 \xE2\x80\xA6",
         "caf\xE9 \x80 \x93q\x94 \x97 \x85", false},
        {"e\xCC\x81 A\xCC\x8A S\xCC\x8C", "\xE9 \xC5 \x8A", false},  // decomposed accents
        {"\xC4\x8D\xC5\x99\xC5\x91 \xC4\xB1 \xC5\x82", "cro i l", true},
        {"\xE1\xBA\xA1\xE1\xBB\x87", "ae", true},  // Vietnamese letters
        {"x\xCC\x81y", "xy", true},                // an accent no letter takes
        {"a\xE2\x80\x90"
         "b\xE2\x88\x92"
         "c\xE2\x80\xB2",
         "a-b-c'", true},
        {"a\xE2\x80\x89"
         "b\xE2\x80\x8B"
         "c",
         "a bc", true},  // thin space, zero width
        {"\xEF\xAC\x81 \xCE\xA9 \xF0\x9F\x98\x80", "? ? ?", true},
        {"bad \xC3 byte", "bad ? byte", true},
        {"\xC4\xB2 \xE2\x84\x96", "IJ No", true},
        {std::string("a\x01"
                     "b\0c\x7F\td\r\n",
                     10),
         "abc\td\r\n", true},
    };
    for (const Case& c : cases) {
        const exchange::AnsiText got = exchange::ClosestAnsi(c.utf8);
        EXPECT_EQ(got.text, c.ansi) << c.utf8;
        EXPECT_EQ(got.changed, c.changed) << c.utf8;
    }
}

TEST(ForeignFiles, KindIsToldByContent) {
    const std::pair<std::string, exchange::FileKind> cases[] = {
        {"BEGIN:VCALENDAR\r\n", exchange::FileKind::kICalendar},
        {"\xEF\xBB\xBF\r\n\n  begin:vcalendar\n", exchange::FileKind::kICalendar},
        {"Description,Due date\r\n", exchange::FileKind::kCsv},
        {"BEGIN:VCAL", exchange::FileKind::kCsv},
        {"", exchange::FileKind::kCsv},
    };
    for (const auto& [bytes, kind] : cases) {
        EXPECT_EQ(exchange::KindOf(bytes), kind) << bytes;
    }
}

}  // namespace
