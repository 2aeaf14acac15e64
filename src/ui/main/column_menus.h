// TColumnMenus: the task grid's quick-entry menus (date column, quick dates, priority column,
// key words) and the quick time dialog, each changing one field of the current task.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/date_time.h"

class QAction;
class QMenu;

namespace store {
class TTable;
}

class TColumnMenus : public QObject {
    Q_OBJECT

  public:
    // The clock the quick dates and times start from (rtl::Now unless a test sets another).
    using Clock = std::function<rtl::TDateTime()>;
    // A modal picker started at `value`; writes the choice into it and answers true on OK.
    // The date selector picks a date (its time of day does not count), the time dialog a time.
    using Picker = std::function<bool(rtl::TDateTime& value)>;
    // The date selector and the time dialog, centred over the main window.
    static bool PickDateWithSelector(rtl::TDateTime& date);
    static bool PickTimeWithDialog(rtl::TDateTime& time);

    // `keyWordList` is the main window's key word list, read at each use of the key word menu.
    TColumnMenus(store::TTable& table, const std::vector<std::string>& keyWordList, QObject* parent,
                 Picker pickDate = PickDateWithSelector, Picker pickTime = PickTimeWithDialog);
    ~TColumnMenus() override;

    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // Captions the quick dates for the day it runs on; the main window's creation calls it.
    void FormCreate();

    // A double-click on the grid column of `fieldName` (any case): the Date or Priority
    // column's menu or the key word menu at `globalPos`, or the quick time dialog. False for
    // a column without one (Done, Task), which the caller handles.
    bool ColumnDblClick(std::string_view fieldName, QPoint globalPos);

    QMenu* DateColumnMenu() const { return dateColumnMenu_.get(); }
    QMenu* QuickDateMenu() const { return quickDateMenu_.get(); }
    QMenu* PriorityColumnMenu() const { return priorityColumnMenu_.get(); }
    // The key word menu as DoKeyListMenu builds it afresh for each use.
    std::unique_ptr<QMenu> MakeKeyListMenu();

  public Q_SLOTS:
    void Calendar1Click();
    void QuickDate1Click();
    void ClearDate1Click();
    void QuickDateItemClick(QAction* item);
    void High1Click();
    void MediumPriority1Click();
    void Low1Click();
    void DoQuickTime();
    void DoKeyListMenu(int x, int y);
    void KeyListMenuItemClick(QAction* item);

  Q_SIGNALS:
    // A field of the current task was stored; the grid repaints its row.
    void taskChanged();

  private:
    void Store(std::string_view field, const std::string& value);
    rtl::TDateTime Today() const;

    store::TTable& table_;
    const std::vector<std::string>& keyWordList_;
    Picker pickDate_;
    Picker pickTime_;
    Clock clock_;
    // The pop-up menus have no parent widget: they go with this object.
    std::unique_ptr<QMenu> dateColumnMenu_;
    std::unique_ptr<QMenu> quickDateMenu_;
    std::unique_ptr<QMenu> priorityColumnMenu_;
};
