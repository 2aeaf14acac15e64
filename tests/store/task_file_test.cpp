// Tests of the task file on real files in a temporary directory: first start, a missing
// index, a table held by another process, the upgrade of an old table written by a foreign
// tool, and the backup table.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kCreatedStatuses = {"Opening files...", "Creating indexes..."};

// Runs the plain rebuild and notes how it was asked for.
class CountingRunner : public RebuildRunner {
  public:
    explicit CountingRunner(TTaskStore& store) : store_(store), plain_(store) {}
    void RunRebuildWindow(bool packFirst) override {
        packFirst_.push_back(packFirst);
        exclusive_.push_back(store_.TodoTable.Active() && store_.TodoTable.Exclusive());
        plain_.RunRebuildWindow(packFirst);
        results_.push_back(plain_.LastResult());
    }
    std::vector<bool> packFirst_, exclusive_, results_;

  private:
    TTaskStore& store_;
    PlainRebuildRunner plain_;
};

bool PythonDbfAvailable() {
    return std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") == 0;
}

// Runs a python script and answers what it printed; `ok` false when it failed.
std::string RunPython(const std::string& dir, const std::string& script, bool& ok) {
    std::string file = dir + "/script.py";
    std::ofstream(file, std::ios::binary) << script;
    std::string command = "/usr/bin/python3 '" + file + "' 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ok = false;
        return out;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    ok = pclose(pipe) == 0;
    std::remove(file.c_str());
    return out;
}

class TaskFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
        sx_SetLockTimeout(0);
        char dir[] = "/tmp/quillet-taskfile-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        MakeStore();
    }
    void TearDown() override {
        DropStore();
        sx_CloseAll();
        std::error_code error;
        fs::remove_all(dir_, error);
    }

    // A store as the main window holds it: engine started, deleted records hidden.
    void MakeStore() {
        store_ = std::make_unique<TTaskStore>(dir_, sink_, sink_);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
        runner_ = std::make_unique<CountingRunner>(*store_);
        store_->SetRebuildRunner(runner_.get());
    }
    void DropStore() {
        store_.reset();
        runner_.reset();
    }
    void ClearSink() {
        sink_.messages.clear();
        sink_.statuses.clear();
    }
    bool Exists(const char* name) const { return fs::exists(dir_ + "/" + name); }

    // Appends tasks through the record set: description, date, time, deleted afterwards.
    struct Task {
        std::string descript, date, time;
        bool deleted = false;
    };
    void AddTasks(const std::vector<Task>& tasks) {
        TTable& t = store_->TodoTable;
        for (const Task& task : tasks) {
            ASSERT_EQ(t.Append(), dbi::kOk);
            ASSERT_TRUE(t.FieldByName("DESCRIPT")->SetAsString(task.descript));
            ASSERT_TRUE(t.FieldByName("DATE")->SetAsString(task.date));
            ASSERT_TRUE(t.FieldByName("TIME")->SetAsString(task.time));
            ASSERT_TRUE(t.FieldByName("PRIORITY")->SetAsString("B"));
            ASSERT_EQ(t.Post(), dbi::kOk);
            if (task.deleted) {
                ASSERT_EQ(t.Delete(), dbi::kOk);
            }
        }
    }

    // The values of one field over the set in its present order.
    std::vector<std::string> Walk(TTable& t, const char* field) {
        std::vector<std::string> values;
        if (t.First() != dbi::kOk) {
            return values;
        }
        while (!t.Eof() && !t.IsEmpty()) {
            values.push_back(t.FieldByName(field)->AsString());
            if (t.Next() != dbi::kOk) {
                break;
            }
        }
        return values;
    }

    // Answers whether a process of its own could open QUILX.DBF in `mode` (0 shared,
    // 2 exclusive) while this one holds it as it does.
    bool OtherProcessCanOpen(int mode) {
        std::string path = dir_ + "/QUILX.DBF";
        pid_t pid = fork();
        if (pid == 0) {
            _exit(sx_Use(path, "PROBE", mode, 2) != 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::string dir_;
    RecordingSink sink_;
    std::unique_ptr<TTaskStore> store_;
    std::unique_ptr<CountingRunner> runner_;
};

TEST_F(TaskFileTest, FirstStartCreatesTheTableAndBuildsTheTagsInDateTimeOrder) {
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_EQ(sink_.statuses, kCreatedStatuses);
    EXPECT_TRUE(Exists("QUILX.DBF") && Exists("QUILX.FPT") && Exists("QUILX.CDX"));

    // The tags are built once, without a pack, on the table held exclusively.
    EXPECT_EQ(runner_->packFirst_, std::vector<bool>{false});
    EXPECT_EQ(runner_->exclusive_, std::vector<bool>{true});
    EXPECT_EQ(runner_->results_, std::vector<bool>{true});

    TTable& t = store_->TodoTable;
    EXPECT_TRUE(t.Active());
    EXPECT_FALSE(t.Exclusive());
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 0);

    struct Expected {
        const char* name;
        FieldType type;
        int width;
    };
    const Expected fields[] = {
        {"DATE", FieldType::Text, 8},      {"TIME", FieldType::Text, 5},
        {"DESCRIPT", FieldType::Text, 50}, {"NOTE", FieldType::LargeObject, 0},
        {"DONE", FieldType::Logical, 1},   {"KEYS", FieldType::Text, 60},
        {"PRIORITY", FieldType::Text, 1},
    };
    ASSERT_EQ(t.Fields().size(), std::size(fields));
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const FieldDesc& d = t.Fields()[i]->Desc();
        EXPECT_EQ(d.name, fields[i].name);
        EXPECT_EQ(d.type, fields[i].type) << d.name;
        if (fields[i].type == FieldType::Text) {
            EXPECT_EQ(d.units1, fields[i].width) << d.name;
        }
    }
    // The widths as stored, memo and logical included, straight from the engine.
    int previous = sx_Select(t.Handle());
    EXPECT_EQ(sx_FieldWidth("NOTE"), 10);
    EXPECT_EQ(sx_FieldType("NOTE"), "M");
    EXPECT_EQ(sx_FieldWidth("DONE"), 1);
    EXPECT_EQ(sx_SysProp(SxProp::kUserNumber), 3);
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount), 5);
    sx_Select(previous);

    TEngineComponent& e = store_->TodoEngine;
    for (int order = 1; order <= 5; ++order) {
        EXPECT_EQ(e.TagName(order), kTaskTags[order - 1].name);
    }
    EXPECT_EQ(e.TagName(6), "");
    EXPECT_EQ(e.IndexOrder(), 1);
    EXPECT_EQ(t.IndexName(), "DATETIME");
}

TEST_F(TaskFileTest, AnOpenWithItsIndexInPlaceBuildsNothingAndSortsBlankDatesFirst) {
    ASSERT_TRUE(store_->OpenTaskTable(false));
    AddTasks({{"late", "20240105", "10:00"},
              {"undated", "", ""},
              {"early", "20240105", "09:00"},
              {"earliest", "20231231", ""}});
    DropStore();
    ClearSink();
    MakeStore();

    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_TRUE(runner_->packFirst_.empty());
    EXPECT_EQ(sink_.statuses, std::vector<std::string>{"Opening files..."});
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_EQ(store_->TodoTable.FieldByName("DESCRIPT")->AsString(), "undated");
    EXPECT_TRUE(store_->TodoTable.FieldByName("DATE")->IsNull());
    EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"),
              (std::vector<std::string>{"undated", "earliest", "early", "late"}));
}

