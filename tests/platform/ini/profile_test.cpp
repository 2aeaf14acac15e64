// Reading and writing profile strings: the matching rules, integer reading, and what a write keeps.
#include "platform/ini/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("quillet-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / "TODO.INI").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Store(const std::string& content) { std::ofstream(file_, std::ios::binary) << content; }
    std::string Content() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ini::ReadString(file_, "Preferences", "Order", "none"), "none");
    EXPECT_EQ(ini::ReadInteger(file_, "Preferences", "SplitterBar", 200), 200);
    EXPECT_TRUE(ini::ReadBool(file_, "Preferences", "ShowDone", true));

    Store("[Preferences]\r\nOrder=3\r\n");
    EXPECT_EQ(ini::ReadInteger(file_, "Other", "Order", 7), 7);
    EXPECT_EQ(ini::ReadInteger(file_, "Preferences", "Missing", 7), 7);
}

TEST_F(ProfileTest, NamesMatchWithoutRegardToCaseAndValuesLoseBlanksAndQuotes) {
    Store(
        "; a comment=not a key\r\n[preferences]\r\n  splitterbar =  240  \r\n"
        "Title=\"  quoted  \"\r\n[TMainScreen_Placement]\nLeft=10\n");
    EXPECT_EQ(ini::ReadInteger(file_, "PREFERENCES", "SplitterBar", 0), 240);
    EXPECT_EQ(ini::ReadString(file_, "Preferences", "TITLE", ""), "  quoted  ");
    EXPECT_EQ(ini::ReadInteger(file_, "tmainscreen_placement", "left", 0), 10);
    EXPECT_EQ(ini::ReadString(file_, "Preferences", "; a comment", "none"), "none");
}

TEST_F(ProfileTest, IntegersAreDecimalOrHexAndAnythingElseGivesTheDefault) {
    Store(
        "[S]\r\ndec=-42\r\nhex=0x1F\r\nupper=0XfF\r\nall=0xFFFFFFFF\r\ntrail=12abc\r\n"
        "empty=\r\nbare=0x\r\nhuge=99999999999\r\nminus=-2147483648\r\nbool=5\r\n");
    EXPECT_EQ(ini::ReadInteger(file_, "S", "dec", 0), -42);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "hex", 0), 31);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "upper", 0), 255);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "all", 0), -1);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "trail", 9), 9);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "empty", 9), 9);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "bare", 9), 9);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "huge", 9), 9);
    EXPECT_EQ(ini::ReadInteger(file_, "S", "minus", 9), -2147483647 - 1);
    EXPECT_TRUE(ini::ReadBool(file_, "S", "bool", false));
    EXPECT_FALSE(ini::ReadBool(file_, "S", "trail", false));
}

TEST_F(ProfileTest, LongValuesAreCutToTheReadLimit) {
    Store("[S]\r\nlong=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(ini::ReadString(file_, "S", "long", "").size(), ini::kMaxValueLength);
}

TEST_F(ProfileTest, WritingCreatesTheFileSectionAndKeyWithCrLf) {
    ASSERT_TRUE(ini::WriteInteger(file_, "Preferences", "SplitterBar", 200));
    ASSERT_TRUE(ini::WriteBool(file_, "Preferences", "ShowDone", false));
    ASSERT_TRUE(ini::WriteInteger(file_, "TMainScreen_Placement", "Left", -5));
    EXPECT_EQ(Content(),
              "[Preferences]\r\nSplitterBar=200\r\nShowDone=0\r\n\r\n"
              "[TMainScreen_Placement]\r\nLeft=-5\r\n");
    EXPECT_EQ(ini::ReadInteger(file_, "TMainScreen_Placement", "Left", 0), -5);
}

TEST_F(ProfileTest, WritingKeepsEveryOtherLineAndReplacesTheKeyInPlace) {
    Store(
        "; settings\r\n[Report]\r\nFont=Arial\r\n\r\n[Preferences]\r\nORDER=2\r\nodd line\r\n\r\n"
        "[Last]\r\nx=1\r\n");
    ASSERT_TRUE(ini::WriteInteger(file_, "preferences", "Order", 4));
    ASSERT_TRUE(ini::WriteString(file_, "Preferences", "ShowDone", "1"));
    EXPECT_EQ(Content(),
              "; settings\r\n[Report]\r\nFont=Arial\r\n\r\n[Preferences]\r\nOrder=4\r\nodd line\r\n"
              "ShowDone=1\r\n\r\n[Last]\r\nx=1\r\n");
}

TEST_F(ProfileTest, AValueWithALineBreakIsRefusedAndTheFileStaysAsItWas) {
    Store("[S]\r\nk=old\r\n");
    EXPECT_FALSE(ini::WriteString(file_, "S", "k", "two\r\nlines"));
    EXPECT_FALSE(ini::WriteString(file_, "S", "k", "lf\nonly"));
    EXPECT_FALSE(ini::WriteString(file_, "S", "bad=key", "v"));
    EXPECT_FALSE(ini::WriteString(file_, "Bad]", "k", "v"));
    EXPECT_FALSE(ini::WriteString(file_, "S", "", "v"));
    EXPECT_EQ(Content(), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileTest, AFailedWriteIsReportedAndLeavesNoTemporaryFile) {
    const std::string nowhere = (dir_ / "missing" / "TODO.INI").string();
    EXPECT_FALSE(ini::WriteString(nowhere, "S", "k", "v"));

    ASSERT_TRUE(ini::WriteString(file_, "S", "k", "v"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

}  // namespace
