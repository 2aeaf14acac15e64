// The search title a later instance asks the first one for.
#include <gtest/gtest.h>

#include "app/just_one.h"

namespace {

TEST(SearchTitle, UpperCaseExeOrNoExtensionGiveATitleOtherNamesNone) {
    EXPECT_EQ(SearchTitleFor(QStringLiteral("QUILLET.EXE")), QStringLiteral("QUILLET"));
    EXPECT_EQ(SearchTitleFor(QStringLiteral("quillet.exe")), QString());
    EXPECT_EQ(SearchTitleFor(QStringLiteral("quillet")), QStringLiteral("quillet"));
    EXPECT_EQ(SearchTitleFor(QStringLiteral("a.b.c")), QString());
    // ".EXE" anywhere counts, and the last four characters go, as the rule was written.
    EXPECT_EQ(SearchTitleFor(QStringLiteral("Q.EXE.BAK")), QStringLiteral("Q.EXE"));
}

}  // namespace
