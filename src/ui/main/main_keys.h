// The main window's keyboard beyond its menus and accelerators: Ctrl+N, Ctrl+E, Ctrl+D and
// Ctrl+P for the toolbar's commands, Ctrl+Q to exit, Ctrl+Tab between the grid and the notes,
// and the Tab order that reaches every button.
#pragma once

#include <QList>

class QAction;
class QWidget;

namespace controls {
class TExplorerButton;
}

struct MainKeyTargets {
    QWidget* window = nullptr;
    QWidget* grid = nullptr;
    QWidget* notes = nullptr;
    controls::TExplorerButton* newButton = nullptr;
    controls::TExplorerButton* editButton = nullptr;
    controls::TExplorerButton* doneButton = nullptr;
    controls::TExplorerButton* reportButton = nullptr;
    QAction* exitItem = nullptr;
    // The buttons in the order Tab visits them after the notes.
    QList<QWidget*> tabOrder;
};

// Each command key presses its button as a click would, so it does nothing while the button
// is hidden (no current task) or disabled. The grid keeps Tab for its cells, so Ctrl+Tab and
// Ctrl+Shift+Tab move between the grid and the notes; Tab leaves the notes for the buttons.
// A screen reader hears the grid's current cell whenever the grid takes the focus.
void InstallMainKeys(const MainKeyTargets& targets);