// Task files copied from a system whose names ignore letter case are found and used as they
// are named: the tasks open, with their notes and tags, and no empty QUILX.DBF appears.
TEST_F(TaskFileTest, TaskFilesNamedInAnotherLetterCaseAreFound) {
    struct Case {
        const char* dbf;
        const char* fpt;
        const char* cdx;  // null: no index, built afresh beside the table
    };
    const Case cases[] = {
        {"quilx.dbf", "quilx.fpt", "quilx.cdx"},
        {"Quilx.dbf", "Quilx.fpt", nullptr},
        {"quilx.DBF", "quilx.FPT", "quilx.CDX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dbf);
        for (const auto& entry : fs::directory_iterator(dir_)) {
            fs::remove_all(entry.path());
        }
        MakeStore();
        ASSERT_TRUE(store_->OpenTaskTable(false));
        AddTasks({{"late", "20240105", "10:00"}, {"early", "20240101", "09:00"}});
        TTable& t = store_->TodoTable;
        ASSERT_EQ(t.Edit(), dbi::kOk);
        ASSERT_TRUE(t.FieldByName("NOTE")->SetAsString("a note"));
        ASSERT_EQ(t.Post(), dbi::kOk);
        DropStore();
        fs::rename(dir_ + "/QUILX.DBF", dir_ + "/" + c.dbf);
        fs::rename(dir_ + "/QUILX.FPT", dir_ + "/" + c.fpt);
        if (c.cdx != nullptr) {
            fs::rename(dir_ + "/QUILX.CDX", dir_ + "/" + c.cdx);
        } else {
            fs::remove(dir_ + "/QUILX.CDX");
        }
        ClearSink();
        MakeStore();
        ASSERT_TRUE(store_->OpenTaskTable(false));
        EXPECT_TRUE(sink_.messages.empty());
        EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), (std::vector<std::string>{"early", "late"}));
        ASSERT_EQ(store_->TodoTable.First(), dbi::kOk);
        EXPECT_EQ(store_->TodoTable.FieldByName("NOTE")->AsString(), "a note");
        EXPECT_FALSE(Exists("QUILX.DBF"));
        EXPECT_FALSE(Exists("QUILX.FPT"));
        EXPECT_EQ(store_->FoundName("QUILX.CDX").size(), 9u);
        EXPECT_NE(store_->TodoEngine.TagOrder("DATETIME"), 0);
        DropStore();
    }
}

// An index file the engine cannot read is rebuilt as a missing one is, through the rebuild
// window; the damaged file is kept beside the table, and later saves reach the new tags.
TEST_F(TaskFileTest, ADamagedIndexIsKeptAsideAndRebuilt) {
    struct Case {
        const char* what;
        std::function<void(std::vector<char>&)> damage;
    };
    const Case cases[] = {
        {"empty", [](std::vector<char>& bytes) { bytes.clear(); }},
        {"cut short", [](std::vector<char>& bytes) { bytes.resize(bytes.size() / 3); }},
        {"header overwritten",
         [](std::vector<char>& bytes) { std::fill_n(bytes.begin(), 600, '\x5A'); }},
        {"tag directory overwritten",
         [](std::vector<char>& bytes) { std::fill_n(bytes.begin() + 1024, 512, '\xFF'); }},
    };
    const std::string index = dir_ + "/QUILX.CDX";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(dir_)) {
            fs::remove_all(entry.path());
        }
        MakeStore();
        ASSERT_TRUE(store_->OpenTaskTable(false));
        AddTasks({{"late", "20240105", "10:00"}, {"early", "20240101", "09:00"}});
        DropStore();
        std::vector<char> bytes;
        {
            std::ifstream in(index, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        c.damage(bytes);
        std::ofstream(index, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

        ClearSink();
        MakeStore();
        ASSERT_TRUE(store_->OpenTaskTable(false));
        EXPECT_EQ(runner_->packFirst_, std::vector<bool>{false}) << "rebuilt, not packed";
        EXPECT_EQ(fs::file_size(index + ".bad"), bytes.size()) << "the damaged file is kept";
        EXPECT_EQ(store_test::IndexProblems(store_->TodoTable.Handle()), "");
        EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), (std::vector<std::string>{"early", "late"}));
        // A save reaches the new tags.
        TTable& t = store_->TodoTable;
        ASSERT_EQ(t.Edit(), dbi::kOk);
        ASSERT_TRUE(t.FieldByName("DATE")->SetAsString("20230101"));
        ASSERT_EQ(t.Post(), dbi::kOk);
        EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), (std::vector<std::string>{"late", "early"}));
        EXPECT_EQ(store_test::IndexProblems(store_->TodoTable.Handle()), "");
        DropStore();
    }
}

