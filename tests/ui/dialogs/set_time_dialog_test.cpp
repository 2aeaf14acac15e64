// The time dialog: the chosen hour and minute from the start time and from clicks, the
// caption, the yellow and silver panels, and Cancel.
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

#include "controls/graphic_panel.h"
#include "dialogs_test_support.h"
#include "ui/dialogs/set_time_dialog.h"
#include "widget_test_support.h"

namespace {

using controls::TGraphicPanel;
using dialogs::test::At;

const QColor kYellow(255, 255, 0);
const QColor kSilver(192, 192, 192);

class SetTimeDialogTest : public dialogs::test::DialogTest {
  protected:
    // The names of the yellow panels of one row group ("Hour" or "Minute").
    static QStringList Yellow(const TSetTimeDialog& dialog, const QString& prefix) {
        QStringList names;
        for (const TGraphicPanel* panel : dialog.findChildren<TGraphicPanel*>()) {
            if (!panel->objectName().startsWith(prefix)) {
                continue;
            }
            if (panel->color() == kYellow) {
                names << panel->caption() + QLatin1Char('#') + QString::number(panel->tag());
            } else {
                EXPECT_EQ(panel->color(), kSilver) << panel->objectName().toStdString();
            }
        }
        return names;
    }
    static void ClickPanel(TSetTimeDialog& dialog, const QString& name) {
        auto* panel = dialog.findChild<TGraphicPanel*>(name);
        ASSERT_NE(panel, nullptr) << name.toStdString();
        QTest::mouseClick(panel, Qt::LeftButton);
    }
    ui::test::ConnectionGuard guard_;
};

TEST_F(SetTimeDialogTest, ActivationAndClicksSetTheTimeCaptionAndColours) {
    struct Step {
        const char* click;  // nullptr: activation with the start time
        rtl::TDateTime start;
        char timeSeparator;
        const char* caption;
        const char* hour;
        const char* minute;
        int minutesOfDay;
    };
    const Step steps[] = {
        {nullptr, At(2026, 3, 1, 0, 7), ':', "Set Time As: 12:07 am", "12#0", "07#7", 7},
        {nullptr, At(2026, 3, 1, 12, 0), ':', "Set Time As: 12:00 pm", "12#12", "00#0", 720},
        {nullptr, At(2026, 3, 1, 23, 59), '.', "Set Time As: 11.59 pm", "11#23", "59#59", 1439},
        {nullptr, At(2026, 3, 1, 8, 45), ':', "Set Time As: 08:45 am", "8#8", "45#45", 525},
        {"Hour17", 0, ':', "Set Time As: 05:45 pm", "5#17", "45#45", 1065},
        {"Minute30", 0, ':', "Set Time As: 05:30 pm", "5#17", "30#30", 1050},
    };
    auto dialog = ui::CreateForm<TSetTimeDialog>();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.caption);
        rtl::FormatSettings formats = rtl::CurrentFormats();
        formats.timeSeparator = step.timeSeparator;
        rtl::SetCurrentFormats(formats);
        if (step.click == nullptr) {
            dialog->SetSelectedTime(step.start);
            dialog->FormActivate();
        } else {
            ClickPanel(*dialog, QLatin1String(step.click));
        }
        EXPECT_EQ(dialog->windowTitle(), QLatin1String(step.caption));
        EXPECT_EQ(Yellow(*dialog, QStringLiteral("Hour")), QStringList{QLatin1String(step.hour)});
        EXPECT_EQ(Yellow(*dialog, QStringLiteral("Minute")),
                  QStringList{QLatin1String(step.minute)});
        // Out: the time of day alone.
        EXPECT_EQ(std::lround(dialog->SelectedTime() * 24 * 60), step.minutesOfDay);
        EXPECT_LT(dialog->SelectedTime(), 1.0);
    }
}

TEST_F(SetTimeDialogTest, OkReturnsTheChosenTimeAndCancelNothing) {
    for (const int result : {ui::kModalOk, ui::kModalCancel}) {
        SCOPED_TRACE(result);
        auto dialog = ui::CreateForm<TSetTimeDialog>();
        dialog->SetSelectedTime(At(2026, 3, 1, 14, 30));
        ui::test::WhenModalShown([&](QWidget*) {
            QCoreApplication::processEvents();
            ClickPanel(*dialog, QStringLiteral("Hour6"));
            QTest::keyClick(dialog.get(), result == ui::kModalOk ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(dialog->ShowModal(), result);
        EXPECT_EQ(dialog->SelectedHour(), 6);
        EXPECT_EQ(dialog->SelectedMinute(), 30);
    }
}

}  // namespace
