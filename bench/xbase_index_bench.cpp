// Compound index speed and memory beside SQLite doing the same with five expression indexes:
// building the five task tags, random seeks, an ordered walk, appends with every tag kept.
// Usage: xbase_index_bench [RECORDS...]   (default 100000 1000000)
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase/cdx.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// DATE C8, TIME C5, DESCRIPT C50, DONE L, KEYS C60, PRIORITY C1; deletion flag first.
constexpr std::uint32_t kLength = 1 + 8 + 5 + 50 + 1 + 60 + 1;

struct Task {
    std::string date, time, descript, keys, priority;
    bool done = false;
    bool deleted = false;
};

Task MakeTask(std::mt19937& gen) {
    auto rng = [&gen] { return static_cast<unsigned>(gen()); };
    static const char* words[] = {"call", "buy", "write", "fix", "plan", "read", "send", "clean"};
    static const char* keys[] = {"WORK", "HOME", "CAR", "GARDEN", "SHOP", "", "TAX", "KIDS"};
    Task t;
    if (rng() % 8 != 0) {
        char d[16];
        std::snprintf(d, sizeof d, "%04u%02u%02u", 2020 + rng() % 8, 1 + rng() % 12,
                      1 + rng() % 28);
        t.date = d;
    }
    if (rng() % 3 != 0) {
        char h[8];
        std::snprintf(h, sizeof h, "%02u:%02u", rng() % 24, rng() % 60);
        t.time = h;
    }
    t.descript = std::string(words[rng() % 8]) + " " + words[rng() % 8] + " " +
                 std::to_string(rng() % 100000);
    t.keys = std::string(keys[rng() % 8]) + " " + keys[rng() % 8];
    t.priority = std::string(1, "ABC"[rng() % 3]);
    t.done = rng() % 2 == 0;
    t.deleted = rng() % 20 == 0;
    return t;
}

std::string Image(const Task& t) {
    std::string r(kLength, ' ');
    auto put = [&](std::size_t at, std::size_t width, const std::string& v) {
        r.replace(at, width, (v + std::string(width, ' ')).substr(0, width));
    };
    r[0] = t.deleted ? '*' : ' ';
    put(1, 8, t.date);
    put(9, 5, t.time);
    put(14, 50, t.descript);
    r[64] = t.done ? 'T' : 'F';
    put(65, 60, t.keys);
    put(125, 1, t.priority);
    return r;
}

class Records final : public xbase::IndexRecords, public xbase::RecordSource {
  public:
    std::vector<std::string> images;
    std::uint32_t RecordCount() override { return static_cast<std::uint32_t>(images.size()); }
    const xbase::RecordSource* Record(std::uint32_t n) override {
        current_ = n;
        return this;
    }
    const char* Record() const override { return images[current_ - 1].data(); }
    std::uint32_t RecNo() const override { return current_; }
    bool Deleted() const override { return images[current_ - 1][0] == '*'; }
    std::string Memo(int) const override { return {}; }

  private:
    std::uint32_t current_ = 1;
};

xbase::IndexTable Shape() {
    xbase::IndexTable t;
    std::uint32_t offset = 1;
    for (auto [name, type, len] : {std::tuple{"DATE", 'C', 8},
                                   {"TIME", 'C', 5},
                                   {"DESCRIPT", 'C', 50},
                                   {"DONE", 'L', 1},
                                   {"KEYS", 'C', 60},
                                   {"PRIORITY", 'C', 1}}) {
        xbase::FieldInfo f;
        f.name = name;
        f.type = type;
        f.offset = offset;
        f.length = static_cast<std::uint16_t>(len);
        offset += static_cast<std::uint32_t>(len);
        t.fields.push_back(f);
    }
    t.alias = "QUILX";
    t.recordLength = offset;
    return t;
}

const xbase::TagSpec kTags[] = {{"DATETIME", "DATE+TIME", "not Deleted()", false, false},
                                {"DESCRIPT", "upper(DESCRIPT)", "", false, false},
                                {"DONE", "DONE", "", false, false},
                                {"KEYS", "upper(KEYS)", "", false, false},
                                {"PRIORITY", "upper(PRIORITY)+DATE+TIME", "", false, false}};

void Exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err);
        sqlite3_free(err);
    }
}

void InsertRows(sqlite3* db, const std::vector<Task>& tasks, std::size_t from) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?,?,?,?,?,?,?)", -1, &st, nullptr);
    Exec(db, "BEGIN");
    for (std::size_t i = from; i < tasks.size(); ++i) {
        const Task& t = tasks[i];
        std::string date = (t.date + std::string(8, ' ')).substr(0, 8);
        std::string time = (t.time + std::string(5, ' ')).substr(0, 5);
        sqlite3_bind_text(st, 1, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, time.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, t.descript.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 4, t.done);
        sqlite3_bind_text(st, 5, t.keys.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, t.priority.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 7, t.deleted);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    Exec(db, "COMMIT");
    sqlite3_finalize(st);
}