// A program folder of any length holds the task files under their own names: nothing the
// store hands the engine is cut (the first start failed from 255 characters on, and a
// shorter long folder made files under cut names).
TEST_F(TaskFileTest, ALongProgramFolderKeepsTheTaskFilesWhole) {
    for (std::size_t length : {200u, 246u, 250u, 255u, 300u, 600u}) {
        SCOPED_TRACE(length);
        // Folders of at most 100 characters each, down to the wanted length.
        std::string folder = dir_;
        while (folder.size() < length) {
            std::size_t room = length - folder.size();
            folder += room == 1 ? std::string("d")
                                : "/" + std::string(std::min<std::size_t>(100, room - 1), 'd');
        }
        ASSERT_TRUE(fs::create_directories(folder));
        ASSERT_EQ(folder.size(), length);
        {
            RecordingSink sink;
            TTaskStore store(folder, sink, sink);
            ASSERT_TRUE(store.Start());
            ASSERT_TRUE(store.OpenTaskTable(false)) << ::testing::PrintToString(sink.messages);
            ASSERT_EQ(store.TodoTable.Append(), dbi::kOk);
            ASSERT_TRUE(store.TodoTable.FieldByName("NOTE")->SetAsString("a note"));
            ASSERT_EQ(store.TodoTable.Post(), dbi::kOk);
        }
        sx_CloseAll();
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"QUILX.CDX", "QUILX.DBF", "QUILX.FPT",
                                                   "QUILXID.DBF"}));
        for (const auto& entry : fs::directory_iterator(dir_)) {
            fs::remove_all(entry.path());
        }
    }
}

TEST_F(TaskFileTest, AMissingIndexIsRebuiltWithoutPackingAndTheTableReopenedAsAsked) {
    ASSERT_TRUE(store_->OpenTaskTable(false));
    AddTasks({{"b", "20240102", ""}, {"gone", "20240101", "", true}, {"a", "20240101", ""}});
    DropStore();
    ASSERT_TRUE(fs::remove(dir_ + "/QUILX.CDX"));
    ClearSink();
    MakeStore();

    ASSERT_TRUE(store_->OpenTaskTable(true));
    EXPECT_EQ(sink_.statuses, kCreatedStatuses);
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_EQ(runner_->packFirst_, std::vector<bool>{false});
    EXPECT_TRUE(Exists("QUILX.CDX"));
    EXPECT_TRUE(store_->TodoTable.Exclusive());
    EXPECT_FALSE(OtherProcessCanOpen(0));

    // Not packed: the deleted record is still in the file and in the unconditioned tags,
    // but DATETIME leaves it out even with deleted records showing.
    TEngineComponent& e = store_->TodoEngine;
    EXPECT_EQ(e.RecordCount(), 3);
    store_->EngineEnv1.SetDeleted(false);
    EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), (std::vector<std::string>{"a", "b"}));
    e.SetOrder(e.TagOrder("DESCRIPT"));
    EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), (std::vector<std::string>{"a", "b", "gone"}));
    store_->EngineEnv1.SetDeleted(true);

    // Reopened shared, another process may open it too.
    ClearSink();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(sink_.statuses, std::vector<std::string>{"Opening files..."});
    EXPECT_FALSE(store_->TodoTable.Exclusive());
    EXPECT_TRUE(OtherProcessCanOpen(0));
    EXPECT_FALSE(OtherProcessCanOpen(2));
}

