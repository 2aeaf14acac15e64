// The task list's sort orders: the toolbar Sort button's drop-down menu, the File menu's
// "Sort" submenu, the tick of the order in force and the three sort commands.
#pragma once

#include <QObject>

#include <memory>
#include <string_view>

class QAction;
class QMenu;

namespace store {
class TEngineComponent;
class TTable;
}  // namespace store

// The sort item that the order in force ticks: found by the tag name of the current order,
// so record order (and any other tag) ticks none.
enum class TSortItem { kNone, kDateTime, kDescription, kPriority };
TSortItem SortItemInForce(store::TEngineComponent& engine);

// Both sort menus, each pair of items sharing one handler. The main window drops
// ButtonSortMenu down from its Sort button and adds MainSortMenu to its File menu.
class TSortMenus : public QObject {
    Q_OBJECT

  public:
    // `orderNumber` is the main window's OrderNumber, which SetMainMenuSortChecks keeps.
    TSortMenus(store::TEngineComponent& engine, store::TTable& table, int& orderNumber,
               QObject* parent);
    ~TSortMenus() override;

    QMenu* ButtonSortMenu() const { return buttonSortMenu_.get(); }
    QMenu* MainSortMenu() const { return mainSortMenu_.get(); }

  public Q_SLOTS:
    void mnuSortDateTimeClick();
    void mnuSortDescriptionClick();
    void mnuSortPriorityClick();
    // Ticks the toolbar menu's item of the order in force; runs each time the menu opens.
    void ButtonSortMenuPopup();
    // Ticks the File menu's item of the order in force and keeps that order in OrderNumber.
    void SetMainMenuSortChecks();

  Q_SIGNALS:
    // A sort command put another order in force and moved to the first record.
    void sorted();

  private:
    void Sort(std::string_view tag);

    store::TEngineComponent& engine_;
    store::TTable& table_;
    int& orderNumber_;
    // The menus have no parent widget: they go with this object.
    std::unique_ptr<QMenu> buttonSortMenu_;
    std::unique_ptr<QMenu> mainSortMenu_;
};
