// The process-wide date and time format settings that formatting and reading go by, the two
// named sets of five (internal and user) and the reading of the user's settings from the locale.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rtl {

// All texts are Windows-1252. Patterns are in the pattern language of FormatDateTime.
struct FormatSettings {
    std::string shortDateFormat;
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string timeAMString;
    std::string timePMString;
    std::string longDateFormat;
    std::string shortTimeFormat;
    std::string longTimeFormat;
    std::array<std::string, 12> shortMonthNames;  // January first
    std::array<std::string, 12> longMonthNames;
    std::array<std::string, 7> shortDayNames;  // Sunday first
    std::array<std::string, 7> longDayNames;
};

// The five settings that the program switches between the internal and the user's notation.
struct DateTimeFormatSet {
    std::string shortDateFormat;
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string timeAMString;
    std::string timePMString;

    bool operator==(const DateTimeFormatSet&) const = default;
};

// The order of a numeric date: taken from the first d, m or y (either case) in a short date
// pattern; m or none of them means month-day-year.
enum class DateOrder { kMonthDayYear, kDayMonthYear, kYearMonthDay };
DateOrder GetDateOrder(std::string_view shortDateFormat);

// "mm/dd/yyyy", "/", ":", "AM", "PM".
DateTimeFormatSet InternalFormatSet();
DateTimeFormatSet TakeFormatSet(const FormatSettings& settings);
void ApplyFormatSet(FormatSettings& settings, const DateTimeFormatSet& set);

// The internal five with English names, long date "dddd, mmmm dd, yyyy" and the times
// "h:nn AMPM" / "h:nn:ss AMPM": a fixed set for tests and for fallbacks.
FormatSettings DefaultFormatSettings();

// The settings in force for the whole process. Until something is set they are the user's,
// read from the locale on first use, as the operating system gives them at start-up.
// Only the user-interface thread touches them.
const FormatSettings& CurrentFormats();
void SetCurrentFormats(const FormatSettings& settings);
// The settings in force with the internal five in place of whichever five are in force: the
// user's names, the program's own notation. Stored texts are read under these, also while a
// dialog has the user's notation in force.
FormatSettings InternalFormats();

// What the locale's LC_TIME category says, as the C library gives it (in `codeset`).
struct LocaleTimeInfo {
    std::string codeset;         // CODESET, e.g. "UTF-8"
    std::string dateFormat;      // D_FMT, a strftime pattern
    std::string timeFormat;      // T_FMT
    std::string timeFormatAmPm;  // T_FMT_AMPM, which "%r" stands for
    std::string amString;
    std::string pmString;
    std::array<std::string, 7> dayNames;  // DAY_1 (Sunday) .. DAY_7
    std::array<std::string, 7> abbreviatedDayNames;
    std::array<std::string, 12> monthNames;
    std::array<std::string, 12> abbreviatedMonthNames;
};

// The user's locale (the environment's LC_ALL / LC_TIME / LANG); the "C" locale's values when
// the environment names a locale that is not installed. Leaves the process locale alone.
LocaleTimeInfo ReadLocaleTimeInfo();

// A strftime pattern in the pattern language; the first literal character that follows a
// numeric field is reported as the separator ('\0' when there is none). Conversions with no
// equivalent (time zone, week numbers...) are dropped, and so is %p without `withMarkers`;
// blanks left at either end are trimmed.
struct ConvertedPattern {
    std::string pattern;
    char separator = '\0';
};
ConvertedPattern ConvertStrftimePattern(std::string_view strftime,
                                        std::string_view ampmPattern = {}, bool withMarkers = true);

// A long time pattern without its seconds (and the separator before them).
std::string DropSeconds(std::string_view pattern);

// Settings built from locale data: patterns converted, texts turned into Windows-1252, empty
// AM/PM strings (and 24-hour times) when the locale has none. The locale has no long date
// pattern, so the long date follows the short date's order.
FormatSettings FormatSettingsFromLocale(const LocaleTimeInfo& info);
inline FormatSettings UserFormatSettings() {
    return FormatSettingsFromLocale(ReadLocaleTimeInfo());
}

}  // namespace rtl
