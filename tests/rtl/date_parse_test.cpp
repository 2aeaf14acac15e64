// Reading date and time texts: order, short forms, century, blanks, separators, leftovers,
// markers and ranges.
#include "rtl/date_parse.h"

#include <random>

#include <gtest/gtest.h>

#include "rtl/date_format.h"

namespace rtl {
namespace {

constexpr int kThisYear = 2026;

TDateTime Ymd(int y, int m, int d) {
    TDateTime v = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, v));
    return v;
}

TDateTime Hms(int h, int m, int s = 0) {
    TDateTime v = 0;
    EXPECT_TRUE(TryEncodeTime(h, m, s, 0, v));
    return v;
}

FormatSettings WithDatePattern(std::string pattern, char separator) {
    FormatSettings s = DefaultFormatSettings();
    s.shortDateFormat = std::move(pattern);
    s.dateSeparator = separator;
    return s;
}

class DateReading : public ::testing::Test {
  protected:
    // The value read, or -1e9 when the text is rejected.
    TDateTime Read(std::string_view text, int year = kThisYear) const {
        TDateTime v = -1e9;
        return TryStrToDate(text, v, settings_, year) ? v : -1e9;
    }
    bool Rejects(std::string_view text) const { return Read(text) == -1e9; }

    FormatSettings settings_ = DefaultFormatSettings();
};

TEST_F(DateReading, MonthDayYear) {
    EXPECT_EQ(Read("12/8/2026"), Ymd(2026, 12, 8));
    EXPECT_EQ(Read("1/2"), Ymd(2026, 1, 2)) << "two numbers: month and day of this year";
    EXPECT_EQ(Read("1/2", 1999), Ymd(1999, 1, 2));
}

TEST_F(DateReading, DayMonthYearAndYearMonthDayOrders) {
    settings_ = WithDatePattern("dd.mm.yyyy", '.');
    EXPECT_EQ(Read("8.12.2026"), Ymd(2026, 12, 8));
    EXPECT_EQ(Read("1.2"), Ymd(2026, 2, 1));
    EXPECT_TRUE(Rejects("12/8/2026")) << "the separator in force, not the internal one";

    settings_ = WithDatePattern("yyyy-mm-dd", '-');
    EXPECT_EQ(Read("2026-12-08"), Ymd(2026, 12, 8));
    EXPECT_EQ(Read("1-2"), Ymd(2026, 1, 2)) << "month first unless day-month-year";

    // The first of d, m and y decides, in either case; none of them means month-day-year.
    settings_ = WithDatePattern("'x' D/M/Y", '/');
    EXPECT_EQ(Read("8/12/2026"), Ymd(2026, 12, 8));
    settings_ = WithDatePattern("", '/');
    EXPECT_EQ(Read("12/8/2026"), Ymd(2026, 12, 8));
}

TEST_F(DateReading, ShortYearsLandInTheCurrentCentury) {
    EXPECT_EQ(Read("1/2/99"), Ymd(2099, 1, 2)) << "entered in 2026";
    EXPECT_EQ(Read("1/2/26"), Ymd(2026, 1, 2));
    EXPECT_EQ(Read("1/2/0"), Ymd(2000, 1, 2));
    EXPECT_EQ(Read("1/2/99", 1998), Ymd(1999, 1, 2));
    EXPECT_EQ(Read("1/2/100"), Ymd(100, 1, 2)) << "100 is a year of its own";
    EXPECT_EQ(Read("1/2/0099"), Ymd(2099, 1, 2)) << "the value decides, not the digits";
}

TEST_F(DateReading, DatesMustExist) {
    EXPECT_TRUE(Rejects("2/30/2026"));
    EXPECT_TRUE(Rejects("2/29/1900"));
    EXPECT_EQ(Read("2/29/2000"), Ymd(2000, 2, 29));
    EXPECT_TRUE(Rejects("2/29/2026"));
    EXPECT_TRUE(Rejects("13/1/2026"));
    EXPECT_TRUE(Rejects("0/1/2026"));
    EXPECT_TRUE(Rejects("1/0/2026"));
    EXPECT_TRUE(Rejects("4/31"));
}

