// Shared by the task store's tests: a fresh engine over a temporary directory of real files,
// task tables written straight through the engine, and a check that a call kept the engine's
// current work area.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/work_area.h"
#include "store/sinks.h"

namespace store_test {

// One task as the tests write it; blank texts stay blank in the file.
struct Task {
    std::string date;
    std::string time;
    std::string descript;
    std::string note;
    bool done = false;
    std::string keys;
    std::string priority = "B";
};

// The five tags of the task table, in the order that gives their numbers.
struct TagDef {
    const char* name;
    const char* expression;
    const char* condition;
};
inline constexpr TagDef kTaskTagDefs[] = {
    {"DATETIME", "DATE+TIME", "not Deleted()"},
    {"DESCRIPT", "upper(DESCRIPT)", ""},
    {"DONE", "DONE", ""},
    {"KEYS", "upper(KEYS)", ""},
    {"PRIORITY", "upper(PRIORITY)+DATE+TIME", ""},
};

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
        ResetEngineSettings();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillet-store-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir_ = std::string(buffer.data()) + "/";
    }
    void TearDown() override {
        sx_CloseAll();
        sx_SetGaugeHook(nullptr);
        ResetEngineSettings();
        std::error_code error;
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_, error);
        }
    }

    static void ResetEngineSettings() {
        sx_SetDeleted(false);
        sx_SetExact(false);
        sx_SetSoftSeek(false);
        sx_SetCentury(false);
        sx_SetDateFormat(0);
        sx_SetMemoBlockSize(64);
        sx_SetLockTimeout(0);
        sx_SetTurboRead(false);
        sx_ClearLastError();
    }

    // The temporary directory, with its trailing slash.
    const std::string& Dir() const { return dir_; }
    std::string PathOf(const std::string& name) const { return dir_ + name; }
    bool Exists(const std::string& name) const {
        std::error_code error;
        return std::filesystem::exists(PathOf(name), error);
    }

    // Writes an empty table with the seven task fields (or the six of the old structure,
    // without PRIORITY) at `name` in the directory.
    bool WriteTaskTable(const std::string& name, bool oldStructure = false) const {
        if (sx_CreateNew(PathOf(name), "XXXXXXXXXX", 2, oldStructure ? 6 : 7) == 0) {
            return false;
        }
        sx_CreateField("DATE", "C", 8, 0);
        sx_CreateField("TIME", "C", 5, 0);
        sx_CreateField("DESCRIPT", "C", 50, 0);
        sx_CreateField("NOTE", "M", 10, 0);
        sx_CreateField("DONE", "L", 1, 0);
        sx_CreateField("KEYS", "C", 60, 0);
        if (!oldStructure) {
            sx_CreateField("PRIORITY", "C", 1, 0);
        }
        bool written = sx_CreateExec() != 0;
        return sx_Close() && written;
    }

    // Appends tasks to the table open in the current work area.
    static void AppendTasks(const std::vector<Task>& tasks, bool withPriority = true) {
        for (const Task& t : tasks) {
            ASSERT_TRUE(sx_AppendBlank());
            if (!t.date.empty()) {
                ASSERT_TRUE(sx_Replace("DATE", SxReplace::kText, t.date));
            }
            if (!t.time.empty()) {
                ASSERT_TRUE(sx_Replace("TIME", SxReplace::kText, t.time));
            }
            if (!t.descript.empty()) {
                ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, t.descript));
            }
            if (!t.note.empty()) {
                ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, t.note));
            }
            ASSERT_TRUE(sx_Replace("DONE", SxReplace::kLogical, t.done));
            if (!t.keys.empty()) {
                ASSERT_TRUE(sx_Replace("KEYS", SxReplace::kText, t.keys));
            }
            if (withPriority && !t.priority.empty()) {
                ASSERT_TRUE(sx_Replace("PRIORITY", SxReplace::kText, t.priority));
            }
        }
        ASSERT_TRUE(sx_Commit());
    }

    // Builds the five task tags on the table open in the current work area.
    static void BuildTaskTags() {
        for (const TagDef& tag : kTaskTagDefs) {
            ASSERT_NE(sx_IndexTag({}, tag.name, tag.expression, 0, false, tag.condition), 0)
                << tag.name;
        }
    }

    // Writes a task table with these tasks (and, when asked, its five tags), then closes it.
    void MakeTaskFile(const std::string& name, const std::vector<Task>& tasks, bool withTags,
                      const std::vector<int>& deletedRecords = {}) {
        ASSERT_TRUE(WriteTaskTable(name));
        int area = sx_Use(PathOf(name), "MAKER", 2, 2);
        ASSERT_NE(area, 0);
        AppendTasks(tasks);
        for (int number : deletedRecords) {
            ASSERT_TRUE(sx_Go(number));
            ASSERT_TRUE(sx_Delete());
        }
        if (withTags) {
            BuildTaskTags();
        }
        ASSERT_TRUE(sx_Commit());
        ASSERT_TRUE(sx_Close());
    }

    // Opens a second table in its own area and leaves that area current, so that a test can
    // tell whether a call under test put the current area back.
    int OpenBystander() {
        if (!Exists("OTHER.DBF")) {
            if (!WriteTaskTable("OTHER.DBF")) {
                return 0;
            }
        }
        int area = sx_Use(PathOf("OTHER.DBF"), "BYSTANDR", 0, 2);
        if (area != 0) {
            sx_Select(area);
        }
        return area;
    }

    store::RecordingSink sink;

  private:
    std::string dir_;
};

