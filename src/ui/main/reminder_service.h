// TReminderService: reminders at the due time for the main window. It owns the one timer armed
// for the next due moment, keeps the rule's schedule in step with the task table, tells the
// desktop notifier, serves the File menu's "Reminders" item and keeps "Reminders" and
// "LastReminded" in TODO.INI.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "store/reminder_schedule.h"
#include "store/task_file.h"

namespace ui {
class TDesktopNotifier;
}
class QAction;
class QTableView;
class QWidget;
class TaskGridModel;

class TReminderService : public QObject {
    Q_OBJECT

  public:
    // `model` is the grid's: its resets and changed records say when the due moments may have
    // changed. `menuItem` is the checkable "Reminders" item; `window` is raised on a click.
    TReminderService(store::TTaskStore& store, TaskGridModel& model, QTableView& grid,
                     QAction& menuItem, QWidget& window);

    // Where the time comes from (tests set it).
    using Clock = std::function<std::time_t()>;
    void SetClock(Clock clock) { clock_ = std::move(clock); }
    // Takes over `notifier` (tests give one on a bus of their own).
    void SetNotifier(ui::TDesktopNotifier* notifier);

    // Once the window is ready for work: reads the settings, the due moments, and tells in one
    // notification how many tasks fell due since the last check of the run before.
    void Start(const std::string& iniFile);
    // As the window closes: the last check is kept for the next start.
    void Stop();
    bool On() const { return on_; }
    void SetOn(bool on);
    // Looks at the clock: reminds the tasks fallen due since the last look, then arms the timer.
    void Check();
    // Brings the window forward on a reminded task, made current when the filter shows it.
    void ShowTask(std::int32_t record);
    const store::TReminderSchedule& Schedule() const { return schedule_; }

    static QString MissedText(std::size_t count);

  private:
    store::LocalMinute Now() const { return store::LocalMinuteAt(clock_()); }
    // Reads the due moments of the whole table, unless the task file is as the last scan
    // found it: a new order or filter changes no task.
    void Rescan(bool always = false);
    void TaskChanged(std::int32_t record);
    void Arm();
    void KeepLastChecked();

    store::TTaskStore& store_;
    store::TTable& table_;
    TaskGridModel& model_;
    QTableView& grid_;
    QAction& menuItem_;
    QWidget& window_;
    ui::TDesktopNotifier* notifier_ = nullptr;
    Clock clock_ = [] { return std::time(nullptr); };
    store::TReminderSchedule schedule_;
    std::optional<store::TaskFileStamp> scanned_;  // the task file as the last scan read it
    QTimer timer_;
    std::string iniFile_;
    bool started_ = false;
    bool on_ = false;
};
