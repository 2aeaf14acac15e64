// Reading a window as a screen reader does: its accessible tree, walked through Qt's
// accessibility interfaces, and the events Qt sends a listening reader.
#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace ui::test {

struct AccessibleItem {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString value;
    QString objectName;  // of the item's widget; empty for an item without one
    QAccessible::State state;
};

// The shown items under `window` (itself excluded), depth first.
std::vector<AccessibleItem> ReadAccessibleTree(QWidget* window);

// The items a person presses: push buttons, menu buttons, check and radio buttons.
bool IsButtonRole(QAccessible::Role role);

// "push button", "table", ... for messages.
QString RoleName(QAccessible::Role role);

// While alive, Qt's accessibility is on and every event it would send a reader is recorded
// instead, as the item it concerns reads at the time.
class AccessibleEventLog {
  public:
    struct Entry {
        QAccessible::Event type;
        AccessibleItem item;
    };

    AccessibleEventLog();
    ~AccessibleEventLog();
    AccessibleEventLog(const AccessibleEventLog&) = delete;
    AccessibleEventLog& operator=(const AccessibleEventLog&) = delete;

    const std::vector<Entry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    // The last entry of `type`, or null.
    const Entry* Last(QAccessible::Event type) const;

  private:
    static void Record(QAccessibleEvent* event);

    std::vector<Entry> entries_;
    QAccessible::UpdateHandler previous_ = nullptr;
    bool wasActive_ = false;
};

}  // namespace ui::test
