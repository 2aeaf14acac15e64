// TSetTimeDialog: the modal dialog in which a time of day is set with two clicks, one on an
// hour panel and one on a minute panel.
#pragma once

#include <memory>

#include "platform/ui/forms.h"
#include "rtl/date_time.h"

namespace Ui {
class TSetTimeDialog;
}

// The caller hands the start time to SetSelectedTime (only its time of day counts), shows the
// dialog with ShowModal and, on kModalOk, reads SelectedTime (a time of day, no date part).
class TSetTimeDialog : public ui::TDialog {
    Q_OBJECT

  public:
    explicit TSetTimeDialog(QWidget* parent = nullptr);
    ~TSetTimeDialog() override;

    rtl::TDateTime SelectedTime() const { return selectedTime_; }
    void SetSelectedTime(rtl::TDateTime time) { selectedTime_ = time; }
    int SelectedHour() const { return selectedHour_; }
    int SelectedMinute() const { return selectedMinute_; }

  public Q_SLOTS:
    void FormActivate();
    void HourClick();
    void MinuteClick();
    void ShowDateTime();
    void OkbuttonClick();
    void CancelButtonClick();
    void HelpbuttonClick();

  private:
    std::unique_ptr<Ui::TSetTimeDialog> ui_;
    rtl::TDateTime selectedTime_ = 0;
    int selectedHour_ = 0;
    int selectedMinute_ = 0;
};