TEST_F(DateReading, BlanksBeforeNumbersAndSeparatorsAndAtTheEnd) {
    EXPECT_EQ(Read("  1 / 2 /  2026  "), Ymd(2026, 1, 2));
    EXPECT_TRUE(Rejects("")) << "nothing to read";
    EXPECT_TRUE(Rejects("   ")) << "blanks alone are no date";
    EXPECT_TRUE(Rejects("1 2 2026")) << "blanks do not separate under '/'";
    EXPECT_TRUE(Rejects("\t1/2/2026")) << "only the space counts as a blank";
}

TEST_F(DateReading, OneTrailingSeparatorIsAllowed) {
    EXPECT_EQ(Read("1/2/2026/"), Ymd(2026, 1, 2));
    EXPECT_EQ(Read("1/2/"), Ymd(2026, 1, 2));
    EXPECT_EQ(Read("1/2/ "), Ymd(2026, 1, 2));
    EXPECT_TRUE(Rejects("1/2/2026//"));
    EXPECT_TRUE(Rejects("1/2//"));
}

TEST_F(DateReading, AnythingElseLeftOverIsRejected) {
    EXPECT_TRUE(Rejects("1/2/2026x"));
    EXPECT_TRUE(Rejects("1/2/2026/5"));
    EXPECT_TRUE(Rejects("1/2/2026 13:00"));
    EXPECT_TRUE(Rejects("1"));
    EXPECT_TRUE(Rejects("1/"));
    EXPECT_TRUE(Rejects("/1/2"));
    EXPECT_TRUE(Rejects("a/b/c"));
    EXPECT_TRUE(Rejects("-1/2/2026"));
}

TEST_F(DateReading, NumbersStopGrowingAtFourDigits) {
    // Digits are taken while the value is below 1000: 12026 reads as 1202, leaving a 6.
    EXPECT_TRUE(Rejects("1/2/12026"));
    EXPECT_EQ(Read("1/2/9999"), Ymd(9999, 1, 2));
    EXPECT_EQ(Read("0001/0002/02026"), Ymd(2026, 1, 2)) << "leading zeros do not count";
    EXPECT_TRUE(Rejects("1/2/99999999999999999999")) << "no overflow, just leftovers";
}

TEST_F(DateReading, ABlankSeparatorIsOneOrMoreBlanks) {
    settings_ = WithDatePattern("dd mm yyyy", ' ');
    EXPECT_EQ(Read("8 12 2026"), Ymd(2026, 12, 8));
    EXPECT_EQ(Read(" 8   12 2026 "), Ymd(2026, 12, 8));
    EXPECT_EQ(Read("8 12"), Ymd(2026, 12, 8));
    EXPECT_TRUE(Rejects("8122026"));
}

TEST_F(DateReading, TheShortFormReadsUnderTheSettingsInForce) {
    const FormatSettings saved = CurrentFormats();
    SetCurrentFormats(DefaultFormatSettings());
    TDateTime value = -1;
    EXPECT_TRUE(TryStrToDate("12/8/2026", value));
    EXPECT_EQ(value, Ymd(2026, 12, 8));
    EXPECT_FALSE(TryStrToDate("31/31", value));
    EXPECT_EQ(value, Ymd(2026, 12, 8)) << "a failed read leaves the result as it was";
    SetCurrentFormats(saved);
}

class TimeReading : public ::testing::Test {
  protected:
    TDateTime Read(std::string_view text) const {
        TDateTime v = -1;
        return TryStrToTime(text, v, settings_) ? v : -1;
    }
    bool Rejects(std::string_view text) const { return Read(text) == -1; }

    FormatSettings settings_ = DefaultFormatSettings();
};

TEST_F(TimeReading, HourMinutesSeconds) {
    EXPECT_EQ(Read("13:05"), Hms(13, 5));
    EXPECT_EQ(Read("7"), Hms(7, 0));
    EXPECT_EQ(Read("7:5:9"), Hms(7, 5, 9));
    EXPECT_EQ(Read(" 07 : 05 : 09 "), Hms(7, 5, 9));
    EXPECT_EQ(Read("0:00"), 0);
    EXPECT_EQ(Read("23:59:59"), Hms(23, 59, 59));
}

