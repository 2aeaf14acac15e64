// Tasks in and out of real task files: "quillet --import" with its exit codes and counts,
// round trips through iCalendar and CSV into a fresh folder, time zones on the system's data,
// and the Import Tasks window's list.
#include "ui/exchange/task_exchange.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include "controls/ods_help.h"
#include "platform/ui/help_viewer.h"
#include "platform/xbase/sx.h"
#include "store/display_fields.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "store_test_support.h"
#include "ui/exchange/import_form.h"
#include "ui/exchange/zone_conversion.h"

namespace {

using store_test::Task;

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Every task of the task table in `dir`, each field as stored (deleted records left out),
// read through the engine on an area of its own.
std::vector<std::string> StoredTasks(const std::string& dir) {
    std::vector<std::string> tasks;
    const int area = sx_Use(dir + "QUILX.DBF", "READBACK", 1, 2);
    EXPECT_NE(area, 0) << sx_LastStatus().message();
    for (int n = 1; area != 0 && n <= sx_RecCount(); ++n) {
        sx_Go(n);
        if (sx_Deleted()) {
            continue;
        }
        tasks.push_back(sx_GetTrimString("DATE") + "|" + sx_GetTrimString("TIME") + "|" +
                        sx_GetTrimString("DESCRIPT") + "|" + sx_GetTrimString("KEYS") + "|" +
                        sx_GetTrimString("PRIORITY") + "|" + (sx_GetLogical("DONE") ? "T" : "F") +
                        "|" + sx_GetMemo("NOTE"));
    }
    if (area != 0) {
        sx_Close();
    }
    return tasks;
}

class TaskExchangeTest : public store_test::StoreTest {
  protected:
    // A second folder beside the first, for the far end of a round trip.
    std::string OtherDir() {
        const std::string other = Dir() + "other/";
        std::filesystem::create_directories(other);
        return other;
    }
    int Import(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
        out.clear();
        err.clear();
        sx_CloseAll();
        return exchange_flow::RunImportCommandLine(arguments, Dir(), exchange_flow::SystemZones(),
                                                   out, err);
    }
};

constexpr char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//Made//EN\r\n"
    "BEGIN:VTODO\r\nUID:one@example.org\r\nSUMMARY:Call the bank\\, then the shop\r\n"
    "DUE;VALUE=DATE:20260315\r\nPRIORITY:1\r\nEND:VTODO\r\n"
    "BEGIN:VTODO\r\nUID:two@example.org\r\nSUMMARY:Caf\xC3\xA9 \xE2\x98\x95 order\r\n"
    "STATUS:COMPLETED\r\nCATEGORIES:home,errands\r\nEND:VTODO\r\n"
    "END:VCALENDAR\r\n";

TEST_F(TaskExchangeTest, ImportCommandLineAddsCountsAndExitsAsDocumented) {
    MakeTaskFile(store::kTaskTableName, {}, true);
    WriteFile(PathOf("tasks.ics"), kCalendar);
    WriteFile(PathOf("broken.ics"),
              "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:Lost\r\nEND:VCALENDAR\r\n");
    WriteFile(PathOf("sheet.csv"),
              "Description,Due date,Due time,Priority,Done,Key words,Note\r\n"
              "Water the plants,2026-04-01,08:30,Low,No,home,\r\n");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int code;
        std::string out;  // a line the output holds ("" for none)
        std::string err;  // a line the errors hold
        int tasksAfter;
    };
    const std::string ics = PathOf("tasks.ics");
    const std::vector<Case> cases = {
        {"no file", {"--import"}, 2, "", exchange_flow::kImportUsage, 0},
        {"an unknown option", {"--import", ics, "--fast"}, 2, "", "usage:", 0},
        {"--dir twice", {"--import", ics, "--dir", Dir(), "--dir", Dir()}, 2, "", "usage:", 0},
        {"a missing file",
         {"--import", PathOf("none.ics")},
         1,
         "",
         "cannot be imported: there is no such file",
         0},
        {"a missing folder",
         {"--import", ics, "--dir", Dir() + "nowhere"},
         1,
         "",
         "There is no folder",
         0},
        {"a malformed file",
         {"--import", PathOf("broken.ics")},
         1,
         "",
         "cannot be imported: Line 4:",
         0},
        {"iCalendar", {"--import", ics}, 0, "Added 2 tasks from", "", 2},
        {"the same file again",
         {"--import", ics, "--dir", Dir()},
         0,
         "Left out 2 tasks imported before",
         "",
         2},
        {"CSV", {"--import", PathOf("sheet.csv")}, 0, "Added 1 task from", "", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out;
        std::string err;
        EXPECT_EQ(Import(c.arguments, out, err), c.code) << out << err;
        EXPECT_NE(out.find(c.out), std::string::npos) << out;
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
        EXPECT_EQ(c.code == 0, err.empty()) << err;
        EXPECT_EQ(StoredTasks(Dir()).size(), static_cast<std::size_t>(c.tasksAfter));
    }
    std::string out;
    std::string err;
    // The first import changed one text (the cup has no place in the code page).
    TearDown();
    SetUp();
    MakeTaskFile(store::kTaskTableName, {}, true);
    WriteFile(PathOf("tasks.ics"), kCalendar);
    ASSERT_EQ(Import({"--import", PathOf("tasks.ics")}, out, err), 0) << err;
    EXPECT_NE(out.find("Changed 1 text to the closest letters"), std::string::npos) << out;
    EXPECT_EQ(StoredTasks(Dir()),
              (std::vector<std::string>{"20260315||Call the bank, then the shop||A|F|",
                                        "||Caf\xE9 ? order|home errands||T|"}));
}

TEST_F(TaskExchangeTest, TasksComeBackWholeThroughBothFormatsIntoAFreshFolder) {
    const std::vector<Task> tasks = {
        {"20260115", "09:30", "Call the bank, ask; \"why\"", "Ask about\r\nthe fee", false,
         "money call", "A"},
        {"20260301", "", "Water the plants", "", true, "home", "C"},
        {"", "", "Caf\xE9 na\xEFve \x80 note", "Line \\ one\r\n\r\nLine, three", false, "", "B"},
        {"20261231", "23:59", "", "", false, "", ""},
    };
    for (const bool icalendar : {true, false}) {
        SCOPED_TRACE(icalendar ? "iCalendar" : "CSV");
        TearDown();
        SetUp();
        MakeTaskFile(store::kTaskTableName, tasks, true);
        const std::vector<std::string> before = StoredTasks(Dir());
        const std::string file = PathOf(icalendar ? "out.ics" : "out.csv");
        std::vector<std::string> uids;
        {
            store::RecordingSink sink;
            store::TTaskStore store(Dir(), sink, sink);
            ASSERT_TRUE(store.Start());
            ASSERT_TRUE(store.OpenTaskTable(false));
            store.TodoEngine.SetOrder(0);  // record order, as the files compare
            const xbase::Status status = exchange_flow::ExportTaskSet(store, file, icalendar);
            ASSERT_TRUE(status.ok()) << status.message();
            for (int n = 1; n <= 4; ++n) {
                uids.push_back(store.Uids.StoredUid(n));
            }
        }
        sx_CloseAll();
        std::string out;
        std::string err;
        const std::string other = OtherDir();
        ASSERT_EQ(exchange_flow::RunImportCommandLine({"--import", file, "--dir", other}, Dir(),
                                                      exchange_flow::SystemZones(), out, err),
                  0)
            << err;
        EXPECT_NE(out.find("Added 4 tasks"), std::string::npos) << out;
        EXPECT_EQ(StoredTasks(other), before);
        if (icalendar) {
            // The UIDs travel with the tasks, and the exported ones are known there.
            store::TTaskUids far;
            ASSERT_TRUE(far.OpenReadOnly(other).ok());
            for (int n = 1; n <= 4; ++n) {
                EXPECT_EQ(far.StoredUid(n), uids[static_cast<std::size_t>(n) - 1]);
            }
        }
        // The same file once more adds nothing.
        ASSERT_EQ(exchange_flow::RunImportCommandLine({"--import", file, "--dir", other}, Dir(),
                                                      exchange_flow::SystemZones(), out, err),
                  0)
            << err;
        EXPECT_EQ(StoredTasks(other), before);
    }
}

TEST_F(TaskExchangeTest, ATaskAddedByAnotherProgramKeepsTheUidAReaderGaveItBeforeTheOpen) {
    MakeTaskFile(store::kTaskTableName, {Task{"20260301", "", "Known", "", false, "", "B"}}, true);
    auto uidLines = [](const std::string& text) {
        std::vector<std::string> lines;
        for (std::size_t at = text.find("\r\nUID:"); at != std::string::npos;
             at = text.find("\r\nUID:", at + 1)) {
            lines.push_back(text.substr(at + 2, text.find("\r\n", at + 2) - at - 2));
        }
        return lines;
    };
    std::vector<std::string> exports;
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        sx_CloseAll();
        store::RecordingSink sink;
        store::TTaskStore store(Dir(), sink, sink);
        ASSERT_TRUE(store.Start());
        if (pass == 1) {
            // A reader, as quillet-report is: the table read-only, the companion not written.
            store.TodoTable.SetDatabaseName(store.ProgramDir());
            store.TodoTable.SetTableName(store::kTaskTableName);
            store.TodoTable.SetReadOnly(true);
            ASSERT_EQ(store.TodoTable.Open(), store::dbi::kOk);
            store.Uids.OpenReadOnly(Dir());
        } else {
            ASSERT_TRUE(store.OpenTaskTable(false));
        }
        store.TodoEngine.SetOrder(0);
        const std::string file = PathOf("pass" + std::to_string(pass) + ".ics");
        ASSERT_TRUE(exchange_flow::ExportTaskSet(store, file, true).ok());
        exports.push_back(FileText(file));
        store.TodoTable.Close();
        if (pass == 0) {
            // Another program adds a task with every field filled in.
            sx_CloseAll();
            ASSERT_NE(sx_Use(PathOf(store::kTaskTableName), "OTHERPRG", 2, 2), 0);
            AppendTasks({Task{"20260402", "07:45", "Added elsewhere", "A note\r\nof two lines",
                              true, "far away", "c"}});
            sx_Close();
        }
    }
    const std::vector<std::string> before = uidLines(exports[1]);
    const std::vector<std::string> after = uidLines(exports[2]);
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(uidLines(exports[0])[0], before[0]);
    EXPECT_EQ(after, before);
}

