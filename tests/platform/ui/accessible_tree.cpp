// Walking accessible trees and recording the events a reader would hear.
#include "accessible_tree.h"

#include <QAccessibleInterface>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

namespace ui::test {
namespace {

AccessibleEventLog* activeLog = nullptr;

// Qt sends nothing until a reader has switched accessibility on, which only the platform
// can do; the offscreen platform has no reader, so the tests stand in for one.
QPlatformAccessibility* Platform() {
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    return integration != nullptr ? integration->accessibility() : nullptr;
}

AccessibleItem Describe(QAccessibleInterface* iface) {
    AccessibleItem item;
    item.role = iface->role();
    item.name = iface->text(QAccessible::Name);
    item.value = iface->text(QAccessible::Value);
    if (QObject* object = iface->object()) {
        item.objectName = object->objectName();
    }
    item.state = iface->state();
    return item;
}

void Walk(QAccessibleInterface* iface, std::vector<AccessibleItem>& items) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child == nullptr || !child->isValid() || child->state().invisible) {
            continue;
        }
        items.push_back(Describe(child));
        Walk(child, items);
    }
}

}  // namespace

std::vector<AccessibleItem> ReadAccessibleTree(QWidget* window) {
    std::vector<AccessibleItem> items;
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window)) {
        Walk(root, items);
    }
    return items;
}

bool IsButtonRole(QAccessible::Role role) {
    return role == QAccessible::Button || role == QAccessible::ButtonMenu ||
           role == QAccessible::CheckBox || role == QAccessible::RadioButton;
}

QString RoleName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::Button:
            return QStringLiteral("push button");
        case QAccessible::ButtonMenu:
            return QStringLiteral("menu button");
        case QAccessible::CheckBox:
            return QStringLiteral("check box");
        case QAccessible::RadioButton:
            return QStringLiteral("radio button");
        case QAccessible::EditableText:
            return QStringLiteral("editable text");
        case QAccessible::Table:
            return QStringLiteral("table");
        case QAccessible::Cell:
            return QStringLiteral("cell");
        case QAccessible::ColumnHeader:
            return QStringLiteral("column header");
        case QAccessible::Separator:
            return QStringLiteral("separator");
        case QAccessible::Splitter:
            return QStringLiteral("split pane");
        case QAccessible::ProgressBar:
            return QStringLiteral("progress bar");
        case QAccessible::Tree:
            return QStringLiteral("tree");
        case QAccessible::List:
            return QStringLiteral("list");
        case QAccessible::PageTab:
            return QStringLiteral("page tab");
        case QAccessible::StaticText:
            return QStringLiteral("label");
        default:
            return QStringLiteral("role 0x") + QString::number(role, 16);
    }
}

AccessibleEventLog::AccessibleEventLog() {
    activeLog = this;
    wasActive_ = QAccessible::isActive();
    previous_ = QAccessible::installUpdateHandler(&AccessibleEventLog::Record);
    if (QPlatformAccessibility* platform = Platform()) {
        platform->setActive(true);
    }
}

AccessibleEventLog::~AccessibleEventLog() {
    if (QPlatformAccessibility* platform = Platform()) {
        platform->setActive(wasActive_);
    }
    QAccessible::installUpdateHandler(previous_);
    activeLog = nullptr;
}

const AccessibleEventLog::Entry* AccessibleEventLog::Last(QAccessible::Event type) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->type == type) {
            return &*it;
        }
    }
    return nullptr;
}

void AccessibleEventLog::Record(QAccessibleEvent* event) {
    if (activeLog == nullptr) {
        return;
    }
    QAccessibleInterface* iface = event->accessibleInterface();
    if (iface == nullptr || !iface->isValid()) {
        return;
    }
    activeLog->entries_.push_back({event->type(), Describe(iface)});
}

}  // namespace ui::test
