// The task editor: the quick date and key word menus built at creation, the date and time
// checks when a field is left and on OK, and the calendar, quick date, quick time and key
// word aids, all in the date and time formats in force.
#include "ui/dialogs/task_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include <array>
#include <string_view>
#include <utility>

#include "app/message_boxes.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/format_settings.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui_task_editor.h"

namespace {

constexpr int kHelpContext = 1004;

// The quick date list: name, day offset and the fixed part of the caption. An empty text
// stands for the day name of the date; "A Week from " is followed by it.
struct QuickDate {
    const char* name;
    int offset;
    const char* text;
};
constexpr std::array<QuickDate, 17> kQuickDates = {{
    {"Today", 0, "Today"},
    {"Tomorrow", 1, "Tomorrow"},
    {"TodayPlus2", 2, ""},
    {"TodayPlus3", 3, ""},
    {"TodayPlus4", 4, ""},
    {"TodayPlus5", 5, ""},
    {"TodayPlus6", 6, ""},
    {"WeekFromToday", 7, "A Week From Today"},
    {"WeekFromTommorrow", 8, "A Week From Tomorrow"},
    {"Week2", 9, "A Week from "},
    {"Week3", 10, "A Week from "},
    {"Week4", 11, "A Week from "},
    {"Week5", 12, "A Week from "},
    {"Week6", 13, "A Week from "},
    {"TwoWeeksFromToday", 14, "Two Weeks From Today"},
    {"ThreeWeeksFromToday", 21, "Three Weeks From Today"},
    {"ThirtyDaysFromToday", 30, "30 Days From Today"},
}};

std::string QuickDateCaption(const QuickDate& item, rtl::TDateTime today) {
    const rtl::TDateTime day = today + item.offset;
    std::string caption = item.text;
    if (caption.empty() || caption == "A Week from ") {
        caption += rtl::FormatDateTime("dddd", day);
    }
    return caption + "\t" + rtl::FormatDateTime("ddddd", day);
}

// A date text read under the formats in force; short forms refer to the dialogs' clock's year.
bool ReadDate(const std::string& text, rtl::TDateTime& date) {
    return rtl::TryStrToDate(text, date, rtl::CurrentFormats(),
                             rtl::DecodeDate(dialogs::Today()).year);
}

// The KEYS field holds 60 characters; the editor takes no more.
constexpr qsizetype kKeyWordsLength = 60;

}  // namespace

TTaskEditor::TTaskEditor(std::vector<std::string> keyWordList, QWidget* parent)
    : ui::TDialog(parent),
      ui_(std::make_unique<Ui::TTaskEditor>()),
      keyWordList_(std::move(keyWordList)) {
    ui_->setupUi(this);
    setFixedSize(size());
    dialogs::UseGlyphLeft({ui_->OKButton, ui_->CancelButton, ui_->Helpbutton});
    dialogs::HelpOnF1(this, ui_->Helpbutton);
    dialogs::UseGlyphOnly(
        {ui_->KeyListbutton, ui_->CalendarButton, ui_->QuickTimeButton, ui_->MouseHelpButton});
    ui_->QuickDateButton->setOptions(
        ui_->QuickDateButton->options().setFlag(controls::TButtonOption::boMonoDisplay, false));
    // What the task file cannot hold is refused where it is typed or pasted.
    ui::RefuseNonAnsiInput(ui_->Task);
    ui::RefuseNonAnsiInput(ui_->KeyWords);
    ui_->KeyWords->setMaxLength(kKeyWordsLength);
    // Tab enters the priority group at its checked button, as the keyboard order has it.
    for (QRadioButton* button : {ui_->pHigh, ui_->pMedium, ui_->pLow}) {
        const auto follow = [button](bool checked) {
            button->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
        };
        follow(button->isChecked());
        connect(button, &QRadioButton::toggled, button, follow);
    }
    ui_->DateEdit->installEventFilter(this);
    ui_->TimeEdit->installEventFilter(this);

    quickDateMenu_ = new QMenu(this);
    quickDateMenu_->setObjectName(QStringLiteral("QuickDateMenu"));
    ui_->QuickDateButton->setDropDownMenu(quickDateMenu_);
    connect(quickDateMenu_, &QMenu::triggered, this, &TTaskEditor::QuickDateItemClick);
    keyListMenu_ = new QMenu(this);
    keyListMenu_->setObjectName(QStringLiteral("KeyListMenu"));
    ui_->KeyListbutton->setDropDownMenu(keyListMenu_);
    connect(keyListMenu_, &QMenu::triggered, this, &TTaskEditor::KeyListMenuItemClick);

    whatsThisMenu_ = dialogs::MakeWhatsThisMenu(
        this,
        {ui_->TaskLabel, ui_->Task, ui_->KeyWordsLabel, ui_->KeyWords, ui_->KeyListbutton,
         ui_->DateEditLabel, ui_->DateEdit, ui_->CalendarButton, ui_->QuickDateButton,
         ui_->TimeEditLabel, ui_->TimeEdit, ui_->QuickTimeButton, ui_->pHigh, ui_->pMedium,
         ui_->pLow, ui_->NotesLabel, ui_->Notes, ui_->OKButton, ui_->CancelButton},
        whatsThisTarget_);
    connect(whatsThisMenu_, &QMenu::triggered, this, &TTaskEditor::WhatsthisClick);
}

