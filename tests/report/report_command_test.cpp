// quillet-report: every option reaching the file, bad command lines (exit 2), a missing task
// file or an unwritable output (exit 1), and the real program run without a display.
#include "report/export/report_command.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "exchange/task_readers.h"
#include "report_test_support.h"
#include "rtl/date_time.h"
#include "rtl/text.h"
#include "store/display_fields.h"
#include "store/task_uids.h"

namespace {

class ReportCommandTest : public report_test::ReportStoreTest {
  protected:
    // Tasks dated from today, in record order: Report, Groceries, Archive (done), Call, Dentist.
    void SetUp() override {
        ReportStoreTest::SetUp();
        const rtl::TDateTime today = rtl::Today();
        auto day = [today](int offset) { return store::DateToStored(today + offset); };
        MakeTaskFile(store::kTaskTableName,
                     {{day(2), "10:00", "Report", "", false, "work", "A"},
                      {day(-3), "", "Groceries", "", false, "home", "B"},
                      {day(10), "", "Archive", "", true, "work,old", "C"},
                      {day(0), "08:15", "Call", "ring back", false, "", "A"},
                      {"", "", "Dentist", "", false, "health", "B"}},
                     true);
    }

    int Run(std::vector<std::string> args) {
        std::ostringstream err;
        const int code = report::ReportMain(args, measure_, err);
        err_ = err.str();
        return code;
    }
    // The task descriptions of a text export, in file order.
    std::vector<std::string> Tasks(const std::string& file) {
        std::vector<std::string> tasks;
        std::istringstream in(ReadFile(file));
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            if (++number > 5 && line.rfind("   ", 0) != 0) {
                tasks.push_back(rtl::TrimSpaces(line.substr(0, 50)));
            }
        }
        return tasks;
    }

    report_test::FixedMeasure measure_;
    std::string err_;
};

TEST_F(ReportCommandTest, FilterAndOrderOptionsChooseTheTasks) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> tasks;
    } cases[] = {
        {{}, {"Dentist", "Groceries", "Call", "Report"}},
        {{"--show-done"}, {"Dentist", "Groceries", "Call", "Report", "Archive"}},
        {{"--order", "descript"}, {"Call", "Dentist", "Groceries", "Report"}},
        {{"--order", "priority", "--show-done"},
         {"Call", "Report", "Dentist", "Groceries", "Archive"}},
        {{"--order", "record"}, {"Report", "Groceries", "Call", "Dentist"}},
        {{"--order", "datetime", "--date", "6"}, {"Groceries"}},
        {{"--date", "1"}, {"Call"}},
        {{"--date", "3", "--show-done"}, {"Call", "Report"}},
        {{"--date", "0", "--priority", "1"}, {"Call", "Report"}},
        {{"--priority", "2"}, {"Dentist", "Groceries"}},
        {{"--keys", "work"}, {"Report"}},
        {{"--keys", "work", "--show-done"}, {"Report", "Archive"}},
        {{"--keys", "WORK, health"}, {"Dentist", "Report"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"export", "text", PathOf("out.txt"), "--dir", Dir()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args), 0) << err_;
        EXPECT_EQ(Tasks(PathOf("out.txt")), c.tasks) << ::testing::PrintToString(c.options);
    }
}

