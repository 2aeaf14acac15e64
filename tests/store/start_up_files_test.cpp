// Bad and odd task files met at start-up, one case each: the open either refuses with the
// file and the engine's words and leaves every byte as it was, or repairs and says so.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

namespace fs = std::filesystem;

// Every entry of a folder: a file's bytes, or "<folder>".
using Snapshot = std::map<std::string, std::string>;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

Snapshot Take(const std::string& dir) {
    Snapshot files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] =
            entry.is_directory() ? std::string("<folder>") : ReadAll(entry.path());
    }
    return files;
}

class StartUpFiles : public store_test::StoreTest {
  protected:
    // A task file as a person's would be: tasks with notes, the five tags.
    void MakeHealthyFiles() {
        MakeTaskFile("QUILX.DBF",
                     {{"20240101", "09:00", "first", "a note", false, "work"},
                      {"20240102", "", "second", std::string(300, 'n'), true, ""},
                      {"", "", "third", "", false, "home"}},
                     true);
        ASSERT_TRUE(Exists("QUILX.FPT"));
        ASSERT_TRUE(Exists("QUILX.CDX"));
    }
    bool Open() {
        TTaskStore store(Dir(), sink, sink);
        if (!store.Start()) {
            return false;
        }
        store.EngineEnv1.SetDeleted(true);
        return store.OpenTaskTable(false);
    }
};

struct Damage {
    const char* name;
    std::function<void(const std::string& dir)> apply;
    const char* words;  // what the engine's part of the message must contain
};

// Changes `count` bytes of a file at `offset`.
void Patch(const std::string& path, std::size_t offset, const std::string& bytes) {
    std::string content = ReadAll(path);
    content.replace(offset, bytes.size(), bytes);
    WriteAll(path, content);
}

TEST_F(StartUpFiles, ATableThatCannotBeOpenedIsRefusedNamingTheFileAndChangingNothing) {
    std::vector<Damage> cases = {
        {"table cut inside the header",
         [](const std::string& dir) { fs::resize_file(dir + "QUILX.DBF", 20); },
         "QUILX.DBF: shorter than a table header"},
        {"empty table file", [](const std::string& dir) { fs::resize_file(dir + "QUILX.DBF", 0); },
         "QUILX.DBF: shorter than a table header"},
        {"not a table at all",
         [](const std::string& dir) {
             WriteAll(dir + "QUILX.DBF", "[Preferences]\r\n" + std::string(600, 'x'));
         },
         "QUILX.DBF: not a table"},
        {"header length past the file",
         [](const std::string& dir) { Patch(dir + "QUILX.DBF", 8, std::string("\x60\xEA", 2)); },
         "QUILX.DBF: header length"},
        {"a folder named QUILX.DBF",
         [](const std::string& dir) {
             fs::remove(dir + "QUILX.DBF");
             fs::create_directory(dir + "QUILX.DBF");
         },
         "cannot open /"},
        {"memo file missing", [](const std::string& dir) { fs::remove(dir + "QUILX.FPT"); },
         "memo file /"},
    };
    // Permissions do not hold back the superuser, so these cases run only for a plain user.
    const std::vector<Damage> unreadable = {
        {"unreadable table (mode 000)",
         [](const std::string& dir) { fs::permissions(dir + "QUILX.DBF", fs::perms::none); },
         "cannot open /"},
        {"every file unreadable",
         [](const std::string& dir) {
             for (const char* name : {"QUILX.DBF", "QUILX.FPT", "QUILX.CDX"}) {
                 fs::permissions(dir + name, fs::perms::none);
             }
         },
         "QUILX.DBF"},
        {"memo file unreadable",
         [](const std::string& dir) { fs::permissions(dir + "QUILX.FPT", fs::perms::none); },
         "memo file /"},
    };
    if (geteuid() != 0) {
        cases.insert(cases.end(), unreadable.begin(), unreadable.end());
    }
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        MakeHealthyFiles();
        damage.apply(Dir());
        const Snapshot before = Take(Dir());
        sink.messages.clear();

        EXPECT_FALSE(Open());
        ASSERT_EQ(sink.messages.size(), 1u);
        const std::string& message = sink.messages[0];
        EXPECT_EQ(message.rfind("Unable to open the Todo file: QUILX.DBF\r\r", 0), 0u) << message;
        EXPECT_NE(message.find(damage.words), std::string::npos) << message;
        EXPECT_EQ(Take(Dir()), before);
    }
}