TTaskEditor::~TTaskEditor() = default;

QLabel* TTaskEditor::TaskLabel() const {
    return ui_->TaskLabel;
}

QLineEdit* TTaskEditor::Task() const {
    return ui_->Task;
}

QCheckBox* TTaskEditor::IsDone() const {
    return ui_->IsDone;
}

QLineEdit* TTaskEditor::KeyWords() const {
    return ui_->KeyWords;
}

QLineEdit* TTaskEditor::DateEdit() const {
    return ui_->DateEdit;
}

QLineEdit* TTaskEditor::TimeEdit() const {
    return ui_->TimeEdit;
}

QRadioButton* TTaskEditor::pHigh() const {
    return ui_->pHigh;
}

QRadioButton* TTaskEditor::pMedium() const {
    return ui_->pMedium;
}

QRadioButton* TTaskEditor::pLow() const {
    return ui_->pLow;
}

ui::TAnsiMemo* TTaskEditor::Notes() const {
    return ui_->Notes;
}

void TTaskEditor::SetPriority(std::string_view stored) {
    const std::string letter = rtl::AnsiUpperCase(stored);
    if (letter == "A") {
        ui_->pHigh->setChecked(true);
    } else if (letter == "B") {
        ui_->pMedium->setChecked(true);
    } else if (letter == "C") {
        ui_->pLow->setChecked(true);
    }
}

std::string TTaskEditor::Priority() const {
    return ui_->pHigh->isChecked() ? "A" : ui_->pMedium->isChecked() ? "B" : "C";
}

QMenu* TTaskEditor::QuickDateMenu() const {
    return quickDateMenu_;
}

QMenu* TTaskEditor::KeyListMenu() const {
    return keyListMenu_;
}

void TTaskEditor::FormCreate() {
    const rtl::TDateTime today = dialogs::Today();
    for (const QuickDate& item : kQuickDates) {
        QAction* action = quickDateMenu_->addAction(ui::FromAnsi(QuickDateCaption(item, today)));
        action->setObjectName(QLatin1String(item.name));
        action->setData(item.offset);
    }
    for (const std::string& word : keyWordList_) {
        // The word is kept as data; the caption doubles "&" so that none becomes an accelerator.
        QAction* action = keyListMenu_->addAction(
            ui::FromAnsi(word).replace(QLatin1Char('&'), QLatin1String("&&")));
        action->setData(ui::FromAnsi(word));
    }
}

void TTaskEditor::FormShow() {
    ui_->Task->setFocus();
    ui_->Task->selectAll();
}

void TTaskEditor::FormActivate() {
    const rtl::FormatSettings& formats = rtl::CurrentFormats();
    ui_->DateFormat->setToolTip(QStringLiteral("(use format ") +
                                ui::FromAnsi(rtl::AnsiLowerCase(formats.shortDateFormat)) +
                                QStringLiteral(")"));
    ui_->TimeFormat->setToolTip(QStringLiteral("(use format ") +
                                ui::FromAnsi(rtl::FormatDateTime("t", dialogs::Now())) +
                                QStringLiteral(")"));
}

void TTaskEditor::FormCloseQuery(bool& canClose) {
    if (ModalResult() == ui::kModalNone) {
        if (ConfirmYesNo("Save changes")) {
            OKButtonClick();
            ui::ProcessMessages();
        }
    }
    canClose = true;
}

void TTaskEditor::DateEditExit() {
    const std::string text = rtl::AnsiUpperCase(ui::ToAnsi(ui_->DateEdit->text()));
    if (text.empty()) {
        return;
    }
    rtl::TDateTime date = 0;
    if (ReadDate(text, date)) {
        ui_->DateEdit->setText(ui::FromAnsi(rtl::FormatDateTime("ddddd", date)));
        return;
    }
    const std::string& pattern = rtl::CurrentFormats().shortDateFormat;
    ShowInformation("Please use the date format " + pattern + "\r" +
                    "   Example: " + rtl::FormatDateTime(pattern, dialogs::Today()));
    ui_->DateEdit->clear();
    ui_->DateEdit->setFocus();
    entryValid_ = false;
}

