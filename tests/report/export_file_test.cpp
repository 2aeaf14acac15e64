// What an export may replace, and the new copies beside it: a regular file (or the one a link
// leads to) is replaced whole; anything else at the target is refused and left as it was; the
// new copy's name fits beside the longest target name; a killed export's copy goes at the next.
#include "report/export/export_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A process number that no process has now: a child's, once it has ended.
pid_t EndedProcess() {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    return pid;
}

class ExportFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-exportfile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes "new" to `target` through an ExportFile; the error text, empty on success.
    std::string Export(const fs::path& target) {
        report::ExportFile file;
        if (!file.Open(target.string())) {
            return file.ErrorText();
        }
        file.Write("new");
        return file.Commit() ? std::string() : file.ErrorText();
    }

    fs::path dir_;
};

TEST_F(ExportFileTest, OnlyARegularFileIsReplacedAndALinkLeadsToTheFileItReplaces) {
    struct Case {
        const char* name;
        std::function<void(const fs::path& target)> make;
        const char* refusal;  // empty: written
        std::function<void(const fs::path& target)> check;
    };
    const std::vector<Case> cases = {
        {"a regular file, its permissions kept",
         [](const fs::path& t) {
             WriteAll(t, "old");
             fs::permissions(t, fs::perms::owner_read | fs::perms::owner_write);
         },
         "",
         [](const fs::path& t) {
             EXPECT_EQ(ReadAll(t), "new");
             EXPECT_EQ(fs::status(t).permissions() & fs::perms::all,
                       fs::perms::owner_read | fs::perms::owner_write);
         }},
        {"no file yet", [](const fs::path&) {}, "",
         [](const fs::path& t) { EXPECT_EQ(ReadAll(t), "new"); }},
        {"a FIFO", [](const fs::path& t) { ASSERT_EQ(mkfifo(t.c_str(), 0600), 0); },
         "it is a FIFO, not a regular file",
         [](const fs::path& t) { EXPECT_TRUE(fs::is_fifo(fs::symlink_status(t))); }},
        {"a link to a device", [](const fs::path& t) { fs::create_symlink("/dev/null", t); },
         "it is a device, not a regular file",
         [](const fs::path& t) {
             EXPECT_TRUE(fs::is_symlink(fs::symlink_status(t)));
             EXPECT_TRUE(fs::is_character_file(fs::status("/dev/null")));
         }},
        {"a folder", [](const fs::path& t) { fs::create_directory(t); },
         "it is a folder, not a regular file",
         [](const fs::path& t) { EXPECT_TRUE(fs::is_directory(fs::symlink_status(t))); }},
        {"a link to a regular file in another folder",
         [](const fs::path& t) {
             fs::create_directory(t.parent_path() / "elsewhere");
             WriteAll(t.parent_path() / "elsewhere" / "real.txt", "old");
             fs::create_symlink("elsewhere/real.txt", t);
         },
         "",
         [](const fs::path& t) {
             EXPECT_TRUE(fs::is_symlink(fs::symlink_status(t)));
             EXPECT_EQ(ReadAll(t.parent_path() / "elsewhere" / "real.txt"), "new");
             EXPECT_EQ(Names(t.parent_path() / "elsewhere"), std::set<std::string>{"real.txt"});
         }},
        {"links that go round",
         [](const fs::path& t) {
             fs::create_symlink(t.filename().string() + ".other", t);
             fs::create_symlink(t.filename(), t.string() + ".other");
         },
         "Too many levels of symbolic links",
         [](const fs::path& t) { EXPECT_TRUE(fs::is_symlink(fs::symlink_status(t))); }},
        {"a name of 255 characters", [](const fs::path& t) { WriteAll(t, "old"); }, "",
         [](const fs::path& t) { EXPECT_EQ(ReadAll(t), "new"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_);
        fs::create_directory(dir_);
        const std::string name = std::string(c.name).find("255") != std::string::npos
                                     ? std::string(251, 'n') + ".htm"
                                     : "out.htm";
        const fs::path target = dir_ / name;
        c.make(target);
        const std::set<std::string> before = Names(dir_);

        const std::string error = Export(target);
        if (*c.refusal == '\0') {
            EXPECT_EQ(error, "");
        } else {
            EXPECT_NE(error.find(target.string() + ": "), std::string::npos) << error;
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        }
        c.check(target);
        // Nothing is left beside the target: no new copy, finished or not.
        std::set<std::string> after = Names(dir_);
        after.insert(name);
        std::set<std::string> expected = before;
        expected.insert(name);
        EXPECT_EQ(after, expected);
    }
}

TEST_F(ExportFileTest, AKilledExportsCopyIsRemovedByTheNextExportIntoItsFolder) {
    const std::string dead = ".quillet-export." + std::to_string(EndedProcess()) + ".Ab12Cd";
    const std::string live = ".quillet-export." + std::to_string(getppid()) + ".Ab12Cd";
    const std::vector<std::string> others = {".quillet-export.x.Ab12Cd", "out.htm.Ab12Cd",
                                             ".quillet-export." + std::to_string(EndedProcess())};
    WriteAll(dir_ / dead, std::string(1000, 'x'));
    WriteAll(dir_ / live, "still being written");
    for (const std::string& name : others) {
        WriteAll(dir_ / name, "not ours");
    }

    EXPECT_EQ(Export(dir_ / "out.htm"), "");
    std::set<std::string> expected(others.begin(), others.end());
    expected.insert({live, "out.htm"});
    EXPECT_EQ(Names(dir_), expected);
}

}  // namespace
