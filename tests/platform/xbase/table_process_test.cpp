// Tests of the table engine across processes on real files: exclusive opens and record
// locks seen by another process, appends seen by a reader, and a writer killed at random
// moments that never costs a committed record nor leaves a table that will not open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
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
                      if (!sx_AppendBlank() || !sx_Replace("N", SxReplace::kLong, i) ||
                          !sx_Replace("NOTE", SxReplace::kMemo, NoteFor(i)) || !sx_Unlock(0)) {
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

// A reader that has read everything (and so holds it in its caches) and a writer on the same
// shared table with a tag on TEXT that leaves deleted records out: after each change of the
// writer, the reader's next count, walk, seek and window of rows see it. The writer is a
// second work area of this process, then another process.
TEST_F(ProcessTest, SharedReaderSeesEveryChangeInCountsWalksSeeksAndWindows) {
    struct Row {
        std::string text;
        int n;
        bool deleted;
    };
    struct Step {
        const char* what;
        std::function<bool()> write;  // on the writer's current area
        std::function<void(std::vector<Row>&)> model;
    };
    auto go = [](int recNo) { return sx_Go(recNo); };
    const std::vector<Step> steps = {
        {"append three",
         [] {
             for (const char* t : {"bob", "dora", "fay"}) {
                 if (!sx_AppendBlank() || !sx_Replace("TEXT", SxReplace::kText, t) ||
                     !sx_Replace("N", SxReplace::kLong, static_cast<int>(t[0])) || !sx_Commit()) {
                     return false;
                 }
             }
             return true;
         },
         [](std::vector<Row>& m) {
             m = {{"bob", 'b', false}, {"dora", 'd', false}, {"fay", 'f', false}};
         }},
        {"append before the others",
         [] {
             return sx_AppendBlank() && sx_Replace("TEXT", SxReplace::kText, "al") && sx_Commit();
         },
         [](std::vector<Row>& m) {
             m.push_back({"al", 0, false});
         }},
        {"change a key",
         [go] { return go(2) && sx_Replace("TEXT", SxReplace::kText, "zed") && sx_Commit(); },
         [](std::vector<Row>& m) { m[1].text = "zed"; }},
        {"change no key",
         [go] { return go(3) && sx_Replace("N", SxReplace::kLong, 77) && sx_Commit(); },
         [](std::vector<Row>& m) { m[2].n = 77; }},
        {"delete", [go] { return go(1) && sx_Delete() && sx_Commit(); },
         [](std::vector<Row>& m) { m[0].deleted = true; }},
        {"recall", [go] { return go(1) && sx_Recall() && sx_Commit(); },
         [](std::vector<Row>& m) { m[0].deleted = false; }},
    };
    // What the reader sees: count, the walk in TEXT order, each seek, and a window of rows
    // read from the first record of the order on.
    auto observe = [](const std::vector<std::string>& seeks) {
        std::string seen = "count " + std::to_string(sx_QueryRecCount()) + "; walk";
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            seen += " " + sx_GetTrimString("TEXT") + ":" + std::to_string(sx_GetLong("N"));
        }
        seen += "; seek";
        for (const std::string& key : seeks) {
            seen += sx_Seek(key) ? " " + std::to_string(sx_RecNo()) : " -";
        }
        seen += "; window";
        sx_GoTop();
        int first = sx_RecNo();
        sx_Go(first);
        for (int i = 0; i < 40 && !sx_Eof(); ++i, sx_Skip(1)) {
            seen += " " + std::to_string(sx_RecNo());
        }
        return seen;
    };
    auto expect = [](const std::vector<Row>& model, const std::vector<std::string>& seeks) {
        std::vector<std::pair<std::string, int>> live;  // text, record number
        for (std::size_t i = 0; i < model.size(); ++i) {
            if (!model[i].deleted) {
                live.emplace_back(model[i].text, static_cast<int>(i) + 1);
            }
        }
        std::sort(live.begin(), live.end());
        std::string seen = "count " + std::to_string(live.size()) + "; walk";
        for (const auto& [text, recNo] : live) {
            seen += " " + text + ":" + std::to_string(model[recNo - 1].n);
        }
        seen += "; seek";
        for (const std::string& key : seeks) {
            auto it = std::find_if(live.begin(), live.end(),
                                   [&](const auto& r) { return r.first == key; });
            seen += it == live.end() ? " -" : " " + std::to_string(it->second);
        }
        seen += "; window";
        for (const auto& [text, recNo] : live) {
            seen += " " + std::to_string(recNo);
        }
        return seen;
    };
    const std::vector<std::string> seeks = {"al", "bob", "dora", "fay", "zed"};

    for (bool otherProcess : {false, true}) {
        SCOPED_TRACE(otherProcess ? "another process writes" : "another work area writes");
        std::string path = dir_ + (otherProcess ? "/P.DBF" : "/A.DBF");
        ASSERT_NE(sx_CreateNew(path, "", 2, 2), 0);
        sx_CreateField("N", "N", 10, 0);
        sx_CreateField("TEXT", "C", 20, 0);
        ASSERT_NE(sx_CreateExec(), 0);
        ASSERT_NE(sx_IndexTag({}, "TEXT", "TEXT", 0, false, "not deleted()"), 0);
        sx_Close();
        sx_SetDeleted(true);
        int reader = sx_Use(path, "READER", 0, 2);
        ASSERT_NE(reader, 0);
        sx_SetOrder(sx_TagArea("TEXT"));
        int writer = otherProcess ? 0 : sx_Use(path, "WRITER", 0, 2);
        std::vector<Row> model;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            sx_Select(reader);
            observe(seeks);  // everything read once: the caches are warm
            if (otherProcess) {
                ASSERT_EQ(InChild([&] {
                              return sx_Use(path, "CHILD", 0, 2) != 0 && step.write() && sx_Close()
                                         ? 0
                                         : 1;
                          }),
                          0);
            } else {
                sx_Select(writer);
                ASSERT_TRUE(step.write()) << sx_LastStatus().message();
            }
            step.model(model);
            sx_Select(reader);
            EXPECT_EQ(observe(seeks), expect(model, seeks));
        }
        sx_CloseAll();
    }
}

