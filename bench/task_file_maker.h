// Shared by the task store's benchmarks: timing a piece of work, a quiet message sink, and a task
// file of many generated tasks, made through the store and the bare engine, with the five tags
// built.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/task_file.h"

namespace bench {

// The store's messages on the error stream; status texts dropped.
class QuietSink : public store::MessageSink, public store::StatusSink {
  public:
    void ShowInformation(std::string_view text) override {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void ShowStatus(std::string_view) override {}
};

// A new folder in the temporary directory, with its trailing slash; empty when none can be made.
inline std::string MakeTempDir(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        std::perror("mkdtemp");
        return {};
    }
    return std::string(buffer.data()) + "/";
}

// The task counts named on the command line, or `defaults` when none is.
inline std::vector<std::uint32_t> TaskCounts(int argc, char** argv,
                                             std::vector<std::uint32_t> defaults) {
    std::vector<std::uint32_t> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(static_cast<std::uint32_t>(std::atol(argv[i])));
    }
    return counts.empty() ? defaults : counts;
}

inline double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Best(int runs, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, Seconds(work));
    }
    return best;
}

// One generated task; `deleted` marks the tasks a benchmark deletes after writing them.
struct Task {
    std::string date, time, descript, keys, priority;
    bool done = false;
    bool deleted = false;
};

// `count` task-like records: dates over four years, times, texts, a third done, two key words,
// priorities A to C; with `someDeleted`, one in twenty marked deleted.
inline std::vector<Task> MakeTasks(std::uint32_t count, bool someDeleted = false) {
    static const char* kWords[] = {"work", "home", "shop", "call",
                                   "mail", "read", "Work", "garden"};
    std::vector<Task> tasks(count);
    char text[64];
    for (std::uint32_t i = 1; i <= count; ++i) {
        Task& t = tasks[i - 1];
        std::uint32_t h = i * 2654435761u;
        std::snprintf(text, sizeof text, "%04u%02u%02u", 2024 + h % 4, 1 + (h >> 4) % 12,
                      1 + (h >> 8) % 28);
        t.date = text;
        std::snprintf(text, sizeof text, "%02u:%02u", (h >> 12) % 24, (h >> 16) % 60);
        t.time = text;
        t.descript = "Task number " + std::to_string(i) + " to be done soon";
        t.done = (h >> 20) % 3 == 0;
        t.keys = std::string(kWords[(h >> 22) % 8]) + " " + kWords[(h >> 25) % 8];
        t.priority = std::string(1, static_cast<char>('A' + (h >> 28) % 3));
        t.deleted = someDeleted && i % 20 == 7;
    }
    return tasks;
}

// Fills the store's new, empty task table with the tasks (a note on every tenth) and builds
// the five tags.
inline bool MakeTaskFile(store::TTaskStore& store, const std::vector<Task>& tasks) {
    if (!store.CreateTaskTable()) {
        return false;
    }
    if (sx_Use(store.PathOf(store::kTaskTableName), "MAKER", 2, 2) == 0) {
        return false;
    }
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const Task& t = tasks[i];
        sx_AppendBlank();
        sx_Replace("DATE", SxReplace::kText, t.date);
        sx_Replace("TIME", SxReplace::kText, t.time);
        sx_Replace("DESCRIPT", SxReplace::kText, t.descript);
        if ((i + 1) % 10 == 0) {
            sx_Replace("NOTE", SxReplace::kMemo, "Note for task " + std::to_string(i + 1));
        }
        sx_Replace("DONE", SxReplace::kLogical, t.done);
        sx_Replace("KEYS", SxReplace::kText, t.keys);
        sx_Replace("PRIORITY", SxReplace::kText, t.priority);
        if (t.deleted) {
            sx_Delete();
        }
    }
    for (const store::TaskTag& tag : store::kTaskTags) {
        if (sx_IndexTag({}, tag.name, tag.expression, 0, false, tag.condition) == 0) {
            return false;
        }
    }
    return sx_Commit() && sx_Close();
}

inline bool MakeTaskFile(store::TTaskStore& store, std::uint32_t count) {
    return MakeTaskFile(store, MakeTasks(count));
}

}  // namespace bench
