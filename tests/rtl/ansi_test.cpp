// Windows-1252 text: conversion to and from UTF-8, and case mapping.
#include "rtl/ansi.h"

#include <gtest/gtest.h>

namespace rtl {
namespace {

TEST(Ansi, EveryByteSurvivesARoundTripThroughUtf8) {
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one) << "byte " << b;
    }
}

TEST(Ansi, HighBytesMapToTheirCharacters) {
    EXPECT_EQ(AnsiToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(AnsiToUtf8("caf\xE9"), "caf\u00E9");
    EXPECT_EQ(AnsiToUtf8("\x93q\x94"), "\u201Cq\u201D");
    EXPECT_EQ(Utf8ToAnsi("\u0160"), "\x8A");
}

TEST(Ansi, CharactersOutsideThePageAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8ToAnsi("\U0001F600"), "?");
    EXPECT_EQ(Utf8ToAnsi("x\xC3"), "x?") << "truncated sequence at the end";
    EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "?") << "overlong form is not a slash";
    EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "?") << "surrogate";
    EXPECT_EQ(Utf8ToAnsi("\xFF"), "?");
}

TEST(Ansi, CaseMappingCoversAccentedLetters) {
    EXPECT_EQ(AnsiUpperCase("am pm \xE9\xFF\x9A\x9C"), "AM PM \xC9\x9F\x8A\x8C");
    EXPECT_EQ(AnsiLowerCase("AM PM \xC9\x9F\x8A\x8C"), "am pm \xE9\xFF\x9A\x9C");
    // The multiplication and division signs and sharp s have no other case.
    EXPECT_EQ(AnsiUpper('\xF7'), '\xF7');
    EXPECT_EQ(AnsiLower('\xD7'), '\xD7');
    EXPECT_EQ(AnsiUpper('\xDF'), '\xDF');
}

}  // namespace
}  // namespace rtl
