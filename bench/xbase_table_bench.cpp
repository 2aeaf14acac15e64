// Table engine against SQLite on the same task-like data, side by side in one run: append,
// full scan, filter count (also against a plain loop over the same record bytes) and reading
// every note. Prints seconds and the ratio engine/peer; the filter count's peak memory is
// measured in a child process of its own.
// Usage: xbase_table_bench [N ...]   (default 100000 1000000)
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"

namespace {

const char kFilter[] =
    "(DATE >=\"20260101\" and DATE <=\"20261231\").and.(PRIORITY=\"A\").and.(.not.DONE).and."
    "(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))";
const char kWhere[] =
    "date >= '20260101' and date <= '20261231' and priority = 'A' and not done and "
    "(instr(upper(keys), 'WORK') > 0 or instr(upper(keys), 'HOME') > 0)";

struct Task {
    char date[9];
    char time[6];
    std::string descript;
    std::string note;
    bool done;
    std::string keys;
    char priority;
};

Task MakeTask(std::uint32_t i) {
    static const char* kWords[] = {"work", "home", "shop", "call",
                                   "mail", "read", "Work", "garden"};
    std::uint32_t h = i * 2654435761u;
    Task t;
    std::snprintf(t.date, sizeof t.date, "%04u%02u%02u", 2024 + h % 4, 1 + (h >> 4) % 12,
                  1 + (h >> 8) % 28);
    std::snprintf(t.time, sizeof t.time, "%02u:%02u", (h >> 12) % 24, (h >> 16) % 60);
    t.descript = "Task number " + std::to_string(i) + " to be done soon";
    t.note = i % 10 == 0 ? std::string("Note for task ") + std::to_string(i) +
                               std::string(40 + h % 200, 'n')
                         : std::string();
    t.done = (h >> 20) % 3 == 0;
    t.keys = std::string(kWords[(h >> 22) % 8]) + " " + kWords[(h >> 25) % 8];
    t.priority = static_cast<char>('A' + (h >> 28) % 3);
    return t;
}

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Die(const char* what) {
    std::fprintf(stderr, "bench: %s (%s)\n", what, sx_LastStatus().message().c_str());
    std::exit(1);
}

struct Figures {
    double append = 0, scan = 0, filter = 0, notes = 0;
    long count = 0;
};

Figures RunEngine(const std::string& dir, std::uint32_t n) {
    Figures f;
    std::string path = dir + "/TASKS.DBF";
    if (sx_CreateNew(path, "", 2, 7) == 0) {
        Die("create");
    }
    sx_CreateField("DATE", "C", 8, 0);
    sx_CreateField("TIME", "C", 5, 0);
    sx_CreateField("DESCRIPT", "C", 50, 0);
    sx_CreateField("NOTE", "M", 10, 0);
    sx_CreateField("DONE", "L", 1, 0);
    sx_CreateField("KEYS", "C", 60, 0);
    sx_CreateField("PRIORITY", "C", 1, 0);
    if (sx_CreateExec() == 0) {
        Die("create");
    }
    sx_Close();
    if (sx_Use(path, "", 2, 2) == 0) {
        Die("open");
    }
    f.append = Seconds([&] {
        for (std::uint32_t i = 1; i <= n; ++i) {
            Task t = MakeTask(i);
            sx_AppendBlank();
            sx_Replace("DATE", SxReplace::kText, std::string_view(t.date, 8));
            sx_Replace("TIME", SxReplace::kText, std::string_view(t.time, 5));
            sx_Replace("DESCRIPT", SxReplace::kText, t.descript);
            if (!t.note.empty()) {
                sx_Replace("NOTE", SxReplace::kMemo, t.note);
            }
            sx_Replace("DONE", SxReplace::kLogical, t.done);
            sx_Replace("KEYS", SxReplace::kText, t.keys);
            sx_Replace("PRIORITY", SxReplace::kText, std::string_view(&t.priority, 1));
        }
        if (!sx_Commit()) {
            Die("commit");
        }
    });
    std::size_t sum = 0;
    f.scan = Seconds([&] {
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            sum += sx_GetString("DATE").size() + sx_GetString("TIME").size() +
                   sx_GetString("DESCRIPT").size() + sx_GetLogical("DONE") +
                   sx_GetString("KEYS").size() + sx_GetString("PRIORITY").size();
        }
    });
    f.filter = Seconds([&] {
        if (sx_Query(kFilter) == 0) {
            Die("filter");
        }
        f.count = sx_QueryRecCount();
        sx_Query("");
    });
    f.notes = Seconds([&] {
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            sum += sx_GetMemo("NOTE").size();
        }
    });
    sx_CloseAll();
    if (sum == 1) {
        std::puts("");
    }
    return f;
}

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error);
        std::exit(1);
    }
}

