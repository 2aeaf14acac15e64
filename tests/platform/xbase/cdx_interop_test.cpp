// Our compound index files read back through an independent reader (Debian's Perl xBase
// modules): the same tags, and every tag walks the same keys in the same order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "cdx_test_support.h"

namespace xbase {
namespace {

using cdxtest::FakeTable;

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) {
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) {
        out.append(buffer, n);
    }
    pclose(p);
    return out;
}

bool HaveReader() {
    return std::system("command -v index_dump >/dev/null 2>&1") == 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CdxInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveReader()) {
            GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
        }
        dir_ = std::filesystem::temp_directory_path() /
               ("quillet-cdx-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "TASKS.CDX").string();
    }
    void TearDown() override {
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_);
        }
    }
    std::unique_ptr<File> NewFile() { return FileSystem::Default().Open(path_, OpenMode::kCreate); }
    // "key recno" lines as the reader prints them for one tag.
    std::vector<std::string> ReaderWalk(const std::string& tag, const char* type) {
        return Lines(RunCommand("index_dump --type=" + std::string(type) + " '" + path_ + "' " +
                                tag + " 2>/dev/null"));
    }

    std::filesystem::path dir_;
    std::string path_;
};

// The task file's five tags over several thousand records with duplicates, blank fields and
// deleted records, after builds and after record-by-record upkeep.
TEST_F(CdxInterop, TaskTagsWalkTheSameThroughTheIndependentReader) {
    FakeTable table({{"DATE", 'C', 8},
                     {"TIME", 'C', 5},
                     {"DESCRIPT", 'C', 50},
                     {"DONE", 'L', 1},
                     {"KEYS", 'C', 60},
                     {"PRIORITY", 'C', 1}});
    std::mt19937 rng(42);
    const char* words[] = {"home", "work", "call", "Shop", "", "garden", "car"};
    auto addRecord = [&] {
        std::string date = rng() % 6 == 0 ? "" : std::to_string(20250101 + rng() % 900);
        std::string time = rng() % 3 == 0 ? "" : "1" + std::to_string(rng() % 10) + ":" + "30";
        std::string desc = std::string(words[rng() % 7]) + " task " + std::to_string(rng() % 50);
        std::uint32_t r =
            table.Append({date, time, rng() % 4 == 0 ? "" : desc, rng() % 2 ? "T" : "F",
                          words[rng() % 7], std::string(1, "ABC"[rng() % 3])});
        table.SetDeleted(r, rng() % 9 == 0);
        return r;
    };
    for (int i = 0; i < 3000; ++i) {
        addRecord();
    }
    std::unique_ptr<CompoundIndex> index;
    ASSERT_TRUE(CompoundIndex::Create(NewFile(), table.Table(), index).ok());
    const TagSpec specs[] = {{"DATETIME", "DATE+TIME", "not Deleted()", false, false},
                             {"DESCRIPT", "upper(DESCRIPT)", "", false, false},
                             {"DONE", "DONE", "", false, false},
                             {"KEYS", "upper(KEYS)", "", false, false},
                             {"PRIORITY", "upper(PRIORITY)+DATE+TIME", "", false, false}};
    for (const TagSpec& spec : specs) {
        int order = 0;
        ASSERT_TRUE(index->AddTag(spec, table, nullptr, order).ok()) << spec.name;
    }
    for (int i = 0; i < 1500; ++i) {
        std::uint32_t r = addRecord();
        ASSERT_TRUE(index->UpdateRecord(r, nullptr, table.Snapshot(r)).ok());
    }
    ASSERT_TRUE(index->Flush().ok());

    std::vector<std::string> tags =
        Lines(RunCommand("index_dump --type=char '" + path_ + "' 2>/dev/null"));
    std::sort(tags.begin(), tags.end());
    EXPECT_EQ(tags, (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"}));

    for (int order = 1; order <= index->TagCount(); ++order) {
        std::vector<std::string> ours;
        auto cursor = index->NewCursor(order);
        for (Status s = cursor->First(); s.ok() && cursor->Valid(); s = cursor->Next()) {
            ours.push_back(KeyToText(KeyType::kCharacter, cursor->Key()) + " " +
                           std::to_string(cursor->RecNo()));
        }
        std::vector<std::string> theirs = ReaderWalk(index->Tag(order).name, "char");
        // The reader trims trailing blanks of character keys as we do.
        for (std::string& line : theirs) {
            std::size_t sp = line.rfind(' ');
            std::string key = line.substr(0, sp);
            while (!key.empty() && key.back() == ' ')
                key.pop_back();
            line = key + line.substr(sp);
        }
        ASSERT_EQ(ours.size(), theirs.size()) << index->Tag(order).name;
        EXPECT_EQ(ours, theirs) << index->Tag(order).name;
    }
}

// Several leaves of numeric and date keys, negatives and zero included, in value order.
TEST_F(CdxInterop, NumericAndDateTagsDecodeToTheSameValues) {
    FakeTable table({{"AMOUNT", 'N', 12}, {"DUE", 'D', 8}});
    std::mt19937 rng(7);
    std::vector<double> amounts;
    for (int i = 0; i < 800; ++i) {
        double v = static_cast<double>(static_cast<int>(rng() % 20001) - 10000) / 4;
        if (i % 50 == 0)
            v = 0;
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", v);
        table.Append({text, std::to_string(19900101 + (rng() % 30) * 10000 + rng() % 28)});
    }
    std::unique_ptr<CompoundIndex> index;
    ASSERT_TRUE(CompoundIndex::Create(NewFile(), table.Table(), index).ok());
    int amount = 0;
    int due = 0;
    ASSERT_TRUE(index->AddTag({"AMOUNT", "AMOUNT", "", false, false}, table, nullptr, amount).ok());
    ASSERT_TRUE(index->AddTag({"DUE", "DUE", "", false, false}, table, nullptr, due).ok());
    ASSERT_TRUE(index->Flush().ok());

    for (int order : {amount, due}) {
        std::vector<std::string> theirs = ReaderWalk(index->Tag(order).name, "num");
        auto cursor = index->NewCursor(order);
        std::size_t i = 0;
        for (Status s = cursor->First(); s.ok() && cursor->Valid(); s = cursor->Next(), ++i) {
            ASSERT_LT(i, theirs.size());
            double value = 0;
            unsigned recno = 0;
            ASSERT_EQ(std::sscanf(theirs[i].c_str(), "%lf %u", &value, &recno), 2) << theirs[i];
            EXPECT_EQ(recno, cursor->RecNo());
            EXPECT_DOUBLE_EQ(value, DecodeNumericKey(cursor->Key()));
        }
        EXPECT_EQ(i, theirs.size());
        EXPECT_EQ(i, 800u);
    }
}

}  // namespace
}  // namespace xbase
