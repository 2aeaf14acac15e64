// The time dialog: the chosen hour and minute from the start time and from clicks, the
// caption that spells out the time OK returns, and the yellow mark on the chosen panels.
#include "ui/dialogs/set_time_dialog.h"

#include "controls/explorer_button.h"
#include "controls/graphic_panel.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui_set_time_dialog.h"

namespace {

constexpr int kHelpContext = 2986;
const QColor kChosen(255, 255, 0);
const QColor kOther(192, 192, 192);

// Colours the graphic panels directly inside `parent`: the one whose tag is `chosen` yellow,
// the others silver.
void MarkChosen(QWidget* parent, int chosen) {
    const auto panels = parent->findChildren<controls::TGraphicPanel*>(Qt::FindDirectChildrenOnly);
    for (controls::TGraphicPanel* panel : panels) {
        panel->setColor(panel->tag() == chosen ? kChosen : kOther);
    }
}

// The hour panels show 1 to 12 twice, beside the AM and PM labels that a reader does not
// see with them: each is named with its half of the day.
void NameHours(QWidget* hourPanel) {
    const auto panels =
        hourPanel->findChildren<controls::TGraphicPanel*>(Qt::FindDirectChildrenOnly);
    for (controls::TGraphicPanel* panel : panels) {
        const int hour = panel->tag();
        const int shown = hour % 12 == 0 ? 12 : hour % 12;
        panel->setAccessibleName(QString::number(shown) +
                                 (hour < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM")));
    }
}

}  // namespace

TSetTimeDialog::TSetTimeDialog(QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TSetTimeDialog>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    dialogs::UseGlyphLeft({ui_->Okbutton, ui_->CancelButton, ui_->Helpbutton});
    dialogs::HelpOnF1(this, ui_->Helpbutton);
    NameHours(ui_->HourPanel);
    // A window manager may withhold the activation of a window it did not expect; the hour
    // and minute are then taken when the dialog is first shown.
    connect(this, &ui::TDialog::shown, this, &TSetTimeDialog::FormActivate, Qt::QueuedConnection);
}

TSetTimeDialog::~TSetTimeDialog() = default;

void TSetTimeDialog::FormActivate() {
    const rtl::TimeParts parts = rtl::DecodeTime(selectedTime_);
    selectedHour_ = parts.hour;
    selectedMinute_ = parts.minute;
    ShowDateTime();
}

void TSetTimeDialog::HourClick() {
    if (const auto* panel = qobject_cast<controls::TGraphicPanel*>(sender())) {
        selectedHour_ = panel->tag();
    }
    ShowDateTime();
}

void TSetTimeDialog::MinuteClick() {
    if (const auto* panel = qobject_cast<controls::TGraphicPanel*>(sender())) {
        selectedMinute_ = panel->tag();
    }
    ShowDateTime();
}

void TSetTimeDialog::ShowDateTime() {
    rtl::TDateTime time = 0;
    if (rtl::TryEncodeTime(selectedHour_, selectedMinute_, 0, 0, time)) {
        selectedTime_ = time;
    }
    setWindowTitle(
        QStringLiteral("Set Time As: ") +
        QString::fromStdString(rtl::AnsiToUtf8(rtl::FormatDateTime("hh:mm am/pm", selectedTime_))));
    MarkChosen(ui_->HourPanel, selectedHour_);
    MarkChosen(ui_->MinutePanel, selectedMinute_);
}

void TSetTimeDialog::OkbuttonClick() {
    SetModalResult(ui::kModalOk);
}

void TSetTimeDialog::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

void TSetTimeDialog::HelpbuttonClick() {
    dialogs::ShowHelpContext(kHelpContext);
}
