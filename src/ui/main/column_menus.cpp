// The quick-entry menus of the task grid and the one-field changes their items make.
#include "ui/main/column_menus.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <cmath>

#include "controls/calendar.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/message_box.h"
#include "rtl/ansi.h"
#include "rtl/format_settings.h"
#include "store/display_fields.h"
#include "store/quick_entry.h"
#include "store/record_set.h"
#include "store/task_record.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"

namespace {

// A menu caption that shows `text` as it is: an "&" would otherwise mark an accelerator.
QString PlainCaption(std::string_view text) {
    QString caption = ui::FromAnsi(text);
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void AddSeparatorAndCancel(QMenu* menu, const char* cancelName) {
    menu->addSeparator();
    AddItem(menu, cancelName, QStringLiteral("Cancel"));
}

namespace field = store::task_field;

}  // namespace

bool TColumnMenus::PickDateWithSelector(rtl::TDateTime& date) {
    ui::FormPtr<TDateSelector> selector = ui::CreateForm<TDateSelector>(ui::MainForm());
    ui::CentreForm(selector.get());
    selector->Calendar()->setCalendarDate(date);
    if (selector->ShowModal() != ui::kModalOk) {
        return false;
    }
    date = std::floor(selector->Calendar()->calendarDate());
    return true;
}

bool TColumnMenus::PickTimeWithDialog(rtl::TDateTime& time) {
    ui::FormPtr<TSetTimeDialog> dialog = ui::CreateForm<TSetTimeDialog>(ui::MainForm());
    dialog->SetSelectedTime(time);
    ui::CentreForm(dialog.get());
    if (dialog->ShowModal() != ui::kModalOk) {
        return false;
    }
    time = dialog->SelectedTime();
    return true;
}

TColumnMenus::TColumnMenus(store::TTable& table, const std::vector<std::string>& keyWordList,
                           QObject* parent, Picker pickDate, Picker pickTime)
    : QObject(parent),
      table_(table),
      keyWordList_(keyWordList),
      pickDate_(std::move(pickDate)),
      pickTime_(std::move(pickTime)),
      clock_([] { return rtl::Now(); }),
      dateColumnMenu_(std::make_unique<QMenu>()),
      quickDateMenu_(std::make_unique<QMenu>()),
      priorityColumnMenu_(std::make_unique<QMenu>()) {
    dateColumnMenu_->setObjectName(QStringLiteral("DateColumnMenu"));
    connect(AddItem(dateColumnMenu_.get(), "Calendar1", QStringLiteral("Calendar")),
            &QAction::triggered, this, &TColumnMenus::Calendar1Click);
    connect(AddItem(dateColumnMenu_.get(), "QuickDate1", QStringLiteral("Quick Date")),
            &QAction::triggered, this, &TColumnMenus::QuickDate1Click);
    connect(AddItem(dateColumnMenu_.get(), "ClearDate1", QStringLiteral("Clear Date")),
            &QAction::triggered, this, &TColumnMenus::ClearDate1Click);
    AddSeparatorAndCancel(dateColumnMenu_.get(), "Cancel1");

    quickDateMenu_->setObjectName(QStringLiteral("QuickDateMenu"));

    priorityColumnMenu_->setObjectName(QStringLiteral("PriorityColumnMenu"));
    connect(AddItem(priorityColumnMenu_.get(), "High1", QStringLiteral("High Priority")),
            &QAction::triggered, this, &TColumnMenus::High1Click);
    connect(
        AddItem(priorityColumnMenu_.get(), "MediumPriority1", QStringLiteral("Medium Priority")),
        &QAction::triggered, this, &TColumnMenus::MediumPriority1Click);
    connect(AddItem(priorityColumnMenu_.get(), "Low1", QStringLiteral("Low Priority")),
            &QAction::triggered, this, &TColumnMenus::Low1Click);
    AddSeparatorAndCancel(priorityColumnMenu_.get(), "Cancel3");
}

TColumnMenus::~TColumnMenus() = default;

void TColumnMenus::FormCreate() {
    quickDateMenu_->clear();
    for (const store::QuickDateItem& item : store::QuickDateItems(Today())) {
        QAction* action = AddItem(quickDateMenu_.get(), item.name, PlainCaption(item.caption));
        action->setData(item.tag);
        connect(action, &QAction::triggered, this, [this, action] { QuickDateItemClick(action); });
    }
    AddSeparatorAndCancel(quickDateMenu_.get(), "Cancel2");
}

bool TColumnMenus::ColumnDblClick(std::string_view fieldName, QPoint globalPos) {
    const std::string column = rtl::AnsiUpperCase(fieldName);
    const auto is = [&column](const char* name) { return column == rtl::AnsiUpperCase(name); };
    if (is(field::kShowDate)) {
        dateColumnMenu_->exec(globalPos);
    } else if (is(field::kShowPriority)) {
        priorityColumnMenu_->exec(globalPos);
    } else if (is(field::kShowTime)) {
        DoQuickTime();
    } else if (is(field::kShowKeys)) {
        DoKeyListMenu(globalPos.x(), globalPos.y());
    } else {
        return false;
    }
    return true;
}

rtl::TDateTime TColumnMenus::Today() const {
    return std::floor(clock_());
}

// Each change is edit, assign, post; a failure reaches the error box in the engine's words.
void TColumnMenus::Store(std::string_view field, const std::string& value) {
    const std::string failure = store::ChangeTaskField(table_, field, value);
    if (!failure.empty()) {
        ui::MessageBox(failure, ui::ApplicationTitle().toStdString(), ui::kMbOk | ui::kMbIconHand);
        return;
    }
    Q_EMIT taskChanged();
}

void TColumnMenus::Calendar1Click() {
    rtl::TDateTime date = 0;
    const std::string stored = store::ReadTaskEntry(table_, store::NoteRead::kSkip).date;
    if (!store::StoredDateToValue(stored, date, rtl::CurrentFormats())) {
        date = Today();
    }
    if (pickDate_ && pickDate_(date)) {
        Store(field::kDate, store::DateToStored(std::floor(date)));
    }
}

void TColumnMenus::QuickDate1Click() {
    quickDateMenu_->exec(QCursor::pos());
}

void TColumnMenus::ClearDate1Click() {
    Store(field::kDate, {});
}

// The captions keep the day the window was made; the date stored is the day of the click.
void TColumnMenus::QuickDateItemClick(QAction* item) {
    Store(field::kDate, store::DateToStored(Today() + item->data().toInt()));
}

void TColumnMenus::High1Click() {
    Store(field::kPriority, "A");
}

void TColumnMenus::MediumPriority1Click() {
    Store(field::kPriority, "B");
}

void TColumnMenus::Low1Click() {
    Store(field::kPriority, "C");
}

void TColumnMenus::DoQuickTime() {
    const std::string stored = store::ReadTaskEntry(table_, store::NoteRead::kSkip).time;
    rtl::TDateTime time = store::QuickTimeStart(stored, clock_());
    if (pickTime_ && pickTime_(time)) {
        Store(field::kTime, store::QuickTimeToStored(time));
    }
}

std::unique_ptr<QMenu> TColumnMenus::MakeKeyListMenu() {
    auto menu = std::make_unique<QMenu>();
    auto addWord = [this, &menu](const std::string& word) {
        QAction* action = menu->addAction(PlainCaption(word));
        action->setData(QByteArray::fromStdString(word));
        connect(action, &QAction::triggered, this,
                [this, action] { KeyListMenuItemClick(action); });
    };
    for (const std::string& word : keyWordList_) {
        addWord(word);
    }
    menu->addSeparator();
    addWord(store::kClearEntry);
    menu->addAction(QStringLiteral("Cancel"));
    return menu;
}

void TColumnMenus::DoKeyListMenu(int x, int y) {
    std::unique_ptr<QMenu> menu = MakeKeyListMenu();
    menu->exec(QPoint(x, y));
    ui::ProcessMessages();
}

void TColumnMenus::KeyListMenuItemClick(QAction* item) {
    const QByteArray word = item->data().toByteArray();
    const std::string keys = store::ReadTaskEntry(table_, store::NoteRead::kSkip).keys;
    Store(field::kKeys, store::KeysWithChoice(keys, word.toStdString()));
}
