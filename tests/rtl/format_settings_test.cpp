// The settings sets and their translation from locale data: strftime patterns, separators,
// code sets, missing markers; and the locale reader itself on locales that every system has.
#include "rtl/format_settings.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "rtl/date_format.h"
#include "rtl/date_parse.h"

namespace rtl {
namespace {

TEST(StrftimeConversion, CommonLocalePatterns) {
    struct Case {
        const char* strftime;
        const char* pattern;
        char separator;
    };
    const Case cases[] = {
        {"%m/%d/%y", "mm/dd/yy", '/'},
        {"%m/%d/%Y", "mm/dd/yyyy", '/'},
        {"%d.%m.%Y", "dd.mm.yyyy", '.'},
        {"%Y-%m-%d", "yyyy-mm-dd", '-'},
        {"%-d.%-m.%Y", "d.m.yyyy", '.'},
        {"%e/%m/%y", "d/mm/yy", '/'},
        {"%F", "yyyy-mm-dd", '-'},
        {"%D", "mm/dd/yy", '/'},
        {"%d %b %Y", "dd mmm yyyy", ' '},
        {"%A %d %B %Y", "dddd dd mmmm yyyy", ' '},
        {"%I:%M:%S %p", "hh:nn:ss ampm", ':'},
        {"%H:%M:%S", "hh:nn:ss", ':'},
        {"%T", "hh:nn:ss", ':'},
        {"%k.%M", "h.nn", '.'},
        {"%l:%M %P", "h:nn ampm", ':'},
        {"%H%M", "hhnn", '\0'},
        {"%H%M.%S", "hhnn.ss", '.'},
        {"%A, %d. %B %Y", "dddd, dd. mmmm yyyy", '.'},
        {"%Ey/%Om/%Od", "yy/mm/dd", '/'},
    };
    for (const Case& c : cases) {
        const ConvertedPattern got = ConvertStrftimePattern(c.strftime);
        EXPECT_EQ(got.pattern, c.pattern) << c.strftime;
        EXPECT_EQ(got.separator, c.separator) << c.strftime;
    }
}

TEST(StrftimeConversion, TheAmPmTimeStandsInForR) {
    EXPECT_EQ(ConvertStrftimePattern("%r", "%I:%M:%S %p").pattern, "hh:nn:ss ampm");
    EXPECT_EQ(ConvertStrftimePattern("%r", "").pattern, "hh:nn:ss ampm");
    // A self-referring am/pm pattern stops two levels down instead of recursing for ever.
    EXPECT_EQ(ConvertStrftimePattern("%r", "%r x").pattern, "\"x\" \"x\"");
}

TEST(StrftimeConversion, LiteralLettersAndQuotesAreQuoted) {
    EXPECT_EQ(ConvertStrftimePattern("%H h %M min").pattern, "hh \"h\" nn \"min\"");
    EXPECT_EQ(ConvertStrftimePattern("%d de %B").pattern, "dd \"de\" mmmm");
    EXPECT_EQ(ConvertStrftimePattern("%d'%m\"").pattern, "dd\"'\"mm'\"'");
    EXPECT_EQ(ConvertStrftimePattern("100%%").pattern, "100%");
}

TEST(StrftimeConversion, FieldsWithoutEquivalentAreDropped) {
    EXPECT_EQ(ConvertStrftimePattern("%H:%M %Z").pattern, "hh:nn");
    EXPECT_EQ(ConvertStrftimePattern("%j %U %d").pattern, "dd");
    EXPECT_EQ(ConvertStrftimePattern("%I:%M %p", "", false).pattern, "hh:nn");
    EXPECT_EQ(ConvertStrftimePattern("%d%").pattern, "dd") << "dangling percent";
}

TEST(StrftimeConversion, ConvertedPatternsFormatLikeTheLocale) {
    FormatSettings s = DefaultFormatSettings();
    TDateTime v = 0;
    TDateTime t = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 3, 4, v));
    ASSERT_TRUE(TryEncodeTime(17, 8, 9, 0, t));
    const std::string pattern = ConvertStrftimePattern("%H h %M min").pattern;
    EXPECT_EQ(FormatDateTime(pattern, v + t, s), "17 h 08 min");
    EXPECT_EQ(FormatDateTime(ConvertStrftimePattern("%I:%M:%S %p").pattern, v + t, s),
              "05:08:09 PM");
}

TEST(DropSeconds, RemovesTheSecondsAndTheirSeparator) {
    EXPECT_EQ(DropSeconds("hh:nn:ss ampm"), "hh:nn ampm");
    EXPECT_EQ(DropSeconds("hh:nn:ss"), "hh:nn");
    EXPECT_EQ(DropSeconds("h.nn.ss"), "h.nn");
    EXPECT_EQ(DropSeconds("hh:nn"), "hh:nn");
    EXPECT_EQ(DropSeconds("hh:nn \"s\""), "hh:nn \"s\"") << "quoted s is text";
}

LocaleTimeInfo GermanUtf8() {
    LocaleTimeInfo info;
    info.codeset = "UTF-8";
    info.dateFormat = "%d.%m.%Y";
    info.timeFormat = "%T";
    info.timeFormatAmPm = "";
    info.dayNames = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                     "Donnerstag", "Freitag", "Samstag"};
    info.abbreviatedDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    info.monthNames = {"Januar", "Februar", "M\u00E4rz", "April",   "Mai",      "Juni",
                       "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    info.abbreviatedMonthNames = {"Jan", "Feb", "M\u00E4r", "Apr", "Mai", "Jun",
                                  "Jul", "Aug", "Sep",      "Okt", "Nov", "Dez"};
    return info;
}