// An index that disagrees with the table (here one taken from another copy of the task file,
// with fewer or more tasks) never makes a partial or repeated list pass for the whole: the
// export lists the tasks as the sound index does.
TEST_F(ReportCommandTest, AnIndexThatDisagreesWithTheTableGivesTheListOfASoundOne) {
    const std::vector<std::string> orders = {"datetime", "descript", "priority"};
    std::vector<std::vector<std::string>> sound;
    for (const std::string& order : orders) {
        ASSERT_EQ(Run({"export", "text", PathOf("out.txt"), "--dir", Dir(), "--show-done",
                       "--order", order}),
                  0)
            << err_;
        sound.push_back(Tasks(PathOf("out.txt")));
    }
    ASSERT_EQ(sound[0].size(), 5u);
    const std::string other = PathOf("other/");
    for (int otherTasks : {2, 9}) {
        SCOPED_TRACE(otherTasks);
        std::filesystem::remove_all(other);
        std::filesystem::create_directories(other);
        std::vector<store_test::Task> tasks = store_test::NumberedTasks(otherTasks);
        MakeTaskFile("other/" + std::string(store::kTaskTableName), tasks, true);
        std::filesystem::copy_file(other + store::kTaskIndexName, PathOf(store::kTaskIndexName),
                                   std::filesystem::copy_options::overwrite_existing);
        for (std::size_t i = 0; i < orders.size(); ++i) {
            ASSERT_EQ(Run({"export", "text", PathOf("out.txt"), "--dir", Dir(), "--show-done",
                           "--order", orders[i]}),
                      0)
                << err_;
            EXPECT_EQ(Tasks(PathOf("out.txt")), sound[i]) << orders[i];
        }
    }
}

TEST_F(ReportCommandTest, TitleNotesAndColourReachTheFile) {
    ASSERT_EQ(Run({"export", "html", PathOf("out.htm"), "--dir", Dir(), "--title",
                   "Caf\xC3\xA9 <list>", "--notes", "--color", "12ab9f"}),
              0)
        << err_;
    const std::string html = ReadFile(PathOf("out.htm"));
    EXPECT_NE(html.find("<TITLE>Caf\xE9 &lt;list&gt;</TITLE>\r\n"), std::string::npos);
    EXPECT_NE(html.find("<BODY BGCOLOR=#12AB9F>\r\n"), std::string::npos);
    EXPECT_NE(html.find("<BLOCKQUOTE>ring back \r\n"), std::string::npos);

    ASSERT_EQ(Run({"export", "rtf", PathOf("out.rtf"), "--dir", Dir()}), 0) << err_;
    const std::string rtf = ReadFile(PathOf("out.rtf"));
    EXPECT_NE(rtf.find("\\b\r\nQuillet\r\n"), std::string::npos);
    EXPECT_EQ(rtf.find("ring back"), std::string::npos);

    ASSERT_EQ(Run({"export", "html", PathOf("out.htm"), "--dir", Dir()}), 0) << err_;
    EXPECT_NE(ReadFile(PathOf("out.htm")).find("<BODY BGCOLOR=#FFFF80>"), std::string::npos);
}