// Holds QUILX.DBF open in a child process in `mode` until released.
class Holder {
  public:
    Holder(const std::string& path, int mode) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            char c = sx_Use(path, "HOLDER", mode, 2) != 0 ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char c = 'n';
        held_ = read(ready[0], &c, 1) == 1 && c == 'y';
        close(ready[0]);
    }
    ~Holder() {
        close(release_);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    bool held() const { return held_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

TEST_F(TaskFileTest, ATableHeldByAnotherProcessFailsWithTheMessageOfTheRequest) {
    ASSERT_TRUE(store_->OpenTaskTable(false));
    store_->TodoTable.Close();
    {
        Holder holder(dir_ + "/QUILX.DBF", 2);
        ASSERT_TRUE(holder.held());
        ClearSink();
        EXPECT_FALSE(store_->OpenTaskTable(true));
        EXPECT_EQ(sink_.messages,
                  std::vector<std::string>{
                      "Unable to open the Todo file (QUILX.DBF) for reindexing.\rThe file may be "
                      "in use by another user\r\r" +
                      dir_ + "/QUILX.DBF is in use by another"});
        EXPECT_FALSE(store_->TodoTable.Active());
        ClearSink();
        EXPECT_FALSE(store_->OpenTaskTable(false));
        EXPECT_EQ(sink_.messages,
                  std::vector<std::string>{"Unable to open the Todo file: QUILX.DBF\r\r" + dir_ +
                                           "/QUILX.DBF is in use by another"});
        EXPECT_EQ(sink_.statuses, std::vector<std::string>{"Opening files..."});
        EXPECT_FALSE(store_->TodoTable.Active());
        EXPECT_TRUE(runner_->packFirst_.size() == 1);  // only the first start built tags
    }
    {
        // A shared holder lets the ordinary open through but refuses the rebuild's.
        Holder holder(dir_ + "/QUILX.DBF", 0);
        ASSERT_TRUE(holder.held());
        EXPECT_FALSE(store_->OpenTaskTable(true));
        EXPECT_TRUE(store_->OpenTaskTable(false));
    }
    EXPECT_TRUE(store_->OpenTaskTable(true));
}

TEST_F(TaskFileTest, ATableThatCannotBeCreatedIsReported) {
    DropStore();
    dir_ += "/missing";
    MakeStore();
    EXPECT_FALSE(store_->OpenTaskTable(false));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].rfind(
                  "Unable to open or create QUILX.DBF\r\rcannot create " + dir_ + "/", 0),
              0u)
        << sink_.messages[0];
    EXPECT_TRUE(sink_.statuses.empty());
    EXPECT_FALSE(store_->TodoTable.Active());
    dir_.resize(dir_.size() - 8);
}

// A leftover index without its table must not be taken for the new table's index.
TEST_F(TaskFileTest, ANewTableDoesNotInheritALeftoverIndex) {
    ASSERT_TRUE(store_->OpenTaskTable(false));
    AddTasks({{"one", "20240101", ""}, {"two", "20240102", ""}});
    DropStore();
    ASSERT_TRUE(fs::remove(dir_ + "/QUILX.DBF"));
    ClearSink();
    MakeStore();

    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(sink_.statuses, kCreatedStatuses);
    EXPECT_EQ(runner_->packFirst_, std::vector<bool>{false});
    EXPECT_TRUE(store_->TodoTable.IsEmpty());
    EXPECT_TRUE(Walk(store_->TodoTable, "DESCRIPT").empty());
    AddTasks({{"fresh", "20240103", ""}});
    EXPECT_EQ(Walk(store_->TodoTable, "DESCRIPT"), std::vector<std::string>{"fresh"});
}