// Another program (one that ignores the open lock) cuts the table short while it is open
// here: reads of the records that are gone fail with a message instead of killing the
// program, and the records still there read as before.
TEST_F(ProcessTest, TableShortenedByAnotherProgramWhileOpenFailsItsReadsNotTheProgram) {
    ASSERT_NE(sx_Use(path_, "", 0, 2), 0);
    for (int i = 1; i <= 2000; ++i) {
        ASSERT_TRUE(sx_AppendBlank());
        ASSERT_TRUE(sx_Replace("N", SxReplace::kLong, i));
    }
    ASSERT_TRUE(sx_Commit());
    ASSERT_TRUE(sx_Go(2000));  // every page of the file read once
    EXPECT_EQ(sx_GetLong("N"), 2000);
    ASSERT_EQ(::truncate(path_.c_str(), 4096), 0);
    sx_ClearLastError();
    EXPECT_FALSE(sx_Go(2000));
    EXPECT_FALSE(sx_LastStatus().ok());
    EXPECT_TRUE(sx_Go(5));
    EXPECT_EQ(sx_GetLong("N"), 5);
}

// The writer reports each committed record number on a pipe; the parent kills it at a
// random moment, then every reported record must be there, whole.
TEST_F(ProcessTest, KilledWriterNeverLosesCommittedRecords) {
    std::mt19937 random(12345);
    std::vector<int> reported;  // every record a writer committed, across the rounds
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
                // A writer killed between its append and its commit leaves a blank record
                // that was never reported; the next round's records come after it.
                if (!sx_AppendBlank()) {
                    _exit(2);
                }
                int n = sx_RecNo();
                if (!sx_Replace("N", SxReplace::kLong, n) ||
                    !sx_Replace("TEXT", SxReplace::kText, "record " + std::to_string(n)) ||
                    !sx_Replace("NOTE", SxReplace::kMemo, NoteFor(n)) || !sx_Commit()) {
                    _exit(2);
                }
                if (sx_RecNo() % 7 == 0) {  // rewrite an older record now and then
                    int back = sx_RecNo() - 3;
                    sx_Go(back);
                    sx_Replace("NOTE", SxReplace::kMemo, NoteFor(back));
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
            reported.push_back(n);
        }
        close(report[0]);
        waitpid(pid, nullptr, 0);

        ASSERT_NE(sx_Use(path_, "", 0, 2), 0) << sx_LastStatus().message();
        ASSERT_GE(sx_RecCount(), reported.empty() ? 0 : reported.back());
        for (int i : reported) {
            ASSERT_TRUE(sx_Go(i));
            ASSERT_EQ(sx_GetLong("N"), i);
            ASSERT_EQ(sx_GetTrimString("TEXT"), "record " + std::to_string(i));
            ASSERT_EQ(sx_GetMemo("NOTE"), NoteFor(i)) << i;
        }
        sx_CloseAll();
    }
    EXPECT_FALSE(reported.empty());
}

}  // namespace