TEST_F(TimeReading, MarkersPutTheHourOnTheTwelveHourClock) {
    EXPECT_EQ(Read("12:30 am"), Hms(0, 30)) << "half past midnight";
    EXPECT_EQ(Read("12:30 PM"), Hms(12, 30));
    EXPECT_EQ(Read("1:05pm"), Hms(13, 5));
    EXPECT_EQ(Read("1 Pm"), Hms(13, 0));
    EXPECT_EQ(Read("11:59:59 PM"), Hms(23, 59, 59));
    EXPECT_EQ(Read("9 AM  "), Hms(9, 0));
}

TEST_F(TimeReading, WithAMarkerTheHourIsOneToTwelve) {
    EXPECT_TRUE(Rejects("13:00 PM"));
    EXPECT_TRUE(Rejects("0:30 AM"));
    EXPECT_TRUE(Rejects("00:30 am"));
    EXPECT_EQ(Read("0:30"), Hms(0, 30));
}

TEST_F(TimeReading, UserMarkersAndTheEnglishOnesBothCount) {
    settings_.timeAMString = "vorm.";
    settings_.timePMString = "nachm.";
    EXPECT_EQ(Read("3 NACHM."), Hms(15, 0));
    EXPECT_EQ(Read("3 vorm."), Hms(3, 0));
    EXPECT_EQ(Read("3 pm"), Hms(15, 0));
    EXPECT_TRUE(Rejects("3 nachm"));
}

TEST_F(TimeReading, EmptyUserMarkersMatchNothing) {
    settings_.timeAMString.clear();
    settings_.timePMString.clear();
    EXPECT_EQ(Read("13:00"), Hms(13, 0));
    EXPECT_EQ(Read("1:00 PM"), Hms(13, 0));
    EXPECT_TRUE(Rejects("13:00 x"));
}

TEST_F(TimeReading, AMarkerThatBeginsLikeAnotherDoesNotCutTheTextShort) {
    settings_.timeAMString = "A";
    settings_.timePMString = "AP";
    EXPECT_EQ(Read("3 AP"), Hms(15, 0));
    EXPECT_EQ(Read("3 A"), Hms(3, 0));
}

TEST_F(TimeReading, AccentedMarkersCompareWithoutCase) {
    settings_.timePMString = "\xE9v";  // Windows-1252 e acute
    EXPECT_EQ(Read("3 \xC9V"), Hms(15, 0));
}

TEST_F(TimeReading, RangesAndLeftovers) {
    EXPECT_TRUE(Rejects("24:00"));
    EXPECT_TRUE(Rejects("12:60"));
    EXPECT_TRUE(Rejects("12:00:60"));
    EXPECT_TRUE(Rejects(""));
    EXPECT_TRUE(Rejects("   "));
    EXPECT_TRUE(Rejects("12:"));
    EXPECT_TRUE(Rejects(":30"));
    EXPECT_TRUE(Rejects("12:00:00:00"));
    EXPECT_TRUE(Rejects("12.30"));
    EXPECT_TRUE(Rejects("12:30 PMX"));
    EXPECT_TRUE(Rejects("12:30 PM PM"));
    EXPECT_TRUE(Rejects("PM 12:30"));
    EXPECT_TRUE(Rejects("12:30 noon"));
}

TEST_F(TimeReading, TheSeparatorInForceIsUsed) {
    settings_.timeSeparator = '.';
    EXPECT_EQ(Read("12.30"), Hms(12, 30));
    EXPECT_TRUE(Rejects("12:30"));
}