// The old six-field structure, written by a foreign tool: notes of several lengths, a
// deleted record, a blank date.
TEST_F(TaskFileTest, ARebuildThatFailsPartWayLeavesNoIndexForTheNextOpenToTrust) {
    // PRIORITY is numeric here, so its tag, the last one, cannot be built.
    ASSERT_NE(sx_CreateNew(dir_ + "/QUILX.DBF", "", 2, 7), 0);
    for (const auto& [field, type, width] :
         std::vector<std::tuple<const char*, const char*, int>>{{"DATE", "C", 8},
                                                                {"TIME", "C", 5},
                                                                {"DESCRIPT", "C", 50},
                                                                {"NOTE", "M", 10},
                                                                {"DONE", "L", 1},
                                                                {"KEYS", "C", 60},
                                                                {"PRIORITY", "N", 1}}) {
        sx_CreateField(field, type, width, 0);
    }
    ASSERT_NE(sx_CreateExec(), 0);
    sx_Close();

    ASSERT_TRUE(store_->OpenTaskTable(false));
    ASSERT_EQ(runner_->results_, std::vector<bool>{false});
    EXPECT_FALSE(Exists("QUILX.CDX"));
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), 0);

    // Each open tries the tags again rather than working on without some of them.
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(runner_->results_, (std::vector<bool>{false, false}));
}

const char kOldTableScript[] = R"(
import dbf, sys
t = dbf.Table(sys.argv[1] if len(sys.argv) > 1 else r'@DIR@/QUILX.DBF',
              'DATE C(8); TIME C(5); DESCRIPT C(50); NOTE M; DONE L; KEYS C(60)',
              dbf_type='fp', codepage='cp1252')
t.open(dbf.READ_WRITE)
rows = [
    ('20240102', '09:30', 'eight', 'abcdefgh', True, 'work'),
    ('20240103', '', 'deleted', 'gone', False, 'old'),
    ('', '', 'seven, undated', 'abcdefg', False, ''),
    ('20231231', '23:59', 'two lines', 'line1\r\nline2', False, 'home'),
    ('20240101', '', 'no note', '', None, 'x y'),
    ('20240104', '', 'long', 'x' * 4999 + 'y', True, ''),
    ('20240105', '', 'break at end', 'ab\r\n', False, ''),
]
for row in rows:
    t.append(row)
dbf.delete(t[1])
t.close()
)";

std::string WithDir(std::string script, const std::string& dir) {
    std::string tag = "@DIR@";
    script.replace(script.find(tag), tag.size(), dir);
    return script;
}

// The old table, with its deleted records and notes, written by the foreign tool.
class OldTableTest : public TaskFileTest {
  protected:
    void SetUp() override {
        TaskFileTest::SetUp();
        if (!PythonDbfAvailable()) {
            GTEST_SKIP() << "python3 with the dbf module is not installed; the old table is "
                            "written by it";
        }
        bool ok = false;
        std::string out = RunPython(dir_, WithDir(kOldTableScript, dir_), ok);
        ASSERT_TRUE(ok) << out;
    }
};

