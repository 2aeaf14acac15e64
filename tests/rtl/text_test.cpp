// The text utilities' rules: trimming only spaces, splitting with empty pieces, note padding.
#include "rtl/text.h"

#include <gtest/gtest.h>

namespace rtl {
namespace {

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

}  // namespace
}  // namespace rtl
