// Writing date values by pattern: the patterns the program uses, the 12-hour clock, minutes
// after hours, names, nesting and literal text.
#include "rtl/date_format.h"

#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace rtl {
namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    TDateTime date = 0;
    TDateTime time = 0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, 0, time));
    return date + time;
}

class DateFormat : public ::testing::Test {
  protected:
    std::string F(std::string_view pattern, TDateTime v) const {
        return FormatDateTime(pattern, v, settings_);
    }
    FormatSettings settings_ = DefaultFormatSettings();
};

TEST_F(DateFormat, PatternsThatTheProgramWritesWith) {
    const TDateTime v = At(2026, 12, 8, 13, 5, 9);  // a Tuesday
    EXPECT_EQ(F(" hh:mmam/pm", v), " 01:05pm");
    EXPECT_EQ(F("hh:mm am/pm", v), "01:05 pm");
    EXPECT_EQ(F("hh:nn am/pm", v), "01:05 pm");
    EXPECT_EQ(F("hh:nn", v), "13:05");
    EXPECT_EQ(F("dd mmm yyyy", v), "08 Dec 2026");
    EXPECT_EQ(F("dd mmm, yyyy (ddd)", v), "08 Dec, 2026 (Tue)");
    EXPECT_EQ(F("yyyymmdd", v), "20261208");
    EXPECT_EQ(F("mm/dd/yyyy", v), "12/08/2026");
    EXPECT_EQ(F("dddd", v), "Tuesday");
    EXPECT_EQ(F("ddddd", v), "12/08/2026");
    EXPECT_EQ(F("dddddd", v), "Tuesday, December 08, 2026");
    EXPECT_EQ(F("t", v), "1:05 PM");
    EXPECT_EQ(F("tt", v), "1:05:09 PM");
}

TEST_F(DateFormat, TwelveHourClockAroundMidnightAndNoon) {
    EXPECT_EQ(F("hh:nn am/pm", At(2026, 1, 1, 0, 30)), "12:30 am");
    EXPECT_EQ(F("hh:nn am/pm", At(2026, 1, 1, 12, 0)), "12:00 pm");
    EXPECT_EQ(F("hh:nn am/pm", At(2026, 1, 1, 11, 59)), "11:59 am");
    EXPECT_EQ(F("h:nn a/p", At(2026, 1, 1, 23, 1)), "11:01 p");
    EXPECT_EQ(F("hh:nn", At(2026, 1, 1, 0, 30)), "00:30") << "no marker, 24-hour clock";
    // A marker before the hour also puts the hour on the 12-hour clock.
    EXPECT_EQ(F("ampm h:nn", At(2026, 1, 1, 15, 0)), "PM 3:00");
}

TEST_F(DateFormat, MarkersKeepTheCaseWritten) {
    const TDateTime pm = At(2026, 1, 1, 18, 0);
    EXPECT_EQ(F("hAM/PM", pm), "6PM");
    EXPECT_EQ(F("hAm/Pm", pm), "6Pm");
    EXPECT_EQ(F("hA/P", At(2026, 1, 1, 6, 0)), "6A");
    settings_.timeAMString = "vorm.";
    settings_.timePMString = "nachm.";
    EXPECT_EQ(F("h ampm", pm), "6 nachm.");
    EXPECT_EQ(F("h AMPM", At(2026, 1, 1, 6, 0)), "6 vorm.");
}

TEST_F(DateFormat, EmptyMarkerStringsLeaveNothing) {
    settings_.timeAMString.clear();
    settings_.timePMString.clear();
    EXPECT_EQ(F("hh:nn ampm", At(2026, 1, 1, 14, 0)), "02:00 ");
}

TEST_F(DateFormat, MonthLettersAfterAnHourAreMinutes) {
    const TDateTime v = At(2026, 3, 4, 5, 7);
    EXPECT_EQ(F("h:m", v), "5:7");
    EXPECT_EQ(F("hh mm", v), "05 07");
    EXPECT_EQ(F("m/d h", v), "3/4 5") << "a month before the hour stays a month";
    EXPECT_EQ(F("hh:nn d mm", v), "05:07 4 03") << "a day letter ends the hour's claim";
}

