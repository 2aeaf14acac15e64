// The task store on QUILX.DBF with its five tags (N tasks, 5% deleted, made once per size in a
// temporary directory), opened shared as the program opens it, deleted records hidden, in
// DATETIME order; beside it SQLite (WAL) holding the same tasks with the same expression
// indexes, and the store opened exclusively and the bare engine for the ratios. Prints
// seconds (best of several runs) and ratios.
// Usage: store_bench [N...]   (default 100000 1000000)
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "task_file_maker.h"

namespace {

const char kFilter[] =
    "(DATE >=\"20260101\" and DATE <=\"20261231\").and.(PRIORITY=\"A\").and.(.not.DONE).and."
    "(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))";
const char kWhere[] =
    "deleted = 0 and date >= '20260101' and date <= '20261231' and priority = 'A' and not done "
    "and (instr(upper(keys), 'WORK') > 0 or instr(upper(keys), 'HOME') > 0)";

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Resident memory of this process from /proc: anonymous and file-backed pages, in MiB.
void Resident(double& anon, double& file) {
    anon = file = 0;
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("RssAnon:", 0) == 0) {
            anon = std::atof(line.c_str() + 8) / 1024;
        } else if (line.rfind("RssFile:", 0) == 0) {
            file = std::atof(line.c_str() + 8) / 1024;
        }
    }
}

void Exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err);
        sqlite3_free(err);
        std::exit(1);
    }
}