// The formats for other programs: every task of the set with its note, without the title or
// colour; each iCalendar task with the UID the companion table keeps for it, and a task that
// has none with the one derived from it, the same at every export.
TEST_F(ReportCommandTest, ICalendarAndCsvCarryTheTaskSetWithStableUids) {
    store::TTaskUids writer;
    writer.OpenForWriting(Dir());
    std::map<std::string, std::string> stored;
    const char* names[] = {"Report", "Groceries", "Archive", "Call", "Dentist"};
    for (std::int32_t record = 1; record <= 5; ++record) {
        stored[names[record - 1]] = writer.StoredUid(record);
        ASSERT_FALSE(stored[names[record - 1]].empty());
    }
    writer.Close();

    auto exported = [&](const std::string& format) {
        const std::string out = PathOf("out." + format);
        EXPECT_EQ(Run({"export", format, out, "--dir", Dir(), "--title", "Ignored", "--color",
                       "123456", "--order", "descript"}),
                  0)
            << err_;
        const std::string bytes = ReadFile(out);
        EXPECT_EQ(bytes.find("Ignored"), std::string::npos);
        EXPECT_EQ(bytes.find("123456"), std::string::npos);
        return exchange::ReadTasks(bytes);
    };
    const exchange::ReadResult csv = exported("csv");
    ASSERT_TRUE(csv.ok()) << csv.ErrorText();
    std::vector<std::string> order;
    for (const exchange::ImportedTask& task : csv.tasks) {
        order.push_back(task.entry.descript);
    }
    // The done task stays hidden, as in the program's window; the note comes without --notes.
    EXPECT_EQ(order, (std::vector<std::string>{"Call", "Dentist", "Groceries", "Report"}));
    EXPECT_EQ(csv.tasks[0].entry.note, "ring back");
    EXPECT_EQ(csv.tasks[0].entry.time, "08:15");
    EXPECT_EQ(csv.tasks[3].entry.keys, "work");

    const exchange::ReadResult ics = exported("ics");
    ASSERT_TRUE(ics.ok()) << ics.ErrorText();
    ASSERT_EQ(ics.tasks.size(), 4U);
    for (const exchange::ImportedTask& task : ics.tasks) {
        EXPECT_EQ(task.uid, stored[task.entry.descript]) << task.entry.descript;
    }

    // Without the companion table every task's UID is derived, and stays the same: the very
    // UID the program gave each task when it first met it without one.
    std::filesystem::remove(PathOf(store::kUidTableName));
    const exchange::ReadResult first = exported("ics");
    const exchange::ReadResult second = exported("ics");
    ASSERT_EQ(first.tasks.size(), 4U);
    ASSERT_EQ(second.tasks.size(), 4U);
    for (std::size_t i = 0; i < first.tasks.size(); ++i) {
        EXPECT_FALSE(first.tasks[i].uid.empty());
        EXPECT_EQ(first.tasks[i].uid, stored[first.tasks[i].entry.descript]);
        EXPECT_EQ(first.tasks[i].uid, second.tasks[i].uid);
    }
}

TEST_F(ReportCommandTest, BadCommandLinesExitTwo) {
    const std::string out = PathOf("out");
    const std::vector<std::string> bad[] = {
        {},
        {"print", "html", out},
        {"export"},
        {"export", "html"},
        {"export", "pdf", out},
        {"export", "ical", out},
        {"export", "html", ""},
        {"export", "html", out, "--bogus"},
        {"export", "html", out, "--dir"},
        {"export", "html", out, "--title"},
        {"export", "html", out, "--date", "7"},
        {"export", "html", out, "--date", "-1"},
        {"export", "html", out, "--priority", "4"},
        {"export", "html", out, "--priority", "x"},
        {"export", "html", out, "--order", "random"},
        {"export", "html", out, "--color", "FFFF8"},
        {"export", "html", out, "--color", "GGGGGG"},
        {"export", "html", out, "extra"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
        EXPECT_NE(err_.find(report::kReportUsage), std::string::npos);
    }
    EXPECT_FALSE(Exists("out"));
}

TEST_F(ReportCommandTest, MissingTaskFileOrUnwritableOutputExitOne) {
    const std::string empty = PathOf("empty/");
    std::filesystem::create_directory(empty);
    EXPECT_EQ(Run({"export", "html", PathOf("out.htm"), "--dir", empty}), 1);
    EXPECT_NE(err_.find(empty + "QUILX.DBF"), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(empty + "QUILX.DBF"));  // nothing created

    EXPECT_EQ(Run({"export", "text", PathOf("gone/out.txt"), "--dir", Dir()}), 1);
    EXPECT_NE(err_.find(PathOf("gone/out.txt")), std::string::npos) << err_;
}

// The program as scripts run it: no display, no platform chosen.
TEST_F(ReportCommandTest, ProgramRunsWithoutDisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    auto run = [&](const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLET_REPORT), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.exitCode();
    };
    const QString dir = QString::fromStdString(Dir());
    const QString out = QString::fromStdString(PathOf("out.txt"));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("text"), out, QStringLiteral("--dir"),
                   dir, QStringLiteral("--notes")}),
              0);
    EXPECT_NE(ReadFile(PathOf("out.txt")).find("   ring back\r\n"), std::string::npos);
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("text")}), 2);
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("text"), out, QStringLiteral("--dir"),
                   dir + QStringLiteral("/nowhere")}),
              1);
}

}  // namespace
