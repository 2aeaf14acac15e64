// TDateSelector: the modal dialog in which a date is picked from a month calendar.
#pragma once

#include <QPointer>

#include <memory>

#include "platform/ui/forms.h"

namespace Ui {
class TDateSelector;
}
namespace controls {
class TCalendar;
}
class QLabel;
class QMenu;

// The caller writes the start date into Calendar()->setCalendarDate, shows the dialog with
// ShowModal and, on kModalOk, reads Calendar()->calendarDate() (only its date part counts).
class TDateSelector : public ui::TDialog {
    Q_OBJECT

  public:
    explicit TDateSelector(QWidget* parent = nullptr);
    ~TDateSelector() override;

    controls::TCalendar* Calendar() const;
    QLabel* DateLabel() const;

  public Q_SLOTS:
    void FormCreate();
    void CalendarChange();
    void PrevYearClick();
    void PrevMonthClick();
    void CurrentDateClick();
    void NextMonthClick();
    void NextYearClick();
    void OKButtonClick();
    void CancelButtonClick();
    void HelpbuttonClick();
    void MouseHelpButtonClick();
    void WhatsthisMenuItemClick();

  private:
    std::unique_ptr<Ui::TDateSelector> ui_;
    QMenu* whatsThisMenu_ = nullptr;
    QPointer<QWidget> whatsThisTarget_;
};
