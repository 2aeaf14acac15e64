// The task editor's date, time and key word rules.
#include "store/task_editing.h"

#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/format_settings.h"
#include "store/display_fields.h"
#include "store/task_record.h"

namespace store {

std::string EditorDateOf(std::string_view storedDate) {
    rtl::TDateTime value = 0;
    return StoredDateToValue(storedDate, value, rtl::InternalFormats())
               ? rtl::FormatDateTime("ddddd", value)
               : std::string();
}

std::string EditorTimeOf(std::string_view storedTime) {
    rtl::TDateTime value = 0;
    return rtl::TryStrToTime(storedTime, value, rtl::InternalFormats())
               ? rtl::FormatDateTime("t", value)
               : std::string();
}

std::string StoredDateOfEditor(std::string_view text) {
    rtl::TDateTime value = 0;
    const int year = rtl::DecodeDate(rtl::Today()).year;
    if (rtl::TryStrToDate(text, value) ||
        rtl::TryStrToDate(text, value, rtl::InternalFormats(), year)) {
        return DateToStored(value);
    }
    return {};
}

std::string StoredTimeOfEditor(std::string_view text) {
    rtl::TDateTime value = 0;
    if (rtl::TryStrToTime(text, value) || rtl::TryStrToTime(text, value, rtl::InternalFormats())) {
        // The time separator of the notation in force must not reach the file.
        return rtl::FormatDateTime("hh:nn", value, rtl::InternalFormats());
    }
    return {};
}

std::optional<std::string> CheckedEditorDate(std::string_view typed, rtl::TDateTime today) {
    const std::string text = rtl::AnsiUpperCase(typed);
    if (text.empty()) {
        return text;
    }
    rtl::TDateTime date = 0;
    if (!rtl::TryStrToDate(text, date, rtl::CurrentFormats(), rtl::DecodeDate(today).year)) {
        return std::nullopt;
    }
    return rtl::FormatDateTime("ddddd", date);
}

std::optional<std::string> CheckedEditorTime(std::string_view typed) {
    const std::string text = rtl::AnsiUpperCase(typed);
    if (text.empty()) {
        return text;
    }
    rtl::TDateTime time = 0;
    if (!rtl::TryStrToTime(text, time)) {
        return std::nullopt;
    }
    return rtl::FormatDateTime("t", time);
}

std::string DateRefusalText(rtl::TDateTime today) {
    const std::string& pattern = rtl::CurrentFormats().shortDateFormat;
    return "Please use the date format " + pattern + "\r" +
           "   Example: " + rtl::FormatDateTime(pattern, today);
}

std::string TimeRefusalText(rtl::TDateTime now) {
    return "Invalid time. Please use your Windows Time format\r   Example: " +
           rtl::FormatDateTime("t", now);
}

std::optional<std::string> KeysWithWord(std::string_view keys, std::string_view word) {
    std::string wanted(keys);
    if (!wanted.empty()) {
        wanted += ' ';
    }
    wanted += word;
    if (wanted.size() > static_cast<std::size_t>(kKeysWidth)) {
        return std::nullopt;
    }
    return wanted;
}

}  // namespace store
