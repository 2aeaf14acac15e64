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

#include <string_view>
#include <utility>

#include "app/message_boxes.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/whats_this.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/format_settings.h"
#include "store/quick_entry.h"
#include "store/task_editing.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui_task_editor.h"

namespace {

constexpr int kHelpContext = 1004;

// A date text read under the formats in force; short forms refer to the dialogs' clock's year.
bool ReadDate(const std::string& text, rtl::TDateTime& date) {
    return rtl::TryStrToDate(text, date, rtl::CurrentFormats(),
                             rtl::DecodeDate(dialogs::Today()).year);
}

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
    ui_->KeyWords->setMaxLength(store::kKeysWidth);
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

    controls::InstallHelp(this);
    whatsThisMenu_ = controls::MakeWhatsThisMenu(
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

void TTaskEditor::SetEntry(const store::TaskEntry& entry) {
    SetPriority(entry.priority);
    ui_->IsDone->setChecked(entry.done);
    ui_->Task->setText(ui::FromAnsi(entry.descript));
    ui_->KeyWords->setText(ui::FromAnsi(entry.keys));
    ui_->Notes->setPlainText(ui::NoteFromAnsi(entry.note));
    ui_->DateEdit->setText(ui::FromAnsi(store::EditorDateOf(entry.date)));
    ui_->TimeEdit->setText(ui::FromAnsi(store::EditorTimeOf(entry.time)));
}

store::TaskEntry TTaskEditor::Entry() const {
    store::TaskEntry entry;
    entry.date = store::StoredDateOfEditor(ui::ToAnsi(ui_->DateEdit->text()));
    entry.time = store::StoredTimeOfEditor(ui::ToAnsi(ui_->TimeEdit->text()));
    entry.descript = ui::ToAnsi(ui_->Task->text());
    entry.keys = ui::ToAnsi(ui_->KeyWords->text());
    entry.priority = Priority();
    entry.done = ui_->IsDone->isChecked();
    entry.note = ui::NoteToAnsi(ui_->Notes->toPlainText());
    return entry;
}

QMenu* TTaskEditor::QuickDateMenu() const {
    return quickDateMenu_;
}

QMenu* TTaskEditor::KeyListMenu() const {
    return keyListMenu_;
}

void TTaskEditor::FormCreate() {
    const rtl::TDateTime today = dialogs::Today();
    for (const store::QuickDateItem& item : store::QuickDateItems(today)) {
        QAction* action = quickDateMenu_->addAction(ui::FromAnsi(item.caption));
        action->setObjectName(QLatin1String(item.name));
        action->setData(item.tag);
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
    const std::string typed = ui::ToAnsi(ui_->DateEdit->text());
    if (typed.empty()) {
        return;
    }
    if (const std::optional<std::string> date = store::CheckedEditorDate(typed, dialogs::Today())) {
        ui_->DateEdit->setText(ui::FromAnsi(*date));
        return;
    }
    ShowInformation(store::DateRefusalText(dialogs::Today()));
    ui_->DateEdit->clear();
    ui_->DateEdit->setFocus();
    entryValid_ = false;
}

void TTaskEditor::TimeEditExit() {
    const std::string typed = ui::ToAnsi(ui_->TimeEdit->text());
    if (typed.empty()) {
        return;
    }
    if (const std::optional<std::string> time = store::CheckedEditorTime(typed)) {
        ui_->TimeEdit->setText(ui::FromAnsi(*time));
        return;
    }
    ShowInformation(store::TimeRefusalText(dialogs::Now()));
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
    const std::optional<std::string> keys =
        store::KeysWithWord(ui::ToAnsi(ui_->KeyWords->text()), ui::ToAnsi(item->data().toString()));
    if (!keys) {
        QApplication::beep();
        return;
    }
    ui_->KeyWords->setText(ui::FromAnsi(*keys));
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

void TTaskEditor::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TTaskEditor::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}
