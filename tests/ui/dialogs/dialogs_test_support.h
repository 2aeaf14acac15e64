// What the dialog tests share: user formats of several kinds, a fixed clock, and message
// boxes answered and recorded instead of shown.
#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace dialogs::test {

enum class UserFormats {
    kMonthDayYear,    // m/d/yyyy with "/", 12-hour clock with AM and PM
    kDayMonthYear,    // dd.mm.yyyy with ".", 24-hour clock, no markers
    kYearMonthDay,    // yyyy-mm-dd with "-", 24-hour clock, no markers
    kForeignMarkers,  // m/d/yyyy, 12-hour clock with "vorm." and "nachm."
};
rtl::FormatSettings Formats(UserFormats kind);
const char* Name(UserFormats kind);

rtl::TDateTime At(int year, int month, int day, int hour = 0, int minute = 0);

// Puts the formats in force and the dialogs' clock at `now`; each test starts from the
// internal formats and the clock of 8 December 2026, 15:04. Message boxes are recorded and
// answered with `answer`.
class DialogTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void Use(UserFormats kind);
    void SetNow(rtl::TDateTime now);

    std::vector<ui::MessageBoxRequest> boxes;
    int answer = ui::kIdOk;

  private:
    rtl::FormatSettings saved_;
    ui::MessageBoxPresenter previous_;
};

}  // namespace dialogs::test

// Failures print texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
