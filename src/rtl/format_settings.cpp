// The current format settings, the internal set, and the translation of the locale's LC_TIME
// data (strftime patterns, names in the locale's code set) into them.
#include "rtl/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>

#include "rtl/ansi.h"

namespace rtl {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

FormatSettings& Current() {
    static FormatSettings settings = UserFormatSettings();
    return settings;
}

// Collects the pattern as it is converted: literal text is held back so that letters in it can
// be quoted, and the separator is the first literal character that follows a numeric field.
class PatternBuilder {
  public:
    void Field(std::string_view text, bool numeric) {
        FlushLiteral();
        out_ += text;
        watchSeparator_ = numeric;
    }

    void Literal(char c) {
        if (watchSeparator_ && separator_ == '\0') {
            separator_ = c;
            watchSeparator_ = false;
        }
        literal_ += c;
    }

    ConvertedPattern Finish() {
        FlushLiteral();
        return {out_, separator_};
    }

  private:
    // Letters would be read as pattern letters and quote marks as quoting, so both are quoted.
    void FlushLiteral() {
        size_t i = 0;
        while (i < literal_.size()) {
            const char c = literal_[i];
            if (IsAsciiLetter(c)) {
                size_t end = i;
                while (end < literal_.size() && IsAsciiLetter(literal_[end])) {
                    ++end;
                }
                out_ += '"';
                out_.append(literal_, i, end - i);
                out_ += '"';
                i = end;
                continue;
            }
            if (c == '"') {
                out_ += "'\"'";
            } else if (c == '\'') {
                out_ += "\"'\"";
            } else {
                out_ += c;
            }
            ++i;
        }
        literal_.clear();
    }

    std::string out_;
    std::string literal_;
    char separator_ = '\0';
    bool watchSeparator_ = false;
};

void Convert(std::string_view f, std::string_view ampm, bool markers, PatternBuilder& b,
             int depth) {
    size_t i = 0;
    while (i < f.size()) {
        const char c = f[i++];
        if (c != '%') {
            b.Literal(c);
            continue;
        }
        bool noPad = false;
        while (i < f.size() &&
               (f[i] == '-' || f[i] == '_' || f[i] == '0' || f[i] == '^' || f[i] == '#')) {
            noPad = noPad || f[i] == '-' || f[i] == '_';
            ++i;
        }
        while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
            ++i;
        }
        if (i < f.size() && (f[i] == 'E' || f[i] == 'O')) {
            ++i;
        }
        if (i >= f.size()) {
            break;
        }
        const char conv = f[i++];
        auto number = [&](std::string_view padded, std::string_view bare) {
            b.Field(noPad ? bare : padded, true);
        };
        auto nested = [&](std::string_view sub) {
            if (depth < 2) {
                Convert(sub, ampm, markers, b, depth + 1);
            }
        };
        switch (conv) {
            case 'a':
                b.Field("ddd", false);
                break;
            case 'A':
                b.Field("dddd", false);
                break;
            case 'b':
            case 'h':
                b.Field("mmm", false);
                break;
            case 'B':
                b.Field("mmmm", false);
                break;
            case 'd':
                number("dd", "d");
                break;
            case 'e':
                number("d", "d");
                break;
            case 'm':
                number("mm", "m");
                break;
            case 'y':
                b.Field("yy", true);
                break;
            case 'Y':
                b.Field("yyyy", true);
                break;
            case 'H':
            case 'I':
                number("hh", "h");
                break;
            case 'k':
            case 'l':
                number("h", "h");
                break;
            case 'M':
                number("nn", "n");
                break;
            case 'S':
                number("ss", "s");
                break;
            case 'p':
            case 'P':
                if (markers) {
                    b.Field("ampm", false);
                }
                break;
            case 'D':
                nested("%m/%d/%y");
                break;
            case 'F':
                nested("%Y-%m-%d");
                break;
            case 'T':
                nested("%H:%M:%S");
                break;
            case 'R':
                nested("%H:%M");
                break;
            case 'r':
                nested(ampm.empty() ? std::string_view("%I:%M:%S %p") : ampm);
                break;
            case 'n':
            case 't':
                b.Literal(' ');
                break;
            case '%':
                b.Literal('%');
                break;
            default:
                break;  // no equivalent in the pattern language
        }
    }
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ToAnsi(std::string_view codeset, std::string_view text) {
    if (EqualsNoCase(codeset, "UTF-8") || EqualsNoCase(codeset, "UTF8")) {
        return Utf8ToAnsi(text);
    }
    if (EqualsNoCase(codeset, "ISO-8859-1")) {
        return std::string(text);  // the printable half equals Windows-1252
    }
    std::string out(text);
    for (char& ch : out) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            ch = '?';
        }
    }
    return out;
}

