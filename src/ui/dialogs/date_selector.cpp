// The date selector: the label that shows the calendar's date in the long form, the month
// and year moves, and OK and Cancel.
#include "ui/dialogs/date_selector.h"

#include <QLabel>
#include <QMenu>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/whats_this.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui_date_selector.h"

namespace {
constexpr int kHelpContext = 1004;
}  // namespace

TDateSelector::TDateSelector(QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TDateSelector>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The navigation buttons stay grey until the mouse rests on them.
    ui_->PrevYear->setLayout(controls::TButtonLayout::blBitmapLeft);
    ui_->PrevMonth->setLayout(controls::TButtonLayout::blBitmapLeft);
    ui_->NextMonth->setLayout(controls::TButtonLayout::blBitmapRight);
    ui_->NextYear->setLayout(controls::TButtonLayout::blBitmapRight);
    dialogs::UseGlyphLeft({ui_->OKButton, ui_->CancelButton, ui_->Helpbutton});
    dialogs::HelpOnF1(this, ui_->Helpbutton);
    dialogs::UseGlyphOnly({ui_->MouseHelpButton});
    controls::InstallHelp(this);
    whatsThisMenu_ = controls::MakeWhatsThisMenu(
        this,
        {ui_->PrevYear, ui_->PrevMonth, ui_->DoCurrentDate, ui_->NextMonth, ui_->NextYear,
         ui_->OKButton, ui_->CancelButton},
        whatsThisTarget_);
    connect(whatsThisMenu_, &QMenu::triggered, this, &TDateSelector::WhatsthisMenuItemClick);
    ui_->Calendar->setFocus();
}

TDateSelector::~TDateSelector() = default;

controls::TCalendar* TDateSelector::Calendar() const {
    return ui_->Calendar;
}

QLabel* TDateSelector::DateLabel() const {
    return ui_->DateLabel;
}

void TDateSelector::FormCreate() {
    CalendarChange();
}

void TDateSelector::CalendarChange() {
    ui_->DateLabel->setText(QString::fromStdString(
        rtl::AnsiToUtf8(rtl::FormatDateTime("dddddd", ui_->Calendar->calendarDate()))));
}

void TDateSelector::PrevYearClick() {
    ui_->Calendar->prevYear();
}

void TDateSelector::PrevMonthClick() {
    ui_->Calendar->prevMonth();
}

void TDateSelector::CurrentDateClick() {
    ui_->Calendar->setCalendarDate(dialogs::Now());
}

void TDateSelector::NextMonthClick() {
    ui_->Calendar->nextMonth();
}

void TDateSelector::NextYearClick() {
    ui_->Calendar->nextYear();
}

void TDateSelector::OKButtonClick() {
    SetModalResult(ui::kModalOk);
}

void TDateSelector::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

void TDateSelector::HelpbuttonClick() {
    dialogs::ShowHelpContext(kHelpContext);
}

void TDateSelector::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TDateSelector::WhatsthisMenuItemClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}
