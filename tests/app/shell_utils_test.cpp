// The shell utilities' rules: trimming only spaces, splitting with empty pieces, note padding,
// and where the program's files live.
#include "app/shell_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(TrimTest, OnlyTheSpaceCharacterIsABlank) {
    EXPECT_EQ(TrimLeadingSpaces("  \tword  "), "\tword  ");
    EXPECT_EQ(TrimTrailingSpaces("  word\t  "), "  word\t");
    EXPECT_EQ(TrimSpaces("   two words   "), "two words");
    EXPECT_EQ(TrimSpaces("     "), "");
    EXPECT_EQ(TrimLeadingSpaces("     "), "");
    EXPECT_EQ(TrimTrailingSpaces(""), "");
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    SplitText(text, delimiter, pieces);
    return pieces;
}

TEST(SplitTextTest, KeepsEmptyPiecesAndAppendsToTheList) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("home,,work", ","), (V{"home", "", "work"}));
    EXPECT_EQ(Split("home,", ","), (V{"home", ""}));
    EXPECT_EQ(Split("", ","), (V{""}));
    EXPECT_EQ(Split(" a b ", " "), (V{"", "a", "b", ""}));
    EXPECT_EQ(Split("a--b", "--"), (V{"a", "b"}));

    std::vector<std::string> list{"kept"};
    SplitText("x y", " ", list);
    EXPECT_EQ(list, (V{"kept", "x", "y"}));
}

TEST(SplitTextTest, ServesTextsLongerThan255Characters) {
    std::string text;
    for (int i = 0; i < 400; ++i) {
        text += "word" + std::to_string(i) + " ";
    }
    const auto pieces = Split(text, " ");
    ASSERT_EQ(pieces.size(), 401u);
    EXPECT_EQ(pieces[399], "word399");
    EXPECT_EQ(pieces[400], "");
}

TEST(PadMemoTextTest, PadsTheLastLineWhenTheLengthIsAMultipleOfFour) {
    EXPECT_EQ(PadMemoText("12345678"), "12345678 ");
    EXPECT_EQ(PadMemoText("1234567"), "1234567");
    EXPECT_EQ(PadMemoText(""), "");
    EXPECT_EQ(PadMemoText("ab\r\ncdef"), "ab\r\ncdef ");
    // The line break after the last line is not a line of its own.
    EXPECT_EQ(PadMemoText("abcdef\r\n"), "abcdef \r\n");
    EXPECT_EQ(PadMemoText("\r\n\r\n"), "\r\n \r\n");
    EXPECT_EQ(PadMemoText("1234567 "), "1234567  ");
}

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
