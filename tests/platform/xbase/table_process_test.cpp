// Tests of the table engine across processes on real files: exclusive opens and record
// locks seen by another process, appends seen by a reader, and a writer killed at random
// moments that never costs a committed record nor leaves a table that will not open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"

namespace {

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
        sx_SetDeleted(false);
        sx_SetLockTimeout(0);
        char dir[] = "/tmp/xbase-process-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        path_ = dir_ + "/TASKS.DBF";
        ASSERT_NE(sx_CreateNew(path_, "", 2, 3), 0);
        sx_CreateField("N", "N", 10, 0);
        sx_CreateField("TEXT", "C", 20, 0);
        sx_CreateField("NOTE", "M", 10, 0);
        ASSERT_NE(sx_CreateExec(), 0);
        sx_Close();
    }
    void TearDown() override {
        sx_CloseAll();
        std::string command = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // Runs `body` in a child process and answers its exit status.
    template <typename Body>
    static int InChild(Body body) {
        pid_t pid = fork();
        if (pid == 0) {
            // The parent's areas share their open files (and locks) with the child: leave
            // them alone and open anew under other aliases.
            _exit(body());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }

    std::string dir_;
    std::string path_;
};

std::string NoteFor(int n) {
    return std::string(static_cast<std::size_t>(n % 300), 'a' + n % 26);
}

TEST_F(ProcessTest, ExclusiveOpenAndRecordLocksAreSeenByAnotherProcess) {
    ASSERT_NE(sx_Use(path_, "", 0, 2), 0);
    ASSERT_TRUE(sx_AppendBlank());
    ASSERT_TRUE(sx_AppendBlank());
    ASSERT_TRUE(sx_Rlock(1));
    EXPECT_EQ(InChild([this] {
                  if (sx_Use(path_, "CHILD", 2, 2) != 0) {
                      return 1;  // exclusive while we have it open
                  }
                  if (sx_Use(path_, "CHILD", 0, 2) == 0) {
                      return 2;
                  }
                  if (sx_Rlock(1)) {
                      return 3;  // our lock must show
                  }
                  if (!sx_Rlock(2)) {
                      return 4;
                  }
                  return 0;
              }),
              0);
    sx_CloseAll();
    ASSERT_NE(sx_Use(path_, "", 2, 2), 0);
    EXPECT_EQ(InChild([this] { return sx_Use(path_, "CHILD", 0, 2) == 0 ? 0 : 1; }), 0);
}

TEST_F(ProcessTest, LockWaitsFollowTheTimeout) {
    ASSERT_NE(sx_Use(path_, "", 0, 2), 0);
    ASSERT_TRUE(sx_AppendBlank());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    if (pid == 0) {
        char c = 0;
        bool ok = sx_Use(path_, "CHILD", 0, 2) != 0 && sx_Rlock(1);
        ssize_t w = write(ready[1], &c, 1);
        (void)w;
        usleep(300 * 1000);
        sx_Unlock(0);
        _exit(ok ? 0 : 1);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    sx_SetLockTimeout(0);
    EXPECT_FALSE(sx_Rlock(1));
    sx_SetLockTimeout(5);
    EXPECT_TRUE(sx_Rlock(1));  // waits for the child to let go
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(ProcessTest, AppendsOfAnotherProcessAreSeen) {
    ASSERT_NE(sx_Use(path_, "", 0, 2), 0);
    EXPECT_EQ(sx_RecCount(), 0);
    ASSERT_EQ(InChild([this] {
                  if (sx_Use(path_, "CHILD", 0, 2) == 0) {
                      return 1;
                  }
                  for (int i = 1; i <= 50; ++i) {
                      if (!sx_AppendBlank() || !sx_Replace("N", 2, i) ||
                          !sx_Replace("NOTE", 3072, NoteFor(i)) || !sx_Unlock(0)) {
                          return 2;
                      }
                  }
                  return sx_Commit() ? 0 : 3;
              }),
              0);
    EXPECT_EQ(sx_RecCount(), 50);
    sx_GoBottom();
    EXPECT_EQ(sx_GetLong("N"), 50);
    EXPECT_EQ(sx_GetMemo("NOTE"), NoteFor(50));
    ASSERT_TRUE(sx_AppendBlank());
    EXPECT_EQ(sx_RecNo(), 51);
}

// The writer reports each committed record number on a pipe; the parent kills it at a
// random moment, then every reported record must be there, whole.
TEST_F(ProcessTest, KilledWriterNeverLosesCommittedRecords) {
    std::mt19937 random(12345);
    int committed = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        bool exclusive = round % 2 == 1;
        pid_t pid = fork();
        if (pid == 0) {
            close(report[0]);
            sx_CloseAll();
            if (sx_Use(path_, "", exclusive ? 2 : 0, 2) == 0) {
                _exit(1);
            }
            for (;;) {
                int n = sx_RecCount() + 1;
                if (!sx_AppendBlank() || !sx_Replace("N", 2, n) ||
                    !sx_Replace("TEXT", 1024, "record " + std::to_string(n)) ||
                    !sx_Replace("NOTE", 3072, NoteFor(n)) || !sx_Commit()) {
                    _exit(2);
                }
                if (sx_RecNo() % 7 == 0) {  // rewrite an older record now and then
                    int back = sx_RecNo() - 3;
                    sx_Go(back);
                    sx_Replace("NOTE", 3072, NoteFor(back));
                    sx_Commit();
                }
                ssize_t w = write(report[1], &n, sizeof n);
                (void)w;
            }
        }
        close(report[1]);
        usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(2, 60)(random) * 1000));
        kill(pid, SIGKILL);
        int n = 0;
        while (read(report[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n)) {
            committed = std::max(committed, n);
        }
        close(report[0]);
        waitpid(pid, nullptr, 0);

        ASSERT_NE(sx_Use(path_, "", 0, 2), 0) << sx_LastErrorText();
        ASSERT_GE(sx_RecCount(), committed);
        for (int i = 1; i <= committed; ++i) {
            ASSERT_TRUE(sx_Go(i));
            ASSERT_EQ(sx_GetLong("N"), i);
            ASSERT_EQ(sx_GetTrimString("TEXT"), "record " + std::to_string(i));
            ASSERT_EQ(sx_GetMemo("NOTE"), NoteFor(i)) << i;
        }
        sx_CloseAll();
    }
    EXPECT_GT(committed, 0);
}

}  // namespace
