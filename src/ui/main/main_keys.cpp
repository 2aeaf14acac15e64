// The main window's command keys and focus moves.
#include "ui/main/main_keys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QShortcut>

#include "controls/accessible.h"
#include "controls/explorer_button.h"

namespace {

// A shortcut of `owner` and the controls inside it (the grid's cell editor is inside the
// grid), so the same keys can mean "the other pane" in each of the two panes.
void OnKeys(QWidget* owner, const QList<QKeySequence>& keys, QWidget* target) {
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, owner);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, target,
                         [target] { target->setFocus(Qt::TabFocusReason); });
    }
}

void PressOn(QWidget* window, const QKeySequence& key, controls::TExplorerButton* button) {
    auto* shortcut = new QShortcut(key, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, &controls::TExplorerButton::click);
}

}  // namespace

void InstallMainKeys(const MainKeyTargets& t) {
    PressOn(t.window, QKeySequence(Qt::CTRL | Qt::Key_N), t.newButton);
    PressOn(t.window, QKeySequence(Qt::CTRL | Qt::Key_E), t.editButton);
    PressOn(t.window, QKeySequence(Qt::CTRL | Qt::Key_D), t.doneButton);
    PressOn(t.window, QKeySequence(Qt::CTRL | Qt::Key_P), t.reportButton);
    QList<QKeySequence> exitKeys = t.exitItem->shortcuts();
    exitKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    t.exitItem->setShortcuts(exitKeys);

    // Shift+Tab arrives as Backtab, which a shortcut of Shift+Tab also answers to.
    const QList<QKeySequence> paneKeys{QKeySequence(Qt::CTRL | Qt::Key_Tab),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)};
    OnKeys(t.grid, paneKeys, t.notes);
    if (auto* view = qobject_cast<QAbstractItemView*>(t.grid)) {
        controls::AnnounceCurrentCellOnFocus(view);
    }
    OnKeys(t.notes, paneKeys, t.grid);
    if (auto* notes = qobject_cast<QPlainTextEdit*>(t.notes)) {
        notes->setTabChangesFocus(true);
    }

    QWidget* previous = t.notes;
    QWidget::setTabOrder(t.grid, t.notes);
    for (QWidget* next : t.tabOrder) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
}