void TTaskEditor::TimeEditExit() {
    const std::string text = rtl::AnsiUpperCase(ui::ToAnsi(ui_->TimeEdit->text()));
    if (text.empty()) {
        return;
    }
    rtl::TDateTime time = 0;
    if (rtl::TryStrToTime(text, time)) {
        ui_->TimeEdit->setText(ui::FromAnsi(rtl::FormatDateTime("t", time)));
        return;
    }
    ShowInformation("Invalid time. Please use your Windows Time format\r   Example: " +
                    rtl::FormatDateTime("t", dialogs::Now()));
    ui_->TimeEdit->clear();
    ui_->TimeEdit->setFocus();
    entryValid_ = false;
}

// Leaving DateEdit or TimeEdit for another control of the dialog checks the field once the
// focus has moved; the window losing the activation (a message box, another program) does not.
bool TTaskEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool toAnotherControl =
            reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (toAnotherControl && watched == ui_->DateEdit) {
            CheckLater(&TTaskEditor::DateEditExit);
        } else if (toAnotherControl && watched == ui_->TimeEdit) {
            CheckLater(&TTaskEditor::TimeEditExit);
        }
    }
    return ui::TDialog::eventFilter(watched, event);
}

// The OK action runs both checks itself: a leave it causes meanwhile (a failed check moving
// the focus) adds no second message.
void TTaskEditor::CheckLater(void (TTaskEditor::*check)()) {
    QMetaObject::invokeMethod(
        this,
        [this, check]() {
            if (!checking_) {
                (this->*check)();
            }
        },
        Qt::QueuedConnection);
}

void TTaskEditor::CalendarButtonClick() {
    ui::FormPtr<TDateSelector> selector = ui::CreateForm<TDateSelector>(this);
    ui::CentreForm(selector.get());
    rtl::TDateTime date = 0;
    if (ReadDate(ui::ToAnsi(ui_->DateEdit->text()), date)) {
        selector->Calendar()->setCalendarDate(date);
    } else {
        selector->Calendar()->setCalendarDate(dialogs::Now());
    }
    if (selector->ShowModal() == ui::kModalOk) {
        ui_->DateEdit->setText(
            ui::FromAnsi(rtl::FormatDateTime("ddddd", selector->Calendar()->calendarDate())));
    }
    selector.reset();
    ui_->DateEdit->setFocus();
}

void TTaskEditor::QuickDateItemClick(QAction* item) {
    if (item == nullptr) {
        return;
    }
    ui_->DateEdit->setText(
        ui::FromAnsi(rtl::FormatDateTime("ddddd", dialogs::Today() + item->data().toInt())));
    ui_->DateEdit->setFocus();
}

void TTaskEditor::QuickTimeButtonClick() {
    rtl::TDateTime start = dialogs::TimeOfDay();
    const std::string text = rtl::AnsiUpperCase(ui::ToAnsi(ui_->TimeEdit->text()));
    rtl::TDateTime typed = 0;
    if (!text.empty() && rtl::TryStrToTime(text, typed)) {
        start = typed;
    }
    ui::FormPtr<TSetTimeDialog> dialog = ui::CreateForm<TSetTimeDialog>(this);
    dialog->SetSelectedTime(start);
    ui::CentreForm(dialog.get());
    if (dialog->ShowModal() == ui::kModalOk) {
        ui_->TimeEdit->setText(ui::FromAnsi(rtl::FormatDateTime("t", dialog->SelectedTime())));
    }
}

// A word that would carry the field past the 60 characters the task file keeps is not
// appended (the field would cut it to a different word); the refusal is a beep.
void TTaskEditor::KeyListMenuItemClick(QAction* item) {
    if (item == nullptr) {
        return;
    }
    const QString word = item->data().toString();
    const QString now = ui_->KeyWords->text();
    const QString wanted = now.isEmpty() ? word : now + QLatin1Char(' ') + word;
    if (wanted.size() > kKeyWordsLength) {
        QApplication::beep();
        return;
    }
    ui_->KeyWords->setText(wanted);
}

void TTaskEditor::OKButtonClick() {
    entryValid_ = true;
    checking_ = true;
    DateEditExit();
    TimeEditExit();
    checking_ = false;
    if (entryValid_) {
        SetModalResult(ui::kModalOk);
    }
}

void TTaskEditor::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

void TTaskEditor::HelpButtonClick() {
    dialogs::ShowHelpContext(kHelpContext);
}

// The what's-this popups of this window arrive with the what's-this help; until then the
// mode button and the menu item have nothing to show.
void TTaskEditor::MouseHelpButtonClick() {}

void TTaskEditor::WhatsthisClick() {}