TEST_F(OldTableTest, AnOldTableIsUpgradedKeepingItsLiveRecordsAndABackup) {
    bool ok = false;
    std::string out;
    std::string oldDbf, oldFpt;
    {
        std::ifstream dbfIn(dir_ + "/QUILX.DBF", std::ios::binary),
            fptIn(dir_ + "/QUILX.FPT", std::ios::binary);
        oldDbf.assign(std::istreambuf_iterator<char>(dbfIn), {});
        oldFpt.assign(std::istreambuf_iterator<char>(fptIn), {});
    }
    std::ofstream(dir_ + "/QUILX.CDX") << "an old index";
    std::ofstream(dir_ + "/QXBAK.DBF") << "a leftover backup";

    TTable probe(store_->adaptor);
    probe.SetDatabaseName(dir_);
    probe.SetTableName("QUILX.DBF");
    EXPECT_TRUE(store_->IsOldTaskStructure(probe));
    ASSERT_TRUE(store_->OpenTaskTable(false));

    const std::vector<std::string> messages = {
        "This version of QLX uses a new file structure\rwith the new PRIORITY field.\rYour "
        "existing data files are from an older version.\r\rThe program will now attempt to "
        "update the\rfiles to the new version. The old files\rwill be saved as QXBAK.DBF and "
        "QXBAK.FPT",
        "File update was successful"};
    EXPECT_EQ(sink_.messages, messages);
    const std::vector<std::string> statuses = {"Backing up old TODO Files...",
                                               "Creating new style TODO Files...",
                                               "Opening files...",
                                               "Creating indexes...",
                                               "Appending from old style TODO Files...",
                                               "Appended 1 old TODO records...",
                                               "Appended 2 old TODO records...",
                                               "Appended 3 old TODO records...",
                                               "Appended 4 old TODO records...",
                                               "Appended 5 old TODO records...",
                                               "Appended 6 old TODO records...",
                                               "Opening files..."};
    EXPECT_EQ(sink_.statuses, statuses);
    EXPECT_EQ(runner_->packFirst_, std::vector<bool>{false});

    // The backup is the old files byte for byte.
    {
        std::ifstream dbfIn(dir_ + "/QXBAK.DBF", std::ios::binary),
            fptIn(dir_ + "/QXBAK.FPT", std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(dbfIn), {}) == oldDbf);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(fptIn), {}) == oldFpt);
    }

    TTable& t = store_->TodoTable;
    EXPECT_FALSE(store_->ModTable.Active());
    EXPECT_TRUE(t.Active());
    EXPECT_FALSE(t.Exclusive());
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), 1);
    EXPECT_FALSE(store_->IsOldTaskStructure(t));
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 6);

    store_->TodoEngine.SetOrder(0);
    struct Row {
        std::string descript, date, time, note, keys;
        bool done;
    };
    const Row expected[] = {
        {"eight", "20240102", "09:30", "abcdefgh ", "work", true},
        {"seven, undated", "", "", "abcdefg", "", false},
        {"two lines", "20231231", "23:59", "line1\r\nline2 ", "home", false},
        {"no note", "20240101", "", "", "x y", false},
        {"long", "20240104", "", std::string(4999, 'x') + "y ", "", true},
        {"break at end", "20240105", "", "ab \r\n", "", false},
    };
    ASSERT_EQ(t.First(), dbi::kOk);
    for (const Row& row : expected) {
        ASSERT_FALSE(t.Eof());
        EXPECT_EQ(t.FieldByName("DESCRIPT")->AsString(), row.descript);
        EXPECT_EQ(t.FieldByName("DATE")->AsString(), row.date) << row.descript;
        EXPECT_EQ(t.FieldByName("TIME")->AsString(), row.time) << row.descript;
        EXPECT_EQ(t.FieldByName("NOTE")->AsString(), row.note) << row.descript;
        EXPECT_EQ(t.FieldByName("KEYS")->AsString(), row.keys) << row.descript;
        EXPECT_EQ(t.FieldByName("DONE")->AsBoolean(), row.done) << row.descript;
        EXPECT_EQ(t.FieldByName("PRIORITY")->AsString(), "B") << row.descript;
        ASSERT_EQ(t.Next(), dbi::kOk);
    }
    EXPECT_TRUE(t.Eof());

    // The foreign tool reads the new table too.
    std::string check = R"(
import dbf
t = dbf.Table(r'@DIR@/QUILX.DBF'); t.open()
print(len(t), ''.join(r.priority for r in t), repr(t[2].note))
t.close()
)";
    t.Close();
    out = RunPython(dir_, WithDir(check, dir_), ok);
    ASSERT_TRUE(ok) << out;
    EXPECT_EQ(out, "6 BBBBBB 'line1\\r\\nline2 '\n");
}

