// Where the program's files live.
#include "store/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ProgramDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("quillet-progdir-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_F(ProgramDirTest, IsTheExecutablesFolderWithATrailingSlash) {
    EXPECT_EQ(store::ChooseProgramDir((root_ / "bin").string(), "", "").dir,
              (root_ / "bin").string() + "/");
    EXPECT_EQ(store::ChooseProgramDir((root_ / "bin").string() + "/", "", "").dir,
              (root_ / "bin").string() + "/");
}

TEST_F(ProgramDirTest, FallsBackToTheUsersDataFolderAndCreatesIt) {
    const std::string unusable = (root_ / "no-such-folder").string();
    EXPECT_EQ(store::ChooseProgramDir(unusable, (root_ / "data").string(), "/ignored").dir,
              (root_ / "data" / "quillet").string() + "/");
    EXPECT_TRUE(fs::is_directory(root_ / "data" / "quillet"));

    // Without XDG_DATA_HOME (or with a relative one) the folder lies under HOME.
    EXPECT_EQ(store::ChooseProgramDir(unusable, "relative", (root_ / "home").string()).dir,
              (root_ / "home" / ".local/share/quillet").string() + "/");
    EXPECT_EQ(store::ChooseProgramDir(unusable, "", "").dir, "");
}

// The person learns where the tasks went when they are not beside the program, and, when no
// folder will do, each folder tried and the system's reason, not a table that "cannot be
// created".
TEST_F(ProgramDirTest, AFallbackIsToldOnceAndNoFolderAtAllNamesTheRealCause) {
    fs::create_directories(root_ / "home");
    std::ofstream(root_ / "a-file") << "x";
    const std::string bin = (root_ / "bin").string();
    const std::string missing = (root_ / "no-such-folder").string();
    const std::string home = (root_ / "home").string();
    const std::string file = (root_ / "a-file").string();
    struct Case {
        const char* name;
        std::string executableDir, dataHome, home;
        std::string dir, notice, failure;
    };
    const std::vector<Case> cases = {
        {"beside the program", bin, "", home, bin + "/", "", ""},
        {"the program's folder is gone", missing, "", home, home + "/.local/share/quillet/",
         "Tasks are kept in ~/.local/share/quillet: the program's folder cannot be written", ""},
        {"the program's folder is a file", file, (root_ / "data").string(), home,
         (root_ / "data/quillet/").string(),
         "Tasks are kept in " + (root_ / "data/quillet").string() +
             ": the program's folder cannot be written",
         ""},
        {"no program folder known: nothing to say", "", "", home, home + "/.local/share/quillet/",
         "", ""},
        {"no home folder", missing, "", "", "", "",
         "Quillet cannot keep its tasks: the program's folder " + missing +
             "/ cannot be written (No such file or directory), and there is no home folder to "
             "keep them in (HOME is not set)."},
        {"neither folder known", "", "", "", "", "",
         "Quillet cannot keep its tasks: the program's folder is not known, and there is no "
         "home folder to keep them in (HOME is not set)."},
        {"the data folder cannot be made", missing, file, home, "", "",
         "Quillet cannot keep its tasks: the program's folder " + missing +
             "/ cannot be written (No such file or directory), nor can " + file +
             "/quillet/ (Not a directory)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const store::ProgramFolder chosen =
            store::ChooseProgramDir(c.executableDir, c.dataHome, c.home);
        EXPECT_EQ(chosen.dir, c.dir);
        EXPECT_EQ(chosen.notice, c.notice);
        EXPECT_EQ(chosen.failure, c.failure);
    }
}

// A copy installed with share/quillet/ beside its bin/ keeps the person's files in the user's
// data folder, quietly (it is where they belong), and reads its help from that share/quillet/;
// every other copy keeps both beside itself, as a copy run from its build folder does.
TEST_F(ProgramDirTest, AnInstalledCopyKeepsTasksInTheDataFolderAndHelpInItsShareFolder) {
    const fs::path prefix = root_ / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "quillet");
    fs::create_directories(root_ / "lone" / "bin");
    fs::create_directories(root_ / "lone" / "share");
    std::ofstream(root_ / "lone" / "share" / "quillet") << "not a folder";
    fs::create_directories(root_ / "home");
    const std::string home = (root_ / "home").string();
    const std::string data = (root_ / "data").string();
    const std::string installedBin = (prefix / "bin").string();
    const std::string share = (prefix / "share" / "quillet").string() + "/";
    struct Case {
        const char* name;
        std::string executableDir, dataHome;
        std::string dir, helpDir, notice;
    };
    const std::vector<Case> cases = {
        {"installed", installedBin, data, data + "/quillet/", share, ""},
        {"installed, named with a trailing slash", installedBin + "/", data, data + "/quillet/",
         share, ""},
        {"installed, no XDG_DATA_HOME", installedBin, "", home + "/.local/share/quillet/", share,
         ""},
        {"installed, a relative XDG_DATA_HOME", installedBin, "rel",
         home + "/.local/share/quillet/", share, ""},
        {"share/quillet is a file, not a folder", (root_ / "lone" / "bin").string(), data,
         (root_ / "lone" / "bin").string() + "/", (root_ / "lone" / "bin").string() + "/", ""},
        {"run from a build folder", (root_ / "bin").string(), data, (root_ / "bin").string() + "/",
         (root_ / "bin").string() + "/", ""},
        {"a folder that cannot be written, not installed", (root_ / "gone").string(), data,
         data + "/quillet/", data + "/quillet/",
         "Tasks are kept in " + data + "/quillet: the program's folder cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const store::ProgramFolder chosen =
            store::ChooseProgramDir(c.executableDir, c.dataHome, home);
        EXPECT_EQ(chosen.dir, c.dir);
        EXPECT_EQ(chosen.helpDir, c.helpDir);
        EXPECT_EQ(chosen.notice, c.notice);
        EXPECT_EQ(chosen.failure, "");
        EXPECT_TRUE(fs::is_directory(chosen.dir));
    }
    // The installed copy's folder is never written, even when it could be.
    EXPECT_TRUE(fs::is_empty(prefix / "bin"));

    const store::ProgramFolder homeless = store::ChooseProgramDir(installedBin, "", "");
    EXPECT_EQ(homeless.dir, "");
    EXPECT_EQ(homeless.failure, "Quillet cannot keep its tasks: it is installed in " +
                                    installedBin +
                                    "/ and keeps them in the user's data folder, and there is "
                                    "no home folder to keep them in (HOME is not set).");
}

TEST(ShellPathsTest, TheSettingsFileLivesInTheProgramDir) {
    const std::string dir = store::GetProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(store::GetIniFileName(), dir + "TODO.INI");
    EXPECT_EQ(store::GetHelpFileName(), dir + "QUILX.HLP");  // the test runs from its build
}

}  // namespace