sqlite3* MakePeer(const std::string& path, const std::vector<bench::Task>& tasks) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db,
         "CREATE TABLE t(date TEXT, time TEXT, descript TEXT, done INT, keys TEXT, priority TEXT,"
         " deleted INT)");
    Exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?,?,?,?,?,?,?)", -1, &st, nullptr);
    for (const bench::Task& t : tasks) {
        sqlite3_bind_text(st, 1, t.date.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, t.time.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, t.descript.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 4, t.done ? 1 : 0);
        sqlite3_bind_text(st, 5, t.keys.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 6, t.priority.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 7, t.deleted ? 1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
    Exec(db, "CREATE INDEX i1 ON t(date||time) WHERE deleted=0");
    Exec(db, "CREATE INDEX i2 ON t(upper(descript))");
    Exec(db, "CREATE INDEX i3 ON t(done)");
    Exec(db, "CREATE INDEX i4 ON t(upper(keys))");
    Exec(db, "CREATE INDEX i5 ON t(upper(priority)||date||time)");
    Exec(db, "ANALYZE");
    return db;
}

struct StoreFigures {
    double filter = 0;
    double walk = 0;
    double window = 0;  // median seconds of one window
    int count = 0;
    int walked = 0;
    std::size_t bytes = 0;
};

// Filter + count through the engine component, the walk through the record set, and windows
// of 40 rows at random places, on the table as OpenTaskTable(exclusive) left it.
StoreFigures MeasureStore(store::TTaskStore& store, const std::vector<std::int32_t>& places) {
    StoreFigures f;
    f.filter = bench::Best(11, [&] {
        store.TodoEngine.ApplyFilter(kFilter);
        f.count = store.TodoEngine.FilteredCount();
        store.TodoEngine.ApplyFilter({});
    });
    store::TField* descript = store.TodoTable.FieldByName("DESCRIPT");
    f.walk = bench::Best(5, [&] {
        f.bytes = 0;
        f.walked = 0;
        store::TTable& table = store.TodoTable;
        for (table.First(); !table.Eof(); table.Next()) {
            f.bytes += descript->AsString().size();
            ++f.walked;
        }
    });
    std::vector<store::TRow> rows;
    std::vector<double> windows;
    for (std::int32_t place : places) {
        windows.push_back(bench::Seconds([&] {
            store.TodoTable.GotoBookmark(place);
            store.TodoTable.ReadRows(40, rows);
        }));
    }
    f.window = Median(windows);
    return f;
}

int Run(std::uint32_t count) {
    const std::string dir = bench::MakeTempDir("quillet-store-bench");
    if (dir.empty()) {
        return 1;
    }

    std::vector<bench::Task> tasks = bench::MakeTasks(count, true);
    bench::QuietSink sink;
    store::TTaskStore store(dir, sink, sink);
    if (!store.Start() || !bench::MakeTaskFile(store, tasks)) {
        std::fprintf(stderr, "could not make the task file\n");
        return 1;
    }
    sqlite3* db = MakePeer(dir + "peer.db", tasks);
    store.EngineEnv1.SetDeleted(true);
    ::sync();  // the files written, so that no measure pays for another's write-back

    // Random live records, the places of the row windows.
    std::mt19937 rng(12);
    std::vector<std::int32_t> places;
    while (places.size() < 300) {
        std::uint32_t i = rng() % count;
        if (!tasks[i].deleted) {
            places.push_back(static_cast<std::int32_t>(i + 1));
        }
    }

    // Open through OpenTaskTable, first row in DATETIME order and a window of 40 rows.
    std::vector<store::TRow> rows;
    bool opened = true;
    double open = bench::Best(5, [&] {
        store.TodoTable.Close();
        opened = opened && store.OpenTaskTable(false);
        store.TodoTable.ReadRows(40, rows);
    });
    if (!opened || rows.size() != 40) {
        std::fprintf(stderr, "open failed or short window (%zu rows)\n", rows.size());
        return 1;
    }
    double anon0 = 0, file0 = 0, anon1 = 0, file1 = 0;
    Resident(anon0, file0);
    StoreFigures shared = MeasureStore(store, places);
    Resident(anon1, file1);

    // The bare engine on a second shared area of the same file, in the same order.
    int bare = sx_Use(dir + store::kTaskTableName, "BARE", 0, 2);
    if (bare == 0) {
        return 1;
    }
    sx_SetOrder(sx_TagArea("DATETIME"));
    int bareCount = 0, bareWalked = 0;
    double filterBare = bench::Best(11, [&] {
        sx_Select(bare);
        sx_Query(kFilter);
        bareCount = sx_QueryRecCount();
        sx_Query({});
    });
    double walkBare = bench::Best(5, [&] {
        bareWalked = 0;
        sx_Select(bare);
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            bareWalked += sx_GetTrimString("DESCRIPT").empty() ? 0 : 1;
        }
    });
    sx_Select(bare);
    sx_Close();

    // SQLite: the same count, the same walk, the same windows (keyed on the place's date and
    // time, the way an ordered window is read there).
    int peerCount = 0, peerWalked = 0;
    std::size_t peerBytes = 0;
    sqlite3_stmt* st = nullptr;
    std::string countSql = std::string("SELECT count(*) FROM t WHERE ") + kWhere;
    sqlite3_prepare_v2(db, countSql.c_str(), -1, &st, nullptr);
    double filterPeer = bench::Best(11, [&] {
        sqlite3_reset(st);
        sqlite3_step(st);
        peerCount = sqlite3_column_int(st, 0);
    });
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "SELECT descript FROM t INDEXED BY i1 WHERE deleted=0 ORDER BY date||time",
                       -1, &st, nullptr);
    double walkPeer = bench::Best(5, [&] {
        sqlite3_reset(st);
        peerWalked = 0;
        peerBytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            peerBytes += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                             .find_last_not_of(' ') +
                         1;
            ++peerWalked;
        }
    });
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "SELECT rowid, date, time, descript, done, keys, priority FROM t INDEXED"
                       " BY i1 WHERE deleted=0 AND date||time >= ? ORDER BY date||time LIMIT 40",
                       -1, &st, nullptr);
    std::vector<double> peerWindows;
    for (std::int32_t place : places) {
        const bench::Task& t = tasks[static_cast<std::size_t>(place - 1)];
        std::string key = t.date + t.time;
        peerWindows.push_back(bench::Seconds([&] {
            sqlite3_reset(st);
            sqlite3_bind_text(st, 1, key.c_str(), -1, SQLITE_TRANSIENT);
            int n = 0;
            while (sqlite3_step(st) == SQLITE_ROW) {
                n += sqlite3_column_bytes(st, 3) > 0 ? 1 : 0;
            }
        }));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);

    // The same through the store opened exclusively.
    store.TodoTable.Close();
    if (!store.OpenTaskTable(true)) {
        std::fprintf(stderr, "exclusive open failed\n");
        return 1;
    }
    StoreFigures exclusive = MeasureStore(store, places);
    store.TodoTable.Close();

    bool agree = shared.count == peerCount && shared.count == bareCount &&
                 shared.count == exclusive.count && shared.walked == peerWalked &&
                 shared.walked == exclusive.walked && shared.walked == bareWalked &&
                 shared.bytes == peerBytes;
    std::printf("\n%u tasks (QUILX.DBF, five tags, 5%% deleted and hidden, DATETIME order)%s\n",
                count, agree ? "" : "  RESULTS DIFFER");
    std::printf(
        "| measure | shared | exclusive | SQLite | shared / SQLite | shared / exclusive |"
        " bare engine (shared) |\n|---|---|---|---|---|---|---|\n");
    std::printf("| filter + count | %.4f s | %.4f s | %.4f s | %.2f | %.2f | %.4f s |\n",
                shared.filter, exclusive.filter, filterPeer, shared.filter / filterPeer,
                shared.filter / exclusive.filter, filterBare);
    std::printf("| walk, reading DESCRIPT | %.4f s | %.4f s | %.4f s | %.2f | %.2f | %.4f s |\n",
                shared.walk, exclusive.walk, walkPeer, shared.walk / walkPeer,
                shared.walk / exclusive.walk, walkBare);
    std::printf("| 40-row window, median | %.3f ms | %.3f ms | %.3f ms | %.2f | %.2f | |\n",
                shared.window * 1e3, exclusive.window * 1e3, Median(peerWindows) * 1e3,
                shared.window / Median(peerWindows), shared.window / exclusive.window);
    std::printf("| open + DATETIME order + 40 rows | %.4f s | | | | | |\n", open);
    std::printf(
        "memory during the shared measures: anonymous %+.1f MiB, file pages %+.1f MiB"
        " (of which the table and index files are %.1f MiB)\n",
        anon1 - anon0, file1 - file0,
        static_cast<double>(std::filesystem::file_size(dir + store::kTaskTableName) +
                            std::filesystem::file_size(dir + store::kTaskIndexName)) /
            1048576.0);
    std::printf("(filter count %d; records walked %d)\n", shared.count, shared.walked);

    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return agree ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    int result = 0;
    for (std::uint32_t n : bench::TaskCounts(argc, argv, {100000, 1000000})) {
        result = std::max(result, Run(n));
    }
    return result;
}