TEST_F(OldTableTest, AFailedTableRenamePutsTheMemoFileBackAndLeavesTheOldTableUnopened) {
    // A directory that is not empty stands where the backup table should go.
    fs::create_directory(dir_ + "/QXBAK.DBF");
    std::ofstream(dir_ + "/QXBAK.DBF/keep") << "x";

    EXPECT_FALSE(store_->OpenTaskTable(false));
    ASSERT_GE(sink_.messages.size(), 3u);
    EXPECT_EQ(sink_.messages[1], "Unable to rename old QUILX.* files");
    EXPECT_EQ(sink_.messages[2], "There was an error updating the files.");
    EXPECT_EQ(sink_.messages.back(), "Unable to open the Todo file: QUILX.DBF");
    EXPECT_TRUE(Exists("QUILX.DBF") && Exists("QUILX.FPT"));
    EXPECT_FALSE(Exists("QXBAK.FPT"));
    EXPECT_FALSE(store_->TodoTable.Active());
    EXPECT_TRUE(runner_->packFirst_.empty());

    // The old table is whole: with the obstacle gone the next start upgrades it.
    fs::remove_all(dir_ + "/QXBAK.DBF");
    ClearSink();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(sink_.messages.back(), "File update was successful");
    store_->TodoEngine.SetOrder(0);
    ASSERT_EQ(store_->TodoTable.First(), dbi::kOk);
    EXPECT_EQ(store_->TodoTable.FieldByName("NOTE")->AsString(), "abcdefgh ");
}

TEST_F(TaskFileTest, OldStructureAndTheBackupTable) {
    // No backup yet.
    EXPECT_FALSE(store_->OpenBackupTable());
    EXPECT_FALSE(store_->ModTable.Active());

    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_FALSE(store_->IsOldTaskStructure(store_->TodoTable));
    EXPECT_FALSE(store_->TodoTable.Active());  // closed first

    // Six fields without TIME are not the old structure; with TIME and no PRIORITY they are.
    auto makeTable = [&](const char* name, std::vector<std::pair<const char*, const char*>> f) {
        ASSERT_NE(sx_CreateNew(dir_ + "/" + name, "", 2, static_cast<int>(f.size())), 0);
        for (const auto& [field, type] : f) {
            sx_CreateField(field, type, std::string(type) == "C" ? 8 : 10, 0);
        }
        ASSERT_NE(sx_CreateExec(), 0);
        sx_Close();
    };
    makeTable("NOTIME.DBF", {{"DATE", "C"},
                             {"DESCRIPT", "C"},
                             {"NOTE", "M"},
                             {"DONE", "L"},
                             {"KEYS", "C"},
                             {"EXTRA", "C"}});
    makeTable("QXBAK.DBF", {{"DATE", "C"},
                            {"TIME", "C"},
                            {"DESCRIPT", "C"},
                            {"NOTE", "M"},
                            {"DONE", "L"},
                            {"KEYS", "C"}});
    TTable probe(store_->adaptor);
    probe.SetDatabaseName(dir_ + "/");
    probe.SetTableName("NOTIME.DBF");
    EXPECT_FALSE(store_->IsOldTaskStructure(probe));
    probe.SetTableName("NOSUCH.DBF");
    EXPECT_FALSE(store_->IsOldTaskStructure(probe));
    probe.SetTableName("QXBAK.DBF");
    EXPECT_TRUE(store_->IsOldTaskStructure(probe));

    ASSERT_TRUE(store_->OpenBackupTable());
    EXPECT_TRUE(store_->ModTable.Active());
    EXPECT_TRUE(store_->ModTable.Exclusive());
    EXPECT_EQ(store_->ModTable.Fields().size(), 6u);
    // The backup is this process's alone.
    pid_t pid = fork();
    if (pid == 0) {
        _exit(sx_Use(dir_ + "/QXBAK.DBF", "PROBE", 0, 2) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace store
