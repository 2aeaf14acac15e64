// The reminders of the main window: the schedule kept in step with the grid's changes, the
// timer, the notifications and their clicks, and the two settings.
#include "ui/main/reminder_service.h"

#include <QAction>
#include <QTableView>
#include <QWidget>

#include <algorithm>

#include "platform/ini/profile.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/notifications.h"
#include "store/row_order.h"
#include "ui/main/task_grid.h"

namespace {

constexpr char kPreferences[] = "Preferences";
constexpr char kOnKey[] = "Reminders";
constexpr char kLastCheckKey[] = "LastReminded";
// The clock is looked at this often whatever the next due moment, so that a clock set or a
// machine woken from sleep is noticed; a look costs a search of the sorted due moments.
constexpr std::int64_t kLookMilliseconds = 60 * 1000;
// The tag of the notification of tasks missed while closed: no task's record number.
constexpr std::int64_t kMissedTag = 0;

}  // namespace

TReminderService::TReminderService(store::TTaskStore& store, TaskGridModel& model,
                                   QTableView& grid, QAction& menuItem, QWidget& window)
    : QObject(&window),
      store_(store),
      table_(store.TodoTable),
      model_(model),
      grid_(grid),
      menuItem_(menuItem),
      window_(window) {
    timer_.setSingleShot(true);
    // A coarse timer may fire seconds early, before the minute it was armed for.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TReminderService::Check);
    menuItem_.setCheckable(true);
    connect(&menuItem_, &QAction::triggered, this, [this](bool checked) { SetOn(checked); });
    // Every change of the table reaches the grid: a reload after a sort, a filter, a rebuild,
    // a restore or another program's change, or one record after an edit, undo or redo.
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        if (started_ && on_) {
            Rescan();
        }
    });
    connect(&model_, &TaskGridModel::recordChanged, this, [this](std::int32_t record) {
        if (started_ && on_) {
            TaskChanged(record);
        }
    });
    SetNotifier(new ui::TDesktopNotifier(QDBusConnection::sessionBus(), this));
}

void TReminderService::SetNotifier(ui::TDesktopNotifier* notifier) {
    if (notifier_ != nullptr) {
        notifier_->deleteLater();
    }
    notifier_ = notifier;
    notifier_->setParent(this);
    connect(notifier_, &ui::TDesktopNotifier::activated, this,
            [this](std::int64_t tag) { ShowTask(static_cast<std::int32_t>(tag)); });
}

void TReminderService::Start(const std::string& iniFile) {
    iniFile_ = iniFile;
    on_ = ini::ReadBool(iniFile_, kPreferences, kOnKey, true);
    menuItem_.setChecked(on_);
    started_ = true;
    if (!on_) {
        return;
    }
    Rescan(true);
    const std::size_t missed = schedule_.Start(
        store::ParseCheckStamp(ini::ReadString(iniFile_, kPreferences, kLastCheckKey, "")),
        Now());
    KeepLastChecked();
    if (missed > 0) {
        notifier_->Show(MissedText(missed), kMissedTag);
    }
    Arm();
}

void TReminderService::Stop() {
    timer_.stop();
    if (started_ && on_) {
        KeepLastChecked();
    }
    started_ = false;
}

void TReminderService::SetOn(bool on) {
    on_ = on;
    menuItem_.setChecked(on);
    if (!started_) {
        return;
    }
    ini::WriteBool(iniFile_, kPreferences, kOnKey, on);
    if (!on) {
        timer_.stop();
        return;
    }
    // Turned on again, reminders go on from now: what fell due meanwhile is not told.
    Rescan(true);
    schedule_.Start(std::nullopt, Now());
    KeepLastChecked();
    Arm();
}

void TReminderService::Check() {
    if (!started_ || !on_) {
        return;
    }
    const std::vector<std::int32_t> due = schedule_.Check(Now());
    store::TRowOrder reader(table_);
    for (std::int32_t record : due) {
        store::TaskEntry task;
        // Read afresh: the description as it stands now, and a task another program marked
        // done since the schedule last saw it stays quiet.
        if (reader.ReadTask(record, task) && !task.done) {
            notifier_->Show(ui::FromAnsi(task.descript), record);
        }
    }
    if (!due.empty()) {
        KeepLastChecked();
    }
    Arm();
}

void TReminderService::ShowTask(std::int32_t record) {
    if (window_.isMinimized()) {
        window_.showNormal();
    }
    window_.raise();
    window_.activateWindow();
    const int row = model_.RowOf(record);
    if (record == kMissedTag || row < 0) {
        return;
    }
    const int column = std::max(grid_.currentIndex().column(), 0);
    grid_.setCurrentIndex(model_.index(row, column));
    grid_.scrollTo(model_.index(row, column));
}

QString TReminderService::MissedText(std::size_t count) {
    return count == 1 ? QStringLiteral("1 task fell due while Quillet was closed")
                      : QStringLiteral("%1 tasks fell due while Quillet was closed").arg(count);
}

void TReminderService::Rescan(bool always) {
    const store::TaskFileStamp stamp = store_.Stamp();
    if (always || stamp != scanned_) {
        ScanDueTasks(table_, schedule_);
        scanned_ = stamp;
    }
    Arm();
}

void TReminderService::TaskChanged(std::int32_t record) {
    RescanDueTask(table_, record, schedule_);
    Arm();
}

void TReminderService::Arm() {
    const std::time_t now = clock_();
    const std::int64_t intoMinute = static_cast<std::int64_t>(now % 60) * 1000;
    std::int64_t wait = kLookMilliseconds - intoMinute;
    if (const std::optional<store::LocalMinute> next = schedule_.NextDue()) {
        const std::int64_t untilDue = (*next - store::LocalMinuteAt(now)) * 60 * 1000 - intoMinute;
        wait = std::min(wait, std::max<std::int64_t>(untilDue, 0));
    }
    timer_.start(static_cast<int>(wait));
}

void TReminderService::KeepLastChecked() {
    ini::WriteString(iniFile_, kPreferences, kLastCheckKey,
                     store::FormatCheckStamp(schedule_.LastChecked()));
}