Figures RunSqlite(const std::string& dir, std::uint32_t n) {
    Figures f;
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/tasks.sqlite").c_str(), &db);
    Exec(db,
         "create table tasks(date text, time text, descript text, note text, done int, "
         "keys text, priority text)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into tasks values(?,?,?,?,?,?,?)", -1, &insert, nullptr);
    f.append = Seconds([&] {
        Exec(db, "begin");
        for (std::uint32_t i = 1; i <= n; ++i) {
            Task t = MakeTask(i);
            sqlite3_bind_text(insert, 1, t.date, 8, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, t.time, 5, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, t.descript.data(), static_cast<int>(t.descript.size()),
                              SQLITE_TRANSIENT);
            if (t.note.empty()) {
                sqlite3_bind_null(insert, 4);
            } else {
                sqlite3_bind_text(insert, 4, t.note.data(), static_cast<int>(t.note.size()),
                                  SQLITE_TRANSIENT);
            }
            sqlite3_bind_int(insert, 5, t.done);
            sqlite3_bind_text(insert, 6, t.keys.data(), static_cast<int>(t.keys.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 7, &t.priority, 1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        Exec(db, "commit");
    });
    sqlite3_finalize(insert);
    std::size_t sum = 0;
    sqlite3_stmt* st = nullptr;
    f.scan = Seconds([&] {
        sqlite3_prepare_v2(db, "select date, time, descript, done, keys, priority from tasks", -1,
                           &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < 6; ++c) {
                const unsigned char* text = sqlite3_column_text(st, c);
                sum += text == nullptr ? 0 : std::strlen(reinterpret_cast<const char*>(text));
            }
        }
        sqlite3_finalize(st);
    });
    f.filter = Seconds([&] {
        std::string sql = std::string("select count(*) from tasks where ") + kWhere;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW) {
            f.count = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
    });
    f.notes = Seconds([&] {
        sqlite3_prepare_v2(db, "select note from tasks", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            sum += static_cast<std::size_t>(sqlite3_column_bytes(st, 0));
        }
        sqlite3_finalize(st);
    });
    sqlite3_close(db);
    if (sum == 1) {
        std::puts("");
    }
    return f;
}

bool Contains(const char* field, int width, const char* word) {
    char upper[64];
    for (int i = 0; i < width; ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(field[i])));
    }
    return std::string_view(upper, static_cast<std::size_t>(width)).find(word) !=
           std::string_view::npos;
}

// The same test on the same record bytes, read into memory once: the limit.
double RunPlainLoop(const std::string& dir, long& count) {
    std::ifstream in(dir + "/TASKS.DBF", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::uint32_t records = 0;
    std::memcpy(&records, &bytes[4], 4);
    std::uint16_t header = 0, length = 0;
    std::memcpy(&header, &bytes[8], 2);
    std::memcpy(&length, &bytes[10], 2);
    count = 0;
    return Seconds([&] {
        for (std::uint32_t r = 0; r < records; ++r) {
            const char* rec = bytes.data() + header + std::size_t{r} * length;
            const char* date = rec + 1;
            if (std::memcmp(date, "20260101", 8) >= 0 && std::memcmp(date, "20261231", 8) <= 0 &&
                rec[135] == 'A' && rec[74] != 'T' &&
                (Contains(rec + 75, 60, "WORK") || Contains(rec + 75, 60, "HOME"))) {
                ++count;
            }
        }
    });
}

// Resident memory of a filter count on its own, in a child process, in KiB: the peak, and what
// the open and the count added to the process's own (anonymous) pages and to the file pages it
// maps (the kernel's page cache, shared and reclaimable), apart. The child starts with what it
// shares of this process, so only the rise is the engine's.
struct FilterMemory {
    long peakKiB = 0;
    long anonKiB = 0;
    long fileKiB = 0;
};

void ResidentKiB(long& anon, long& file) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("RssAnon:", 0) == 0) {
            anon = std::atol(line.c_str() + 8);
        } else if (line.rfind("RssFile:", 0) == 0) {
            file = std::atol(line.c_str() + 8);
        }
    }
}

FilterMemory FilterMemoryKiB(const std::string& dir) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {};
    }
    pid_t pid = fork();
    if (pid == 0) {
        long before[2] = {0, 0};
        long after[2] = {0, 0};
        ResidentKiB(before[0], before[1]);
        sx_CloseAll();
        if (sx_Use(dir + "/TASKS.DBF", "", 0, 2) == 0 || sx_Query(kFilter) == 0) {
            _exit(1);
        }
        sx_QueryRecCount();
        ResidentKiB(after[0], after[1]);
        long rise[2] = {after[0] - before[0], after[1] - before[1]};
        _exit(write(channel[1], rise, sizeof rise) == sizeof rise ? 0 : 1);
    }
    close(channel[1]);
    FilterMemory memory;
    long rise[2] = {0, 0};
    if (read(channel[0], rise, sizeof rise) == sizeof rise) {
        memory.anonKiB = rise[0];
        memory.fileKiB = rise[1];
    }
    close(channel[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    memory.peakKiB = usage.ru_maxrss;
    return memory;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::uint32_t> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    }
    if (sizes.empty()) {
        sizes = {100000, 1000000};
    }
    for (std::uint32_t n : sizes) {
        char dir[] = "/tmp/xbase-bench-XXXXXX";
        if (mkdtemp(dir) == nullptr) {
            return 1;
        }
        Figures e = RunEngine(dir, n);
        Figures s = RunSqlite(dir, n);
        long loopCount = 0;
        double loop = RunPlainLoop(dir, loopCount);
        FilterMemory memory = FilterMemoryKiB(dir);
        std::printf("N = %u (matching records: engine %ld, SQLite %ld, loop %ld)\n", n, e.count,
                    s.count, loopCount);
        std::printf("  %-14s %10s %10s %8s\n", "", "engine s", "SQLite s", "ratio");
        auto row = [](const char* name, double a, double b) {
            std::printf("  %-14s %10.3f %10.3f %8.2f\n", name, a, b, a / b);
        };
        row("append", e.append, s.append);
        row("full scan", e.scan, s.scan);
        row("filter count", e.filter, s.filter);
        row("read notes", e.notes, s.notes);
        std::printf("  filter count vs plain loop: %.3f s / %.3f s = %.2f\n", e.filter, loop,
                    e.filter / loop);
        std::printf(
            "  memory of the filter count alone: own (anonymous) %+.1f MiB, file pages %+.1f "
            "MiB (peak resident %.1f MiB, with what the child shares of this process)\n",
            memory.anonKiB / 1024.0, memory.fileKiB / 1024.0, memory.peakKiB / 1024.0);
        std::system((std::string("rm -rf ") + dir).c_str());
    }
    return 0;
}
