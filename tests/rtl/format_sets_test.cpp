// Switching between the user's formats and the internal ones keeps everything but the five.
#include "rtl/format_sets.h"

#include <gtest/gtest.h>

#include "rtl/date_format.h"
#include "rtl/format_settings.h"

namespace {

rtl::FormatSettings GermanUser() {
    rtl::FormatSettings user = rtl::DefaultFormatSettings();
    user.shortDateFormat = "dd.mm.yyyy";
    user.dateSeparator = '.';
    user.timeSeparator = ':';
    user.timeAMString = "";
    user.timePMString = "";
    user.longDayNames[0] = "Sonntag";
    return user;
}

TEST(FormatSetsTest, SwitchesTheFiveSettingsAndKeepsTheRest) {
    rtl::SetCurrentFormats(GermanUser());
    SaveUserFormats();

    UseInternalFormats();
    EXPECT_EQ(rtl::TakeFormatSet(rtl::CurrentFormats()), rtl::InternalFormatSet());
    EXPECT_EQ(rtl::CurrentFormats().longDayNames[0], "Sonntag");

    UseUserFormats();
    EXPECT_EQ(rtl::TakeFormatSet(rtl::CurrentFormats()), rtl::TakeFormatSet(GermanUser()));

    // Dates shown in each notation follow the set in force.
    rtl::TDateTime day = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 2, day));
    EXPECT_EQ(rtl::FormatDateTime("ddddd", day), "02.01.2026");
    UseInternalFormats();
    EXPECT_EQ(rtl::FormatDateTime("ddddd", day), "01/02/2026");
}

}  // namespace