TEST(DateTimeReading, DateTimeOrEither) {
    const FormatSettings s = DefaultFormatSettings();
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDateTime("12/8/2026 1:05 pm", v, s, kThisYear));
    EXPECT_DOUBLE_EQ(v, Ymd(2026, 12, 8) + Hms(13, 5));
    ASSERT_TRUE(TryStrToDateTime("12/8/2026", v, s, kThisYear));
    EXPECT_EQ(v, Ymd(2026, 12, 8));
    ASSERT_TRUE(TryStrToDateTime("13:05", v, s, kThisYear));
    EXPECT_EQ(v, Hms(13, 5));
    ASSERT_TRUE(TryStrToDateTime("12/29/1899 6:00", v, s, kThisYear));
    EXPECT_DOUBLE_EQ(v, -1.25) << "before day 0 the time still counts forward";
    EXPECT_FALSE(TryStrToDateTime("12/8/2026 25:00", v, s, kThisYear));
    EXPECT_FALSE(TryStrToDateTime("12/8/2026 x", v, s, kThisYear));
    // The four-digit limit ends the year, so the digit after it begins the time.
    ASSERT_TRUE(TryStrToDateTime("1/2/20261", v, s, kThisYear));
    EXPECT_DOUBLE_EQ(v, Ymd(2026, 1, 2) + Hms(1, 0));
}

// What the program writes with the short date and time patterns it must read back unchanged,
// or a date typed in the editor would be stored as another day or hour.
TEST(RoundTrip, ShortDatesReadBackAsTheSameDay) {
    struct Notation {
        const char* pattern;
        char separator;
    };
    for (const Notation n :
         {Notation{"mm/dd/yyyy", '/'}, Notation{"dd.mm.yyyy", '.'}, Notation{"yyyy-mm-dd", '-'},
          Notation{"d/m/yy", '/'}, Notation{"dd mm yyyy", ' '}}) {
        const FormatSettings s = WithDatePattern(n.pattern, n.separator);
        // Two-digit years only come back inside the current century.
        const bool shortYear = std::string_view(n.pattern).find("yyyy") == std::string_view::npos;
        const TDateTime from = shortYear ? Ymd(2000, 1, 1) : Ymd(1899, 1, 1);
        const TDateTime to = shortYear ? Ymd(2099, 12, 31) : Ymd(2101, 12, 31);
        for (TDateTime day = from; day <= to; day += 1) {
            const std::string text = FormatDateTime("ddddd", day, s);
            TDateTime back = -1e9;
            ASSERT_TRUE(TryStrToDate(text, back, s, kThisYear)) << n.pattern << " " << text;
            ASSERT_EQ(back, day) << n.pattern << " " << text;
        }
    }
}

TEST(RoundTrip, ShortAndLongTimesReadBackAsTheSameMinute) {
    FormatSettings twelve = DefaultFormatSettings();
    FormatSettings twentyFour = DefaultFormatSettings();
    twentyFour.shortTimeFormat = "hh:nn";
    twentyFour.longTimeFormat = "hh:nn:ss";
    FormatSettings dotted = twentyFour;
    dotted.timeSeparator = '.';
    for (const FormatSettings* s : {&twelve, &twentyFour, &dotted}) {
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const TDateTime t = Hms(minute / 60, minute % 60, minute % 60);
            for (const char* pattern : {"t", "tt", " hh:mmam/pm", "hh:nn am/pm"}) {
                const std::string text = FormatDateTime(pattern, t, *s);
                TDateTime back = -1;
                ASSERT_TRUE(TryStrToTime(text, back, *s)) << pattern << " " << text;
                const TimeParts p = DecodeTime(back);
                ASSERT_EQ(p.hour * 60 + p.minute, minute) << pattern << " " << text;
            }
        }
    }
}

// Texts made of the characters that matter to the readers, in random order: whatever is
// accepted must be a real date or time.
TEST(Robustness, RandomTextsNeverGiveImpossibleValues) {
    std::mt19937 random(20261208);
    const std::string alphabet = "0123456789//::  .-APMapm\xE9x";
    FormatSettings s = DefaultFormatSettings();
    s.timeAMString = "a.m.";
    s.timePMString = "p.m.";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 16, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        TDateTime v = 0;
        if (TryStrToDate(text, v, s, kThisYear)) {
            ASSERT_NE(DecodeDate(v).year, 0) << text;
            ASSERT_EQ(v, static_cast<double>(static_cast<long>(v))) << text;
        }
        if (TryStrToTime(text, v, s)) {
            ASSERT_GE(v, 0) << text;
            ASSERT_LT(v, 1) << text;
        }
        if (TryStrToDateTime(text, v, s, kThisYear)) {
            ASSERT_NE(DecodeDate(v).year, 0) << text;
        }
    }
}

}  // namespace
}  // namespace rtl