TEST_F(DateFormat, NumbersAndNames) {
    const TDateTime v = At(2026, 3, 4, 5, 7, 9);
    EXPECT_EQ(F("d dd m mm yy yyyy", v), "4 04 3 03 26 2026");
    EXPECT_EQ(F("mmm mmmm mmmmm", v), "Mar March March");
    EXPECT_EQ(F("ddd dddd", v), "Wed Wednesday");
    EXPECT_EQ(F("h hh n nn s ss", v), "5 05 7 07 9 09");
    EXPECT_EQ(F("yyyy", At(5, 1, 1)), "0005");
    EXPECT_EQ(F("yy", At(2000, 1, 1)), "00");
    EXPECT_EQ(F("DD/MM/YYYY", v), "04/03/2026") << "letters in either case";
}

TEST_F(DateFormat, SeparatorsComeFromTheSettings) {
    settings_.dateSeparator = '.';
    settings_.timeSeparator = 'h';
    const TDateTime v = At(2026, 3, 4, 5, 7);
    EXPECT_EQ(F("dd/mm/yyyy hh:nn", v), "04.03.2026 05h07");
}

TEST_F(DateFormat, QuotedTextIsCopied) {
    const TDateTime v = At(2026, 3, 4, 5, 7);
    EXPECT_EQ(F("\"day\" d 'of' mmmm", v), "day 4 of March");
    EXPECT_EQ(F("'it''s' d", v), "its 4");
    EXPECT_EQ(F("d \"unclosed mm", v), "4 unclosed mm");
    EXPECT_EQ(F("\"h\"mm", v), "h03") << "a quoted h is no hour";
}

TEST_F(DateFormat, EmptyPatternIsDateAndTime) {
    EXPECT_EQ(F("", At(2026, 3, 4)), "03/04/2026");
    EXPECT_EQ(F("", At(2026, 3, 4, 14, 30)), "03/04/2026 2:30:00 PM");
    EXPECT_EQ(F("c", At(2026, 3, 4, 14, 30)), "03/04/2026 2:30:00 PM");
}

TEST_F(DateFormat, PatternsThatNameThemselvesDoNotRecurseForEver) {
    settings_.shortDateFormat = "ddddd";
    settings_.longDateFormat = "dddddd x";
    settings_.shortTimeFormat = "t";
    EXPECT_EQ(F("ddddd", At(2026, 3, 4)), "");
    EXPECT_EQ(F("dddddd", At(2026, 3, 4)), " x x");
    EXPECT_EQ(F("t|", At(2026, 3, 4)), "|");
}

TEST_F(DateFormat, ValuesOutsideTheCalendarGiveNothing) {
    EXPECT_EQ(F("dd mmm yyyy", 1e9), "");
    EXPECT_EQ(F("dddd", std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(F("dd/mm/yyyy", At(1, 1, 1)), "01/01/0001");
}

// Random patterns over the letters that mean something, quotes and markers included: every
// one gives some text, and the same text again (nothing depends on stray state).
TEST_F(DateFormat, RandomPatternsAreSafe) {
    std::mt19937 random(8122026);
    const std::string alphabet = "dmyhnsztcDMYHNSZTCap/:'\" xAMPM";
    settings_.shortDateFormat = "ddddd/c";
    settings_.longTimeFormat = "tt c";
    const TDateTime v = At(2026, 12, 8, 23, 59, 59);
    for (int i = 0; i < 20000; ++i) {
        std::string pattern(random() % 24, ' ');
        for (char& c : pattern) {
            c = alphabet[random() % alphabet.size()];
        }
        const std::string once = F(pattern, v);
        ASSERT_EQ(F(pattern, v), once) << pattern;
        ASSERT_LT(once.size(), 100000u) << pattern;
    }
}

}  // namespace
}  // namespace rtl
