// The find box under the task grid.
#include "ui/main/find_box.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "rtl/ansi.h"
#include "ui/main/task_grid.h"
#include "ui_find_box.h"

namespace {
constexpr int kHelpContext = 3201;
}  // namespace

TFindBox::TFindBox(QScrollArea& pane, QTableView& grid, TaskGridModel& model)
    : ui_(std::make_unique<Ui::TFindBox>()), grid_(grid), model_(model) {
    ui_->setupUi(this);
    // Only what the tasks' code page holds can be in a task, so only that can be sought.
    ui::RefuseNonAnsiInput(ui_->FindText);

    // The grid above, the box below, in the pane that held the grid alone.
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pane.takeWidget();
    layout->addWidget(&grid_);
    layout->addWidget(this);
    pane.setWidget(column);
    hide();

    // Esc belongs to the box; F3 steps through the tasks wherever the keyboard is in the
    // window, while the box shows.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &TFindBox::Close,
                  Qt::WidgetWithChildrenShortcut);
    new QShortcut(QKeySequence(Qt::Key_F3), this, this, [this] { FindNext(true); },
                  Qt::WindowShortcut);
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this, this,
                  [this] { FindNext(false); }, Qt::WindowShortcut);
    // Tasks added, changed or deleted while the box is open, and another filter, change the
    // count.
    const auto recount = [this] {
        if (!isHidden()) {
            CountChanged();
        }
    };
    connect(&model_, &TaskGridModel::rowsInserted, this, recount);
    connect(&model_, &TaskGridModel::rowsRemoved, this, recount);
    connect(&model_, &TaskGridModel::modelReset, this, recount);
}

TFindBox::~TFindBox() = default;

QLineEdit* TFindBox::FindText() const {
    return ui_->FindText;
}

void TFindBox::Open() {
    if (isHidden()) {
        Q_EMIT aboutToFind();
        const int column = grid_.currentIndex().column();
        // Every task's texts are read once here, so that each keystroke reads none.
        ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
        model_.OpenFind();
        ui::SetScreenCursor(ui::ScreenCursor::Default);
        show();
        ShowCurrent(column, false);
        CountChanged();
    }
    ui_->FindText->setFocus();
    ui_->FindText->selectAll();
}

void TFindBox::Close() {
    if (isHidden()) {
        return;
    }
    const int column = grid_.currentIndex().column();
    model_.CloseFind();
    // Before the focus moves: a grid that gets the focus without a current cell makes its
    // first row current, and the table would follow it there.
    ShowCurrent(column, false);
    {
        const QSignalBlocker quiet(ui_->FindText);
        ui_->FindText->clear();
    }
    hide();
    grid_.setFocus();
    Q_EMIT countChanged(QString());
}

void TFindBox::FindTextChange() {
    if (isHidden()) {
        return;
    }
    Q_EMIT aboutToFind();
    const int column = grid_.currentIndex().column();
    // The count follows from the model's reset.
    model_.FindText(rtl::Utf8ToAnsi(ui_->FindText->text().toStdString()));
    ShowCurrent(column, true);
}

void TFindBox::FindNextClick() {
    FindNext(true);
}

void TFindBox::HelpClick() {
    ui::ShowHelp(ui::ProgramHelpFile(), kHelpContext);
}

void TFindBox::FindNext(bool forward) {
    const int rows = model_.rowCount();
    if (isHidden() || rows == 0) {
        return;
    }
    const int current = grid_.currentIndex().row();
    int next = 0;
    if (current < 0) {
        next = forward ? 0 : rows - 1;
    } else {
        next = (current + (forward ? 1 : rows - 1)) % rows;
    }
    const int column = std::max(grid_.currentIndex().column(), 0);
    grid_.setCurrentIndex(model_.index(next, column));
    grid_.scrollTo(grid_.currentIndex());
}

void TFindBox::ShowCurrent(int column, bool firstWhenNotShown) {
    int row = model_.CurrentRow();
    if (row < 0 && firstWhenNotShown && model_.rowCount() > 0) {
        row = 0;
    }
    if (row < 0) {
        return;
    }
    // Moving the grid moves the table (the main window hears the grid's current cell).
    grid_.setCurrentIndex(model_.index(row, column >= 0 ? column : TaskGridModel::kTask));
    grid_.scrollTo(grid_.currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TFindBox::CountChanged() {
    Q_EMIT countChanged(FoundCountText(model_.rowCount(), model_.OrderRowCount()));
}

QString FoundCountText(int found, int total) {
    return QStringLiteral("%1 of %2 %3 %4")
        .arg(found)
        .arg(total)
        .arg(total == 1 ? QStringLiteral("task") : QStringLiteral("tasks"))
        .arg(found == 1 ? QStringLiteral("matches") : QStringLiteral("match"));
}
