// The task store over the bare engine on one 100,000-task file (QUILX.DBF with its five tags,
// made once per run in a temporary directory): opening through OpenTaskTable with a first
// window of 40 rows, a filter count through the engine component, and a walk over every
// record through the record set. Prints seconds (best of several runs) and the ratios.
// Usage: store_bench [N]   (default 100000)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/xbase/sx.h"
#include "bench_task_file.h"
#include "store/task_file.h"

namespace {

const char kFilter[] =
    "(DATE >=\"20260101\" and DATE <=\"20261231\").and.(PRIORITY=\"A\").and.(.not.DONE).and."
    "(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))";

double Best(int runs, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, bench::Seconds(work));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint32_t count = argc > 1 ? static_cast<std::uint32_t>(std::atol(argv[1])) : 100000;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillet-store-bench-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string dir = std::string(buffer.data()) + "/";

    bench::QuietSink sink;
    store::TTaskStore store(dir, sink, sink);
    if (!store.Start()) {
        return 1;
    }
    if (!bench::MakeTaskFile(store, count)) {
        std::fprintf(stderr, "could not make the task file\n");
        return 1;
    }
    store.EngineEnv1.SetDeleted(true);
    std::vector<store::TRow> rows;

    // Open through OpenTaskTable, first row in DATETIME order and a window of 40 rows.
    bool opened = true;
    double open = Best(7, [&] {
        store.TodoTable.Close();
        opened = opened && store.OpenTaskTable(false);
        store.TodoTable.ReadRows(40, rows);
    });
    if (!opened || rows.size() != 40) {
        std::fprintf(stderr, "open failed or short window (%zu rows)\n", rows.size());
        return 1;
    }

    // The same table opened shared by the bare engine, in the same order.
    int bare = sx_Use(dir + store::kTaskTableName, "BARE", 0, 2);
    if (bare == 0) {
        return 1;
    }
    sx_SetOrder(sx_TagArea("DATETIME"));

    int componentCount = 0, bareCount = 0;
    double filterComponent = Best(5, [&] {
        store.TodoEngine.ApplyFilter(kFilter);
        componentCount = store.TodoEngine.FilteredCount();
        store.TodoEngine.ApplyFilter({});
    });
    double filterBare = Best(5, [&] {
        sx_Select(bare);
        sx_Query(kFilter);
        bareCount = sx_QueryRecCount();
        sx_Query({});
    });

    std::size_t componentBytes = 0, bareBytes = 0;
    int componentRecords = 0, bareRecords = 0;
    store::TField* descript = store.TodoTable.FieldByName("DESCRIPT");
    double walkSet = Best(3, [&] {
        componentBytes = 0;
        componentRecords = 0;
        store::TTable& table = store.TodoTable;
        for (table.First(); !table.Eof(); table.Next()) {
            componentBytes += descript->AsString().size();
            ++componentRecords;
        }
    });
    double walkBare = Best(3, [&] {
        bareBytes = 0;
        bareRecords = 0;
        sx_Select(bare);
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            bareBytes += sx_GetTrimString("DESCRIPT").size();
            ++bareRecords;
        }
    });

    std::printf("store benchmark, %u tasks (QUILX.DBF with five tags, opened shared)\n", count);
    std::printf("open + DATETIME order + 40 rows: %.4f s (goal < 0.050 s)\n", open);
    std::printf("filter + count: component %.4f s / bare %.4f s = %.2f (goal <= 1.2)%s\n",
                filterComponent, filterBare, filterComponent / filterBare,
                componentCount == bareCount ? "" : "  COUNTS DIFFER");
    std::printf("walk every record: record set %.4f s / bare %.4f s = %.2f (goal <= 1.5)%s\n",
                walkSet, walkBare, walkSet / walkBare,
                componentRecords == bareRecords && componentBytes == bareBytes
                    ? ""
                    : "  WALKS DIFFER");
    std::printf("(filter count %d; records walked %d)\n", componentCount, componentRecords);

    sx_Select(bare);
    sx_Close();
    store.TodoTable.Close();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return 0;
}
