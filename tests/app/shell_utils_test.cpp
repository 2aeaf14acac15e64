// Where the program's files live.
#include "app/shell_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

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
    EXPECT_EQ(shell_detail::ChooseProgramDir((root_ / "bin").string(), "", ""),
              (root_ / "bin").string() + "/");
    EXPECT_EQ(shell_detail::ChooseProgramDir((root_ / "bin").string() + "/", "", ""),
              (root_ / "bin").string() + "/");
}

TEST_F(ProgramDirTest, FallsBackToTheUsersDataFolderAndCreatesIt) {
    const std::string unusable = (root_ / "no-such-folder").string();
    EXPECT_EQ(shell_detail::ChooseProgramDir(unusable, (root_ / "data").string(), "/ignored"),
              (root_ / "data" / "quillet").string() + "/");
    EXPECT_TRUE(fs::is_directory(root_ / "data" / "quillet"));

    // Without XDG_DATA_HOME (or with a relative one) the folder lies under HOME.
    EXPECT_EQ(shell_detail::ChooseProgramDir(unusable, "relative", (root_ / "home").string()),
              (root_ / "home" / ".local/share/quillet").string() + "/");
    EXPECT_EQ(shell_detail::ChooseProgramDir(unusable, "", ""), "");
}

TEST(ShellPathsTest, TheSettingsFileLivesInTheProgramDir) {
    const std::string dir = GetProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(GetIniFileName(), dir + "TODO.INI");
}

}  // namespace
