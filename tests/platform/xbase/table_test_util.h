// Helpers shared by the table engine's tests: a fresh engine on a memory file system, and
// a task-like table.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/xbase/memory_file_system.h"
#include "platform/xbase/sx.h"

namespace xbase_test {

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(&fs_);
        sx_SetDeleted(false);
        sx_SetExact(false);
        sx_SetCentury(false);
        sx_SetDateFormat(0);
        sx_SetMemoBlockSize(64);
        sx_SetLockTimeout(0);
        sx_SetTurboRead(false);
        sx_ClearLastError();
    }
    void TearDown() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
    }

    // DATE C8, TIME C5, DESCRIPT C50, NOTE M, DONE L, KEYS C60, PRIORITY C1, QTY N(6,2), BORN D
    static bool CreateTasks(const std::string& path) {
        if (sx_CreateNew(path, "XXXXXXXXXX", 2, 9) == 0) {
            return false;
        }
        sx_CreateField("DATE", "C", 8, 0);
        sx_CreateField("TIME", "C", 5, 0);
        sx_CreateField("DESCRIPT", "C", 50, 0);
        sx_CreateField("NOTE", "M", 10, 0);
        sx_CreateField("DONE", "L", 1, 0);
        sx_CreateField("KEYS", "C", 60, 0);
        sx_CreateField("PRIORITY", "C", 1, 0);
        sx_CreateField("QTY", "N", 6, 2);
        sx_CreateField("BORN", "D", 8, 0);
        bool ok = sx_CreateExec() != 0;
        return sx_Close() && ok;
    }

    static void AddTask(const std::string& descript, const std::string& date, bool done,
                        const std::string& note = {}) {
        ASSERT_TRUE(sx_AppendBlank());
        ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, descript));
        ASSERT_TRUE(sx_Replace("DATE", SxReplace::kText, date));
        ASSERT_TRUE(sx_Replace("DONE", SxReplace::kLogical, done));
        ASSERT_TRUE(sx_Replace("PRIORITY", SxReplace::kText, "B"));
        if (!note.empty()) {
            ASSERT_TRUE(sx_Replace("NOTE", SxReplace::kMemo, note));
        }
    }

    xbase::MemoryFileSystem fs_;
};

}  // namespace xbase_test
