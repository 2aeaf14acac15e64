// What the task benchmarks share: a task file of N task-like records (dates over four years,
// times, texts, a note on every tenth, a third done, two key words, priorities A to C) with
// the five tags, a sink that prints the store's messages, and a stopwatch.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <cstdio>
#include <string>

#include "platform/xbase/sx.h"
#include "store/task_file.h"

namespace bench {

class QuietSink : public store::MessageSink, public store::StatusSink {
  public:
    void ShowInformation(std::string_view text) override {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void ShowStatus(std::string_view) override {}
};

inline double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Fills the store's new, empty task table with `count` tasks and builds the five tags.
inline bool MakeTaskFile(store::TTaskStore& store, std::uint32_t count) {
    static const char* kWords[] = {"work", "home", "shop", "call",
                                   "mail", "read", "Work", "garden"};
    if (!store.CreateTaskTable()) {
        return false;
    }
    if (sx_Use(store.PathOf(store::kTaskTableName), "MAKER", 2, 2) == 0) {
        return false;
    }
    char text[64];
    for (std::uint32_t i = 1; i <= count; ++i) {
        std::uint32_t h = i * 2654435761u;
        sx_AppendBlank();
        std::snprintf(text, sizeof text, "%04u%02u%02u", 2024 + h % 4, 1 + (h >> 4) % 12,
                      1 + (h >> 8) % 28);
        sx_Replace("DATE", 1024, text);
        std::snprintf(text, sizeof text, "%02u:%02u", (h >> 12) % 24, (h >> 16) % 60);
        sx_Replace("TIME", 1024, text);
        sx_Replace("DESCRIPT", 1024, "Task number " + std::to_string(i) + " to be done soon");
        if (i % 10 == 0) {
            sx_Replace("NOTE", 3072, "Note for task " + std::to_string(i));
        }
        sx_Replace("DONE", 128, (h >> 20) % 3 == 0);
        sx_Replace("KEYS", 1024,
                   std::string(kWords[(h >> 22) % 8]) + " " + kWords[(h >> 25) % 8]);
        sx_Replace("PRIORITY", 1024, std::string(1, static_cast<char>('A' + (h >> 28) % 3)));
    }
    for (const store::TaskTag& tag : store::kTaskTags) {
        if (sx_IndexTag({}, tag.name, tag.expression, 0, false, tag.condition) == 0) {
            return false;
        }
    }
    return sx_Commit() && sx_Close();
}

}  // namespace bench