// A memo file and index without their table may hold the only copy of years of notes: they
// are renamed before the new table is made, never overwritten or removed, and earlier ones
// set aside are kept too.
TEST_F(StartUpFiles, FilesLeftWithoutTheirTableAreSetAsideAndTheNewTableSaysSo) {
    struct Case {
        const char* name;
        std::vector<std::string> leftBehind;
        std::vector<std::string> earlierOrphans;
        std::map<std::string, std::string> expectedMoves;  // old name -> name set aside
        const char* message;
    };
    const std::vector<Case> cases = {
        {"memo file and index",
         {"QUILX.FPT", "QUILX.CDX"},
         {},
         {{"QUILX.FPT", "QUILX.FPT.orphan"}, {"QUILX.CDX", "QUILX.CDX.orphan"}},
         "QUILX.DBF was not found, so a new empty task file was made.\rThe files found without "
         "it are kept as QUILX.FPT.orphan and QUILX.CDX.orphan."},
        {"memo file alone, twice before",
         {"QUILX.FPT"},
         {"QUILX.FPT.orphan", "QUILX.FPT.orphan.2"},
         {{"QUILX.FPT", "QUILX.FPT.orphan.3"}},
         "QUILX.DBF was not found, so a new empty task file was made.\rThe files found without "
         "it are kept as QUILX.FPT.orphan.3."},
        {"index alone, in another letter case",
         {"quilx.cdx"},
         {},
         {{"quilx.cdx", "quilx.cdx.orphan"}},
         "QUILX.DBF was not found, so a new empty task file was made.\rThe files found without "
         "it are kept as quilx.cdx.orphan."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        MakeHealthyFiles();
        const Snapshot healthy = Take(Dir());
        fs::remove(PathOf("QUILX.DBF"));
        for (const std::string& name : {std::string("QUILX.FPT"), std::string("QUILX.CDX")}) {
            const auto kept =
                std::find_if(c.leftBehind.begin(), c.leftBehind.end(), [&](const std::string& n) {
                    return n.size() == name.size() &&
                           std::equal(n.begin(), n.end(), name.begin(),
                                      [](char a, char b) { return std::toupper(a) == b; });
                });
            if (kept == c.leftBehind.end()) {
                fs::remove(PathOf(name));
            } else if (*kept != name) {
                fs::rename(PathOf(name), PathOf(*kept));
            }
        }
        for (const std::string& earlier : c.earlierOrphans) {
            WriteAll(PathOf(earlier), "earlier " + earlier);
        }
        const Snapshot before = Take(Dir());
        sink.messages.clear();

        EXPECT_TRUE(Open());
        EXPECT_EQ(sink.messages, std::vector<std::string>{c.message});
        const Snapshot after = Take(Dir());
        for (const auto& [from, to] : c.expectedMoves) {
            ASSERT_TRUE(after.count(to)) << to;
            EXPECT_EQ(after.at(to), before.at(from)) << to;
        }
        for (const std::string& earlier : c.earlierOrphans) {
            EXPECT_EQ(after.at(earlier), before.at(earlier)) << earlier;
        }
        // The new table is empty and has its own memo file and index.
        EXPECT_NE(after.at("QUILX.DBF"), healthy.at("QUILX.DBF"));
        EXPECT_TRUE(after.count("QUILX.FPT"));
        EXPECT_TRUE(after.count("QUILX.CDX"));
    }
}

}  // namespace
}  // namespace store