TEST(SystemZones, DueTimesMoveToTheLocalClockFromEveryKindOfZoneName) {
    // The local clock for this test: an hour ahead of UTC in March.
    ASSERT_EQ(setenv("TZ", "Europe/Berlin", 1), 0);
    tzset();
    const exchange::ToLocalTime toLocal = exchange_flow::SystemZones();
    struct Case {
        const char* zone;
        exchange::WallTime in;
        std::optional<exchange::WallTime> local;
    };
    const Case cases[] = {
        {"UTC", {2026, 3, 1, 23, 30, 0}, exchange::WallTime{2026, 3, 2, 0, 30, 0}},
        {"America/New_York", {2026, 3, 1, 9, 0, 0}, exchange::WallTime{2026, 3, 1, 15, 0, 0}},
        {"Eastern Standard Time", {2026, 3, 1, 9, 0, 0}, exchange::WallTime{2026, 3, 1, 15, 0, 0}},
        {"/example.org/20050126_1/America/New_York",
         {2026, 3, 1, 9, 0, 0},
         exchange::WallTime{2026, 3, 1, 15, 0, 0}},
        {"Nowhere/At_All", {2026, 3, 1, 9, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        EXPECT_EQ(toLocal(c.in, c.zone), c.local);
    }
}

TEST(ImportForm, ListsTheFirstTasksAndSaysWhatTheImportDoes) {
    exchange_flow::ImportReading reading;
    for (int n = 1; n <= 12; ++n) {
        reading.plan.tasks.push_back(
            {store::TaskEntry{
                 .date = "20260301", .descript = "Task " + std::to_string(n), .priority = "a"},
             ""});
    }
    reading.plan.alreadyThere = 1;
    reading.changedTexts = 2;
    TImportForm form(reading);
    ASSERT_EQ(form.TaskList()->topLevelItemCount(), TImportForm::kFirstRows);
    const QTreeWidgetItem* first = form.TaskList()->topLevelItem(0);
    EXPECT_EQ(first->text(0), QStringLiteral("Task 1"));
    EXPECT_EQ(first->text(1), QString::fromStdString(store::ShowDate("20260301")));
    EXPECT_EQ(first->text(3), QStringLiteral("High"));
    // What's-this speaks with the window's own texts, as on the other windows.
    const controls::TODSHelp* help = controls::TODSHelp::Of(&form);
    ASSERT_NE(help, nullptr);
    for (const char* name : {"TaskList", "AddButton", "SummaryLabel"}) {
        const std::optional<controls::THelpRecord> record = help->Lookup(QString::fromLatin1(name));
        ASSERT_TRUE(record && record->text) << name;
        const auto* control = form.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->accessibleDescription(), *record->text) << name;
    }
    EXPECT_EQ(exchange_flow::ImportSummary(reading),
              "12 tasks are new. 2 texts hold characters the task file cannot keep; they will be "
              "changed to the closest letters. 1 task was imported before or is in the task file "
              "already, and will be left out.");
}

TEST(ExchangeHelp, TheImportAndExportTopicsAreInTheHelpFile) {
    ui::HelpFile file;
    ASSERT_EQ(file.Load(QStringLiteral(QUILLET_HELP_FILE)), ui::HelpFile::Status::Ok);
    for (int context : {3301, 3302}) {
        SCOPED_TRACE(context);
        const std::optional<QString> page = file.TopicPage(context);
        ASSERT_TRUE(page.has_value());
        EXPECT_GT(page->size(), 600);  // a real description, not a stub
    }
}

}  // namespace