TEST(SettingsFromLocale, GermanLocale) {
    const FormatSettings s = FormatSettingsFromLocale(GermanUtf8());
    EXPECT_EQ(s.shortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(s.dateSeparator, '.');
    EXPECT_EQ(s.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(s.shortTimeFormat, "hh:nn");
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.timeAMString, "") << "no markers in the locale, none in the settings";
    EXPECT_EQ(s.timePMString, "");
    EXPECT_EQ(s.longMonthNames[2], "M\xE4rz") << "names in Windows-1252";
    EXPECT_EQ(s.shortDayNames[0], "So");
    EXPECT_EQ(s.longDateFormat, "dddd, d mmmm yyyy");

    TDateTime v = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 3, 4, v));
    EXPECT_EQ(FormatDateTime("dddddd", v, s), "Mittwoch, 4 M\xE4rz 2026");
    EXPECT_EQ(FormatDateTime("t", v + 0.75, s), "18:00");
    TDateTime read = 0;
    ASSERT_TRUE(TryStrToDate("4.3.2026", read, s, 2026));
    EXPECT_EQ(read, v);
}

TEST(SettingsFromLocale, AmericanLocaleWithMarkers) {
    LocaleTimeInfo info = GermanUtf8();
    info.dateFormat = "%m/%d/%Y";
    info.timeFormat = "%r";
    info.timeFormatAmPm = "%I:%M:%S %p";
    info.amString = "AM";
    info.pmString = "PM";
    const FormatSettings s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(s.longTimeFormat, "hh:nn:ss ampm");
    EXPECT_EQ(s.shortTimeFormat, "hh:nn ampm");
    EXPECT_EQ(s.timeAMString, "AM");
    EXPECT_EQ(s.longDateFormat, "dddd, mmmm dd, yyyy");
    EXPECT_EQ(FormatDateTime("t", 0.75, s), "06:00 PM");
}

TEST(SettingsFromLocale, TwelveHourTimesNeedBothMarkers) {
    LocaleTimeInfo info = GermanUtf8();
    info.timeFormat = "%I:%M:%S %p";
    info.amString = "";
    info.pmString = "";
    FormatSettings s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(FormatDateTime("t", 0.75, s), "18:00") << "the afternoon is not lost";
    info.amString = "vorm.";
    s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortTimeFormat, "hh:nn") << "one marker alone is not enough either";
    info.pmString = "nachm.";
    info.timeFormat = "%p %I:%M:%S";
    s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortTimeFormat, "ampm hh:nn");
    EXPECT_EQ(FormatDateTime("t", 0.75, s), "nachm. 06:00");
}

TEST(SettingsFromLocale, EmptyOrMissingPartsFallBack) {
    LocaleTimeInfo info;  // nothing at all
    const FormatSettings s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(s.dateSeparator, '/');
    EXPECT_EQ(s.shortTimeFormat, "hh:nn");
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.longMonthNames[0], "January");
}

TEST(SettingsFromLocale, TextsOfOtherCodeSets) {
    LocaleTimeInfo info = GermanUtf8();
    info.codeset = "ISO-8859-1";
    info.monthNames[2] = "M\xE4rz";
    EXPECT_EQ(FormatSettingsFromLocale(info).longMonthNames[2], "M\xE4rz");
    info.codeset = "KOI8-R";
    info.monthNames[2] = "\xCD\xC1\xD2\xD4";
    EXPECT_EQ(FormatSettingsFromLocale(info).longMonthNames[2], "????");
    info.codeset = "UTF-8";
    info.dateFormat = "%Y\u5E74%m\u6708%d\u65E5";
    const FormatSettings s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortDateFormat, "yyyy?mm?dd?");
    EXPECT_EQ(s.dateSeparator, '?');
}

TEST(FormatSets, InternalSetAndSwitching) {
    const DateTimeFormatSet internal = InternalFormatSet();
    EXPECT_EQ(internal.shortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(internal.dateSeparator, '/');
    EXPECT_EQ(internal.timeSeparator, ':');
    EXPECT_EQ(internal.timeAMString, "AM");
    EXPECT_EQ(internal.timePMString, "PM");

    FormatSettings s = FormatSettingsFromLocale(GermanUtf8());
    const DateTimeFormatSet user = TakeFormatSet(s);
    ApplyFormatSet(s, internal);
    EXPECT_EQ(TakeFormatSet(s), internal);
    EXPECT_EQ(s.longMonthNames[0], "Januar") << "only the five are switched";
    ApplyFormatSet(s, user);
    EXPECT_EQ(s.shortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(s.timeAMString, "");
}

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(LocaleReader, ThePosixLocale) {
    ScopedEnv env("LC_ALL", "C");
    const LocaleTimeInfo info = ReadLocaleTimeInfo();
    EXPECT_EQ(info.dateFormat, "%m/%d/%y");
    EXPECT_EQ(info.timeFormat, "%H:%M:%S");
    EXPECT_EQ(info.amString, "AM");
    EXPECT_EQ(info.dayNames[0], "Sunday");
    EXPECT_EQ(info.abbreviatedMonthNames[11], "Dec");
    const FormatSettings s = FormatSettingsFromLocale(info);
    EXPECT_EQ(s.shortDateFormat, "mm/dd/yy");
    EXPECT_EQ(s.shortTimeFormat, "hh:nn");
}

TEST(LocaleReader, AnUnknownLocaleFallsBackToPosix) {
    ScopedEnv env("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(ReadLocaleTimeInfo().dateFormat, "%m/%d/%y");
}

}  // namespace
}  // namespace rtl