std::string LongDateFor(DateOrder order) {
    switch (order) {
        case DateOrder::kDayMonthYear:
            return "dddd, d mmmm yyyy";
        case DateOrder::kYearMonthDay:
            return "yyyy mmmm d, dddd";
        case DateOrder::kMonthDayYear:
            break;
    }
    return "dddd, mmmm dd, yyyy";
}

template <size_t N>
void TakeNames(std::string_view codeset, const std::array<std::string, N>& from,
               std::array<std::string, N>& to) {
    for (size_t i = 0; i < N; ++i) {
        if (!from[i].empty()) {
            to[i] = ToAnsi(codeset, from[i]);
        }
    }
}

}  // namespace

DateOrder GetDateOrder(std::string_view shortDateFormat) {
    for (char c : shortDateFormat) {
        switch (LowerAscii(c)) {
            case 'd':
                return DateOrder::kDayMonthYear;
            case 'y':
                return DateOrder::kYearMonthDay;
            case 'm':
                return DateOrder::kMonthDayYear;
            default:
                break;
        }
    }
    return DateOrder::kMonthDayYear;
}

DateTimeFormatSet InternalFormatSet() {
    return {"mm/dd/yyyy", '/', ':', "AM", "PM"};
}

DateTimeFormatSet TakeFormatSet(const FormatSettings& settings) {
    return {settings.shortDateFormat, settings.dateSeparator, settings.timeSeparator,
            settings.timeAMString, settings.timePMString};
}

void ApplyFormatSet(FormatSettings& settings, const DateTimeFormatSet& set) {
    settings.shortDateFormat = set.shortDateFormat;
    settings.dateSeparator = set.dateSeparator;
    settings.timeSeparator = set.timeSeparator;
    settings.timeAMString = set.timeAMString;
    settings.timePMString = set.timePMString;
}

FormatSettings DefaultFormatSettings() {
    FormatSettings s;
    ApplyFormatSet(s, InternalFormatSet());
    s.longDateFormat = "dddd, mmmm dd, yyyy";
    s.shortTimeFormat = "h:nn AMPM";
    s.longTimeFormat = "h:nn:ss AMPM";
    s.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.longMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    s.shortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.longDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return s;
}

const FormatSettings& CurrentFormats() {
    return Current();
}

void SetCurrentFormats(const FormatSettings& settings) {
    Current() = settings;
}

FormatSettings InternalFormats() {
    FormatSettings settings = Current();
    ApplyFormatSet(settings, InternalFormatSet());
    return settings;
}