// Passes every call to the operating system's file system; a test overrides what is to fail.
class PassThroughFileSystem : public xbase::FileSystem {
  public:
    std::unique_ptr<xbase::File> Open(const std::string& path, xbase::OpenMode mode) override {
        return Default().Open(path, mode);
    }
    bool Exists(const std::string& path) override { return Default().Exists(path); }
    bool Remove(const std::string& path) override { return Default().Remove(path); }
    bool Rename(const std::string& from, const std::string& to) override {
        return Default().Rename(from, to);
    }
    bool SyncDirectory(const std::string& directory) override {
        return Default().SyncDirectory(directory);
    }
};

// What the engine's index check (xbtool check) finds wrong with the tags open on work area
// `area`, empty when there are `tags` tags and every one agrees with the table.
inline std::string IndexProblems(int area, int tags = 5) {
    int previous = sx_Select(area);
    xbase::WorkArea* work = xbase::CurrentArea();
    std::string problems;
    if (work == nullptr || !work->indexes || work->indexes->OrderCount() != tags) {
        problems = "the tags are not open";
    } else {
        xbase::CheckReport report;
        if (xbase::Status s = work->indexes->Check(report); !s) {
            problems = s.message();
        }
        for (const xbase::CheckProblem& p : report.problems) {
            problems += p.tag + " " + std::to_string(static_cast<int>(p.kind)) + " record " +
                        std::to_string(p.recno) + " key '" + p.key + "'; ";
        }
    }
    sx_Select(previous);
    return problems;
}

// n tasks numbered from 1: descriptions "Task 0001"..., dates one day apart from 2001-01-01
// in reverse record order (so DATETIME order is the reverse of record order), every third done.
inline std::vector<Task> NumberedTasks(int count) {
    std::vector<Task> tasks;
    for (int i = 1; i <= count; ++i) {
        Task t;
        char text[32];
        std::snprintf(text, sizeof text, "Task %04d", i);
        t.descript = text;
        int day = count - i;  // 0 .. count-1
        std::snprintf(text, sizeof text, "2001%02d%02d", 1 + day / 28, 1 + day % 28);
        t.date = text;
        t.time = "09:00";
        t.done = i % 3 == 0;
        t.keys = i % 2 == 0 ? "even" : "odd";
        t.priority = std::string(1, static_cast<char>('A' + i % 3));
        tasks.push_back(t);
    }
    return tasks;
}

}  // namespace store_test
