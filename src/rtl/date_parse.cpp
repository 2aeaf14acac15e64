// The scanner behind the date and time readers.
#include "rtl/date_parse.h"

#include "rtl/ansi.h"

namespace rtl {
namespace {

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') {
            ++pos_;
        }
    }

    bool AtEnd() const { return pos_ >= text_.size(); }

    // Digits are taken while the value so far is below 1000, so a number has at most four
    // digits after its leading zeros and can never overflow.
    bool Number(int& value) {
        SkipBlanks();
        const size_t start = pos_;
        int n = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && n < 1000) {
            n = n * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        if (pos_ == start) {
            return false;
        }
        value = n;
        return true;
    }

    // A blank separator would be swallowed by the blank skipping, so there one or more blanks
    // are the separator.
    bool Separator(char separator) {
        const size_t start = pos_;
        SkipBlanks();
        if (separator == ' ') {
            return pos_ > start;
        }
        if (pos_ < text_.size() && text_[pos_] == separator) {
            ++pos_;
            return true;
        }
        pos_ = start;
        return false;
    }

    // A number that follows a separator; when there is none, the scanner stays before the
    // separator.
    bool SeparatedNumber(char separator, int& value) {
        const size_t start = pos_;
        if (Separator(separator) && Number(value)) {
            return true;
        }
        pos_ = start;
        return false;
    }

    std::string_view Rest() const { return text_.substr(pos_); }
    void Advance(size_t count) { pos_ += count; }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool ScanDate(Scanner& sc, const FormatSettings& settings, int currentYear, TDateTime& result) {
    const char sep = settings.dateSeparator;
    int n1 = 0;
    int n2 = 0;
    int n3 = 0;
    if (!sc.Number(n1) || !sc.SeparatedNumber(sep, n2)) {
        return false;
    }
    const bool hasYear = sc.SeparatedNumber(sep, n3);
    sc.Separator(sep);  // one trailing separator
    const DateOrder order = GetDateOrder(settings.shortDateFormat);
    int year = currentYear;
    int month = n1;
    int day = n2;
    if (order == DateOrder::kDayMonthYear) {
        day = n1;
        month = n2;
    }
    if (hasYear) {
        switch (order) {
            case DateOrder::kMonthDayYear:
                year = n3;
                break;
            case DateOrder::kDayMonthYear:
                year = n3;
                break;
            case DateOrder::kYearMonthDay:
                year = n1;
                month = n2;
                day = n3;
                break;
        }
        if (year < 100) {
            year += currentYear / 100 * 100;
        }
    }
    return TryEncodeDate(year, month, day, result);
}

bool MarkerMatches(std::string_view rest, std::string_view marker) {
    if (marker.empty() || rest.size() < marker.size()) {
        return false;
    }
    for (size_t i = 0; i < marker.size(); ++i) {
        if (AnsiUpper(rest[i]) != AnsiUpper(marker[i])) {
            return false;
        }
    }
    return true;
}

// Reads a time up to the end of the text (trailing blanks allowed).
bool ScanTimeToEnd(Scanner& sc, const FormatSettings& settings, TDateTime& result) {
    const char sep = settings.timeSeparator;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!sc.Number(hour)) {
        return false;
    }
    if (sc.SeparatedNumber(sep, minute)) {
        sc.SeparatedNumber(sep, second);
    }
    sc.SkipBlanks();
    struct Candidate {
        std::string_view text;
        bool afternoon;
    };
    const Candidate candidates[] = {
        {settings.timeAMString, false}, {"AM", false}, {settings.timePMString, true}, {"PM", true}};
    int baseHour = -1;
    for (const Candidate& c : candidates) {
        // A marker counts only when nothing but blanks follows it, so that a user's string
        // that begins like another one cannot cut the text short.
        if (!MarkerMatches(sc.Rest(), c.text)) {
            continue;
        }
        Scanner after(sc.Rest().substr(c.text.size()));
        after.SkipBlanks();
        if (after.AtEnd()) {
            baseHour = c.afternoon ? 12 : 0;
            sc.Advance(c.text.size());
            break;
        }
    }
    sc.SkipBlanks();
    if (!sc.AtEnd()) {
        return false;
    }
    if (baseHour >= 0) {
        if (hour < 1 || hour > 12) {
            return false;
        }
        hour = (hour == 12 ? 0 : hour) + baseHour;
    }
    return TryEncodeTime(hour, minute, second, 0, result);
}

int ThisYear() {
    return DecodeDate(Today()).year;
}

}  // namespace

bool TryStrToDate(std::string_view text, TDateTime& result, const FormatSettings& settings,
                  int currentYear) {
    Scanner sc(text);
    TDateTime date = 0;
    if (!ScanDate(sc, settings, currentYear, date)) {
        return false;
    }
    sc.SkipBlanks();
    if (!sc.AtEnd()) {
        return false;
    }
    result = date;
    return true;
}

bool TryStrToDate(std::string_view text, TDateTime& result) {
    return TryStrToDate(text, result, CurrentFormats(), ThisYear());
}

bool TryStrToTime(std::string_view text, TDateTime& result, const FormatSettings& settings) {
    Scanner sc(text);
    return ScanTimeToEnd(sc, settings, result);
}

bool TryStrToTime(std::string_view text, TDateTime& result) {
    return TryStrToTime(text, result, CurrentFormats());
}

bool TryStrToDateTime(std::string_view text, TDateTime& result, const FormatSettings& settings,
                      int currentYear) {
    Scanner sc(text);
    TDateTime date = 0;
    if (ScanDate(sc, settings, currentYear, date)) {
        sc.SkipBlanks();
        if (sc.AtEnd()) {
            result = date;
            return true;
        }
        TDateTime time = 0;
        if (ScanTimeToEnd(sc, settings, time)) {
            // Before day 0 the time of day still counts forwards from midnight, so it is
            // carried by the fraction's size, not its sign.
            result = date < 0 ? date - time : date + time;
            return true;
        }
    }
    return TryStrToTime(text, result, settings);
}

bool TryStrToDateTime(std::string_view text, TDateTime& result) {
    return TryStrToDateTime(text, result, CurrentFormats(), ThisYear());
}

}  // namespace rtl