void CreateSqliteIndexes(sqlite3* db) {
    Exec(db, "CREATE INDEX i1 ON t(date||time) WHERE deleted=0");
    Exec(db, "CREATE INDEX i2 ON t(upper(descript))");
    Exec(db, "CREATE INDEX i3 ON t(done)");
    Exec(db, "CREATE INDEX i4 ON t(upper(keys))");
    Exec(db, "CREATE INDEX i5 ON t(upper(priority)||date||time)");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Run(std::size_t n, const std::filesystem::path& dir) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::vector<Task> tasks;
    Records records;
    for (std::size_t i = 0; i < n; ++i) {
        tasks.push_back(MakeTask(rng));
        records.images.push_back(Image(tasks.back()));
    }
    std::printf("\n%zu records\n", n);
    std::printf("%-34s %12s %12s %8s\n", "", "cdx", "sqlite", "ratio");
    auto row = [](const char* what, double ours, double theirs, const char* unit) {
        std::printf("%-34s %10.3f%-2s %10.3f%-2s %8.2f\n", what, ours, unit, theirs, unit,
                    theirs > 0 ? ours / theirs : 0);
    };

    // Build the five tags from scratch.
    std::string cdxPath = (dir / "QUILX.CDX").string();
    std::filesystem::remove(cdxPath);
    std::unique_ptr<xbase::CompoundIndex> index;
    xbase::CompoundIndex::Create(
        xbase::FileSystem::Default().Open(cdxPath, xbase::OpenMode::kCreate), Shape(), index);
    rusage usageBefore{};
    getrusage(RUSAGE_SELF, &usageBefore);
    auto t0 = Clock::now();
    for (const xbase::TagSpec& spec : kTags) {
        int order = 0;
        xbase::Status s = index->AddTag(spec, records, nullptr, order);
        if (!s.ok()) {
            std::fprintf(stderr, "%s\n", s.message().c_str());
        }
    }
    index->Flush();
    auto t1 = Clock::now();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    // The records themselves live in this process too; the build's own share is the rise.
    std::printf("peak memory: %.1f MiB with the records, rise during the build %.1f MiB\n",
                static_cast<double>(after.ru_maxrss) / 1024,
                static_cast<double>(after.ru_maxrss - usageBefore.ru_maxrss) / 1024);

    std::string dbPath = (dir / "peer.db").string();
    std::filesystem::remove(dbPath);
    sqlite3* db = nullptr;
    sqlite3_open(dbPath.c_str(), &db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db,
         "CREATE TABLE t(date TEXT, time TEXT, descript TEXT, done INT, keys TEXT, priority TEXT,"
         " deleted INT)");
    InsertRows(db, tasks, 0);
    auto s0 = Clock::now();
    CreateSqliteIndexes(db);
    auto s1 = Clock::now();
    row("build five tags / indexes", Seconds(t0, t1), Seconds(s0, s1), "s");

    // 10,000 random seeks on DATETIME (soft: first key at or after a random date).
    std::vector<std::string> targets;
    for (int i = 0; i < 10000; ++i) {
        targets.push_back(tasks[rng() % n].date + tasks[rng() % n].time);
    }
    auto cursor = index->NewCursor(1);
    std::vector<double> ours;
    std::vector<double> theirs;
    std::uint64_t sink = 0;
    for (const std::string& k : targets) {
        bool found = false;
        auto a = Clock::now();
        cursor->Seek(k, true, false, found);
        auto b = Clock::now();
        sink += cursor->RecNo();
        ours.push_back(Seconds(a, b) * 1e6);
    }
    sqlite3_stmt* seek = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid FROM t INDEXED BY i1 WHERE date||time >= ? AND deleted=0"
                       " ORDER BY date||time LIMIT 1",
                       -1, &seek, nullptr);
    for (const std::string& k : targets) {
        auto a = Clock::now();
        sqlite3_bind_text(seek, 1, k.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(seek) == SQLITE_ROW) {
            sink += static_cast<std::uint64_t>(sqlite3_column_int64(seek, 0));
        }
        sqlite3_reset(seek);
        auto b = Clock::now();
        theirs.push_back(Seconds(a, b) * 1e6);
    }
    sqlite3_finalize(seek);
    row("seek median", Median(ours), Median(theirs), "us");

    // Whole table in DATETIME order (reading each record) against record order.
    auto w0 = Clock::now();
    for (auto s = cursor->First(); s.ok() && cursor->Valid(); s = cursor->Next()) {
        sink += static_cast<unsigned char>(records.Record(cursor->RecNo())->Record()[1]);
    }
    auto w1 = Clock::now();
    for (std::uint32_t r = 1; r <= n; ++r) {
        sink += static_cast<unsigned char>(records.Record(r)->Record()[1]);
    }
    auto w2 = Clock::now();
    std::printf("%-34s %10.3fs  record order %.3fs, ratio %.2f\n", "ordered walk (DATETIME)",
                Seconds(w0, w1), Seconds(w1, w2), Seconds(w0, w1) / Seconds(w1, w2));

    // Appending 100,000 records with the five tags kept.
    std::size_t before = tasks.size();
    for (int i = 0; i < 100000; ++i) {
        tasks.push_back(MakeTask(rng));
        records.images.push_back(Image(tasks.back()));
    }
    auto a0 = Clock::now();
    for (std::size_t i = before; i < tasks.size(); ++i) {
        auto r = static_cast<std::uint32_t>(i + 1);
        index->UpdateRecord(r, nullptr, *records.Record(r));
    }
    index->Flush();
    auto a1 = Clock::now();
    InsertRows(db, tasks, before);
    auto a2 = Clock::now();
    row("append 100,000 with five tags", Seconds(a0, a1), Seconds(a1, a2), "s");
    sqlite3_close(db);
    index.reset();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory so far (whole process) %.1f MiB   [%llu]\n",
                static_cast<double>(usage.ru_maxrss) / 1024,
                static_cast<unsigned long long>(sink % 10));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(static_cast<std::size_t>(std::stoull(argv[i])));
    }
    if (sizes.empty()) {
        sizes = {100000, 1000000};
    }
    auto dir = std::filesystem::temp_directory_path() /
               ("quillet-index-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (std::size_t n : sizes) {
        Run(n, dir);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