LocaleTimeInfo ReadLocaleTimeInfo() {
    // The same precedence the C library applies to setlocale(LC_TIME, ""), but on a private
    // locale object so that the process locale stays as it is. LC_CTYPE comes along because
    // the code set of the texts belongs to it.
    const char* name = nullptr;
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(var);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const int mask = LC_TIME_MASK | LC_CTYPE_MASK;
    locale_t loc = newlocale(mask, name != nullptr ? name : "C", static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr)) {
        loc = newlocale(mask, "C", static_cast<locale_t>(nullptr));
    }
    LocaleTimeInfo info;
    if (loc == static_cast<locale_t>(nullptr)) {
        return info;
    }
    auto item = [loc](nl_item it) {
        const char* text = nl_langinfo_l(it, loc);
        return std::string(text != nullptr ? text : "");
    };
    info.codeset = item(CODESET);
    info.dateFormat = item(D_FMT);
    info.timeFormat = item(T_FMT);
    info.timeFormatAmPm = item(T_FMT_AMPM);
    info.amString = item(AM_STR);
    info.pmString = item(PM_STR);
    static constexpr nl_item kDays[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    static constexpr nl_item kAbDays[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                          ABDAY_5, ABDAY_6, ABDAY_7};
    static constexpr nl_item kMonths[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                          MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    static constexpr nl_item kAbMonths[] = {ABMON_1, ABMON_2,  ABMON_3,  ABMON_4,
                                            ABMON_5, ABMON_6,  ABMON_7,  ABMON_8,
                                            ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    for (size_t i = 0; i < 7; ++i) {
        info.dayNames[i] = item(kDays[i]);
        info.abbreviatedDayNames[i] = item(kAbDays[i]);
    }
    for (size_t i = 0; i < 12; ++i) {
        info.monthNames[i] = item(kMonths[i]);
        info.abbreviatedMonthNames[i] = item(kAbMonths[i]);
    }
    freelocale(loc);
    return info;
}

ConvertedPattern ConvertStrftimePattern(std::string_view strftime, std::string_view ampmPattern,
                                        bool withMarkers) {
    PatternBuilder builder;
    Convert(strftime, ampmPattern, withMarkers, builder, 0);
    ConvertedPattern converted = builder.Finish();
    // Dropped fields can leave blanks at either end ("%I:%M %p" without its marker).
    std::string& text = converted.pattern;
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
    } else {
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    }
    return converted;
}

std::string DropSeconds(std::string_view pattern) {
    std::string out(pattern);
    char quote = '\0';
    for (size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (LowerAscii(c) != 's') {
            continue;
        }
        size_t end = i;
        while (end < out.size() && LowerAscii(out[end]) == 's') {
            ++end;
        }
        size_t start = i;
        while (start > 0) {
            const char p = out[start - 1];
            if (IsAsciiLetter(p) || p == ' ' || p == '"' || p == '\'') {
                break;
            }
            --start;
        }
        out.erase(start, end - start);
        return out;
    }
    return out;
}

FormatSettings FormatSettingsFromLocale(const LocaleTimeInfo& info) {
    FormatSettings s = DefaultFormatSettings();
    const std::string_view cs = info.codeset;

    const ConvertedPattern date = ConvertStrftimePattern(ToAnsi(cs, info.dateFormat));
    if (!date.pattern.empty()) {
        s.shortDateFormat = date.pattern;
        s.dateSeparator = date.separator != '\0' ? date.separator : '/';
    }
    s.longDateFormat = LongDateFor(GetDateOrder(s.shortDateFormat));

    // Without both markers a 12-hour time could not be read back to the hour it was, so such a
    // locale's times are written on the 24-hour clock.
    const bool markers = !info.amString.empty() && !info.pmString.empty();
    const ConvertedPattern time = ConvertStrftimePattern(ToAnsi(cs, info.timeFormat),
                                                         ToAnsi(cs, info.timeFormatAmPm), markers);
    if (!time.pattern.empty()) {
        s.longTimeFormat = time.pattern;
        s.shortTimeFormat = DropSeconds(time.pattern);
        s.timeSeparator = time.separator != '\0' ? time.separator : ':';
    } else {
        s.longTimeFormat = "hh:nn:ss";
        s.shortTimeFormat = "hh:nn";
        s.timeSeparator = ':';
    }
    // A locale without a morning/afternoon marker gets empty strings, never English ones.
    s.timeAMString = ToAnsi(cs, info.amString);
    s.timePMString = ToAnsi(cs, info.pmString);

    TakeNames(cs, info.dayNames, s.longDayNames);
    TakeNames(cs, info.abbreviatedDayNames, s.shortDayNames);
    TakeNames(cs, info.monthNames, s.longMonthNames);
    TakeNames(cs, info.abbreviatedMonthNames, s.shortMonthNames);
    return s;
}

}  // namespace rtl
