// User formats, a fixed clock and recorded message boxes for the dialog tests.
#include "dialogs_test_support.h"

#include <QCoreApplication>

#include "rtl/format_sets.h"
#include "ui/dialogs/dialog_parts.h"

namespace dialogs::test {

rtl::FormatSettings Formats(UserFormats kind) {
    rtl::FormatSettings f = rtl::DefaultFormatSettings();
    switch (kind) {
        case UserFormats::kMonthDayYear:
            f.shortDateFormat = "m/d/yyyy";
            f.shortTimeFormat = "h:nn AMPM";
            break;
        case UserFormats::kDayMonthYear:
            f.shortDateFormat = "dd.mm.yyyy";
            f.dateSeparator = '.';
            f.shortTimeFormat = "hh:nn";
            f.timeAMString = "";
            f.timePMString = "";
            break;
        case UserFormats::kYearMonthDay:
            f.shortDateFormat = "yyyy-mm-dd";
            f.dateSeparator = '-';
            f.shortTimeFormat = "hh:nn";
            f.timeAMString = "";
            f.timePMString = "";
            break;
        case UserFormats::kForeignMarkers:
            f.shortDateFormat = "m/d/yyyy";
            f.shortTimeFormat = "h:nn AMPM";
            f.timeAMString = "vorm.";
            f.timePMString = "nachm.";
            break;
    }
    return f;
}

const char* Name(UserFormats kind) {
    switch (kind) {
        case UserFormats::kMonthDayYear:
            return "m/d/y";
        case UserFormats::kDayMonthYear:
            return "d.m.y";
        case UserFormats::kYearMonthDay:
            return "y-m-d";
        case UserFormats::kForeignMarkers:
            return "foreign AM/PM";
    }
    return "?";
}

rtl::TDateTime At(int year, int month, int day, int hour, int minute) {
    rtl::TDateTime date = 0;
    rtl::TDateTime time = 0;
    EXPECT_TRUE(rtl::TryEncodeDate(year, month, day, date));
    EXPECT_TRUE(rtl::TryEncodeTime(hour, minute, 0, 0, time));
    return date + time;
}

void DialogTest::SetUp() {
    saved_ = rtl::CurrentFormats();
    rtl::SetCurrentFormats(rtl::DefaultFormatSettings());
    UseInternalFormats();
    SetNow(At(2026, 12, 8, 15, 4));
    previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
        boxes.push_back(request);
        // A real box runs its own event loop while it waits for the user.
        QCoreApplication::processEvents();
        return answer;
    });
}

void DialogTest::TearDown() {
    ui::SetMessageBoxPresenter(previous_);
    SetClockForTests({});
    rtl::SetCurrentFormats(saved_);
}

void DialogTest::Use(UserFormats kind) {
    rtl::SetCurrentFormats(Formats(kind));
}

void DialogTest::SetNow(rtl::TDateTime now) {
    SetClockForTests([now]() { return now; });
}

}  // namespace dialogs::test
