// The date selector: the label in the long date form, the five navigation buttons, and the
// results of OK and Cancel.
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "dialogs_test_support.h"
#include "rtl/date_format.h"
#include "ui/dialogs/date_selector.h"
#include "widget_test_support.h"

namespace {

using dialogs::test::At;

class DateSelectorTest : public dialogs::test::DialogTest {
  protected:
    void Click(TDateSelector& selector, const char* button) {
        auto* b = selector.findChild<controls::TExplorerButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    }
    ui::test::ConnectionGuard guard_;
};

TEST_F(DateSelectorTest, ButtonsMoveTheCalendarAndTheLabelFollows) {
    auto selector = ui::CreateForm<TDateSelector>();
    EXPECT_EQ(selector->windowTitle(), QStringLiteral("Select a Date"));
    EXPECT_EQ(selector->size(), QSize(413, 247));
    EXPECT_EQ(selector->Calendar()->startOfWeek(), 0);
    // Creation shows the calendar's first date, today.
    EXPECT_EQ(selector->DateLabel()->text(),
              QString::fromStdString(rtl::FormatDateTime("dddddd", rtl::Today())));

    selector->show();
    selector->Calendar()->setCalendarDate(At(2024, 1, 31));
    EXPECT_EQ(selector->DateLabel()->text(), QStringLiteral("Wednesday, January 31, 2024"));
    const struct {
        const char* button;
        const char* label;
    } steps[] = {
        {"NextMonth", "Thursday, February 29, 2024"},    {"NextYear", "Friday, February 28, 2025"},
        {"PrevMonth", "Tuesday, January 28, 2025"},      {"PrevYear", "Sunday, January 28, 2024"},
        {"DoCurrentDate", "Tuesday, December 08, 2026"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button);
        Click(*selector, step.button);
        EXPECT_EQ(selector->DateLabel()->text(), QLatin1String(step.label));
    }
    // Today keeps the time of day of the clock.
    EXPECT_DOUBLE_EQ(selector->Calendar()->calendarDate(), At(2026, 12, 8, 15, 4));
}

TEST_F(DateSelectorTest, OkReturnsTheDateAndCancelNothingAfterMoves) {
    for (const int result : {ui::kModalOk, ui::kModalCancel}) {
        SCOPED_TRACE(result);
        auto selector = ui::CreateForm<TDateSelector>();
        selector->Calendar()->setCalendarDate(At(2026, 5, 20));
        ui::test::WhenModalShown([&](QWidget*) {
            Click(*selector, "NextMonth");
            Click(*selector, "NextMonth");
            QTest::keyClick(selector->Calendar(),
                            result == ui::kModalOk ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(selector->ShowModal(), result);
        EXPECT_DOUBLE_EQ(selector->Calendar()->calendarDate(), At(2026, 7, 20));
    }
}

}  // namespace
