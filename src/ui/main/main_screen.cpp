// The main window: layout and wiring, start-up and closing, the task commands behind its
// buttons, menus, keys and double-clicks, the filter and sort commands and the preferences.
#include "ui/main/main_screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include <cmath>
#include <ctime>

#include "app/about_box.h"
#include "app/form_placement.h"
#include "app/just_one.h"
#include "app/message_boxes.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/splitter.h"
#include "controls/whats_this.h"
#include "platform/ini/profile.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "report/report_setup.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/format_sets.h"
#include "store/backups.h"
#include "store/program_folder.h"
#include "store/task_file.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/task_editor.h"
#include "ui/exchange/exchange_commands.h"
#include "ui/main/backup_form.h"
#include "ui/main/column_menus.h"
#include "ui/main/filter_form.h"
#include "ui/main/find_box.h"
#include "ui/main/main_keys.h"
#include "ui/main/main_pictures.h"
#include "ui/main/reminder_service.h"
#include "ui/main/sort_menus.h"
#include "ui/main/task_commands.h"
#include "ui/main/task_grid.h"
#include "ui/rebuild/rebuild_ind.h"
#include "ui_main_screen.h"

namespace {
constexpr int kHelpContext = 1009;
constexpr int kClientWidth = 618;
constexpr int kClientHeight = 405;
constexpr int kDesignedLeft = 144;
constexpr int kDesignedTop = 99;
constexpr char kPreferences[] = "Preferences";
constexpr char kSaveFailed[] = "Error:Unable to save changes";
constexpr int kMessageLineMilliseconds = 8000;
const QString kIndexRebuilt = QStringLiteral(
    "The index did not match the task file and was rebuilt (the old one is kept as "
    "QUILX.CDX.bad).");
const QString kIndexPutOff = QStringLiteral(
    "The index does not match the task file; it is rebuilt when no other program has the task "
    "file open.");
// Another program's appends show within two seconds.
constexpr int kOthersChangesMilliseconds = 1000;
// Records of work per idle-time slice of the index check.
constexpr int kIndexCheckSlice = 4000;

// A text input has the keyboard: keys typed there belong to it alone.
bool IsTextInput(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr;
}

// What a column's menu changes, as the Edit menu names it.
store::TaskChange ColumnMenuChange(int column) {
    switch (column) {
        case TaskGridModel::kDate:
            return store::TaskChange::kDate;
        case TaskGridModel::kPriority:
            return store::TaskChange::kPriority;
        case TaskGridModel::kTime:
            return store::TaskChange::kTime;
        default:
            return store::TaskChange::kKeyWords;
    }
}

}  // namespace

// The store's words for a person: messages in the information box, status texts in the
// start-up status panel, painted at once.
class TMainScreen::Sinks : public store::MessageSink, public store::StatusSink {
  public:
    explicit Sinks(QLabel*& caption) : caption_(caption) {}
    void ShowInformation(std::string_view text) override { ::ShowInformation(text); }
    void ShowStatus(std::string_view text) override {
        if (caption_ != nullptr) {
            caption_->setText(ui::MessageTextFromAnsi(text));
        }
        ui::ProcessMessages();
    }

  private:
    QLabel*& caption_;
};

// Hears the task table move, so that the grid's current row and the notes pane follow it.
class TMainScreen::TableLink : public store::TDataLink {
  public:
    explicit TableLink(TMainScreen& form) : form_(form) {}
    void DataSetChanged() override { form_.TableMoved(); }

  private:
    TMainScreen& form_;
};

// The grid's and the notes pane's own events, watched apart from the form's key preview.
class TMainScreen::ControlEvents : public QObject {
  public:
    explicit ControlEvents(TMainScreen& form) : QObject(&form), form_(form) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        Ui::TMainScreen& ui = *form_.ui_;
        if (watched == ui.ActiveGrid && event->type() == QEvent::KeyPress) {
            form_.ActiveGridKeyDown(static_cast<QKeyEvent*>(event));
        } else if (watched == ui.ActiveNotes && event->type() == QEvent::FocusOut) {
            form_.ActiveNotesExit();
        } else if (watched == ui.ActiveNotes->viewport() &&
                   event->type() == QEvent::MouseButtonDblClick) {
            form_.ActiveNotesDblClick();
        }
        return false;
    }

  private:
    TMainScreen& form_;
};

TMainScreen::TMainScreen(const std::string& programDir, QWidget* parent)
    : ui::TForm(parent), ui_(std::make_unique<Ui::TMainScreen>()) {
    // A later instance ends inside this constructor, before anything is shown or opened.
    JustOne1 = new TJustOne(this);

    ui_->setupUi(this);
    // The designed size is the client area, below the menu bar.
    resize(kClientWidth, kClientHeight + ui_->MainMenu->sizeHint().height());
    move(kDesignedLeft, kDesignedTop);
    ui_->UpdateStatus->raise();
    SetKeyPreview(true);
    // Alt+X belongs to the File menu's Exit item, which takes the key before any control;
    // the Exit button's accelerator on the same key would leave it to neither.
    const QList<QShortcut*> accelerators = ui_->ExitButton->findChildren<QShortcut*>();
    for (QShortcut* accelerator : accelerators) {
        accelerator->setEnabled(false);
    }

    struct Picture {
        controls::TExplorerButton* button;
        MainPicture picture;
    };
    for (const Picture& p :
         {Picture{ui_->Editbutton, MainPicture::Edit}, Picture{ui_->Newbutton, MainPicture::New},
          Picture{ui_->CloneButton, MainPicture::Clone},
          Picture{ui_->DeleteButton, MainPicture::Delete},
          Picture{ui_->Filterbutton, MainPicture::Filter},
          Picture{ui_->OrderButton, MainPicture::Sort},
          Picture{ui_->DoneToggleButton, MainPicture::Done},
          Picture{ui_->Printbutton, MainPicture::Report},
          Picture{ui_->CalendarButton, MainPicture::Calendar}}) {
        p.button->setBitmap(MainPictureImage(p.picture));
        p.button->setLayout(controls::TButtonLayout::blBitmapLeft);
    }
    ui_->FilterClearbutton->setLayout(controls::TButtonLayout::blBitmapRight);
    ui_->FilterClearbutton->setBitmap(MainPictureImage(MainPicture::Filter));
    ui_->ShowDone->setLayout(controls::TButtonLayout::blBitmapRight);
    ui_->ExitButton->setLayout(controls::TButtonLayout::blBitmapLeft);
    ui_->Helpbutton->setLayout(controls::TButtonLayout::blBitmapLeft);

    // The splitter holds the grid above the notes.
    ui_->oxSplit1->setOrientation(controls::TSplitOrientation::oxsHorz);
    ui_->oxSplit1->setBarWidth(8);
    ui_->oxSplit1->setBorderStyle(controls::TBorderStyle::bsNone);
    ui_->oxSplit1->pane(0)->setWidget(ui_->ActiveGrid);
    ui_->oxSplit1->pane(1)->setWidget(ui_->NotesPane);
    ui_->oxSplit1->setBarPosition(splitterBar_);

    sinks_ = std::make_unique<Sinks>(ui_->UpdateStatusCaption);
    store_ = std::make_unique<store::TTaskStore>(programDir, *sinks_, *sinks_);
    rebuildWindow_ = std::make_unique<store::RebuildWindowRunner>(*store_);
    store_->SetRebuildRunner(rebuildWindow_.get());
    engineStarted_ = store_->Start();
    store_->EngineEnv1.SetDeleted(true);
    iniFile_ = store_->FoundPath("TODO.INI");

    QTableView* grid = ui_->ActiveGrid;
    model_ = new TaskGridModel(store_->TodoTable, this);
    grid->setModel(model_);
    grid->setItemDelegate(new TaskGridDelegate(grid));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
    // The selection shows as clearly when the grid does not have the focus.
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    palette.setColor(QPalette::Base, Qt::white);
    grid->setPalette(palette);
    // Widths in characters count the width of a digit, as the grid's texts are mostly digits.
    const int average = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
        grid->setColumnWidth(
            column,
            ColumnWidthFor(column, average,
                           grid->fontMetrics().horizontalAdvance(TaskGridModel::Title(column))));
    }
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { GridCurrentChanged(current); });
    // All the visible buttons and both editors carry "What's this?".
    controls::InstallHelp(this);
    QList<QWidget*> withMenu{ui_->ActiveGrid, ui_->ActiveNotes};
    for (controls::TExplorerButton* button : findChildren<controls::TExplorerButton*>()) {
        if (!button->isHidden()) {
            withMenu.append(button);
        }
    }
    QMenu* whatsThis = controls::MakeWhatsThisMenu(this, withMenu, whatsThisTarget_);
    connect(whatsThis, &QMenu::triggered, this, &TMainScreen::WhatsthisClick);

    controlEvents_ = new ControlEvents(*this);
    grid->installEventFilter(controlEvents_);
    ui_->ActiveNotes->installEventFilter(controlEvents_);
    ui_->ActiveNotes->viewport()->installEventFilter(controlEvents_);
    connect(ui_->ActiveNotes, &QPlainTextEdit::textChanged, this, [this] { NotesEdited(); });
    connect(model_, &TaskGridModel::taskTextEditing, this,
            [this] { BeginTypedStep(store::TaskChange::kTaskText); });
    // Text typed and not yet posted is kept as a step before the menu names one.
    connect(ui_->mnuEdit, &QMenu::aboutToShow, this, [this] { PostPending(); });
    // Ctrl+Y as well as the standard redo key; both belong to a text being typed (eventFilter).
    ui_->Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The Task cell's text is refused inside the grid's commit of it; the box waits until the
    // cell's editor has closed, or the box taking the focus would commit it once more.
    connect(
        model_, &TaskGridModel::editRefused, this,
        [this](const std::string& reason) { ShowEngineError(reason); }, Qt::QueuedConnection);

    messageTimer_ = new QTimer(this);
    messageTimer_->setSingleShot(true);
    messageTimer_->setInterval(kMessageLineMilliseconds);
    connect(messageTimer_, &QTimer::timeout, this, [this] {
        ui_->MessageLine->clear();
        ui_->MessageLine->setToolTip(QString());
    });

    // The check runs in slices between events, so the window answers throughout; a slice of
    // this many records' work takes a few milliseconds.
    indexCheckTimer_ = new QTimer(this);
    indexCheckTimer_->setInterval(0);
    connect(indexCheckTimer_, &QTimer::timeout, this, [this] { CheckIndexSlice(); });
    // The table is opened shared, so another program may append meanwhile; a look at its
    // record count costs one read of its header.
    othersTimer_ = new QTimer(this);
    othersTimer_->setInterval(kOthersChangesMilliseconds);
    connect(othersTimer_, &QTimer::timeout, this, [this] { TakeOthersChanges(false); });

    reminders_ = new TReminderService(*store_, *model_, *grid, *ui_->Reminders1, *this);
    // Find as you type, under the grid; its count stays on the message line while it is open.
    findBox_ = new TFindBox(*ui_->oxSplit1->pane(0), *grid, *model_);
    connect(ui_->Find1, &QAction::triggered, findBox_, &TFindBox::Open);
    connect(findBox_, &TFindBox::aboutToFind, this, [this] { PostPending(); });
    connect(findBox_, &TFindBox::countChanged, this, [this](const QString& text) {
        messageTimer_->stop();
        ui_->MessageLine->setText(text);
        ui_->MessageLine->setToolTip(text);
        SetButtons();
        LoadNotes();
    });

    tableLink_ = std::make_unique<TableLink>(*this);
    tableLink_->SetDataSource(&store_->TodoDataSource);

    // The column menus change one field of the current task; its row is painted again and
    // goes where the order in force puts it.
    columnMenus_ = new TColumnMenus(store_->TodoTable, keyWordList_.Words(), this);
    connect(columnMenus_, &TColumnMenus::taskChanged, this, [this] {
        if (std::optional<std::int32_t> bookmark = store_->TodoTable.GetBookmark()) {
            model_->RecordChanged(*bookmark);
        }
        SyncGridToTable();
    });

    // The Sort button drops the sort menu down; the File menu's "Sort" is the other one.
    sortMenus_ = new TSortMenus(store_->TodoEngine, store_->TodoTable, orderNumber_, this);
    ui_->OrderButton->setDropDownMenu(sortMenus_->ButtonSortMenu());
    const QList<QAction*> fileItems = ui_->mnuFile->actions();
    ui_->mnuFile->insertMenu(fileItems.value(fileItems.indexOf(ui_->RebuildIndexes1) + 1),
                             sortMenus_->MainSortMenu());
    // A pending edit is posted before an order is chosen, as before any other command.
    for (QMenu* menu : {sortMenus_->ButtonSortMenu(), sortMenus_->MainSortMenu()}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { PostPending(); });
    }
    connect(sortMenus_, &TSortMenus::sorted, this, [this] {
        model_->Reload();
        SyncGridToTable();
    });

    InstallMainKeys({this, ui_->ActiveGrid, ui_->ActiveNotes, ui_->Newbutton, ui_->Editbutton,
                     ui_->DoneToggleButton, ui_->Printbutton, ui_->eXit1,
                     {ui_->Editbutton, ui_->Newbutton, ui_->CloneButton, ui_->DeleteButton,
                      ui_->Filterbutton, ui_->OrderButton, ui_->DoneToggleButton,
                      ui_->Printbutton, ui_->CalendarButton, ui_->ExitButton,
                      ui_->FilterClearbutton, ui_->ShowDone, ui_->Helpbutton,
                      ui_->MouseHelpbutton}});
    // The grid went to the end of the focus chain when it moved into the find box's pane: it
    // takes the keyboard when the window opens, as before.
    ui_->ActiveGrid->setFocus();
}

TMainScreen::~TMainScreen() {
    // The controls die after the members, and the notes still lose the focus as they go:
    // their last events must not reach handlers that use the members.
    delete controlEvents_;
    tableLink_.reset();
}

QFrame* TMainScreen::TaskPanel() const {
    return ui_->TaskPanel;
}

QFrame* TMainScreen::UpdateStatus() const {
    return ui_->UpdateStatus;
}

QLabel* TMainScreen::UpdateStatusCaption() const {
    return ui_->UpdateStatusCaption;
}

controls::TExplorerButton* TMainScreen::ExitButton() const {
    return ui_->ExitButton;
}

controls::TExplorerButton* TMainScreen::Button(const char* name) const {
    return findChild<controls::TExplorerButton*>(QString::fromLatin1(name));
}

QTableView* TMainScreen::ActiveGrid() const {
    return ui_->ActiveGrid;
}

QPlainTextEdit* TMainScreen::ActiveNotes() const {
    return ui_->ActiveNotes;
}

QLabel* TMainScreen::MessageLine() const {
    return ui_->MessageLine;
}

controls::ToxSplit* TMainScreen::oxSplit1() const {
    return ui_->oxSplit1;
}

// ---- creation, first activation, closing ----------------------------------------------------

void TMainScreen::FormCreate() {
    store_->TodoEngine.SysProp(SxProp::kSetDiagnostics, 0);
    SaveUserFormats();
    UseInternalFormats();
    firstActivation_ = true;
    filter_ = store::TaskFilter{};
    helpFile_ = QString::fromStdString(store::HelpFileFor(store_->ProgramDir()));
    ui::SetProgramHelpFile(helpFile_);
    orderNumber_ = 1;
    // The quick dates are captioned for today, in the internal formats now in force.
    columnMenus_->FormCreate();
}

void TMainScreen::FormShow() {
    // The first activation runs when the window is first shown and active. Where the desktop
    // gives a new window no focus (focus-stealing prevention, focus that follows the mouse, no
    // window manager) activation never comes, so it runs as soon as the window is shown all
    // the same; once run, FormActivate does nothing.
    if (firstActivation_) {
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

void TMainScreen::FormActivate() {
    if (!firstActivation_ && !activating_ && gridReady_) {
        TakeOthersChanges(true);
    }
    if (!firstActivation_ || activating_) {
        return;
    }
    activating_ = true;
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    // Written back only once the table is open: a start that fails leaves TODO.INI as it was.
    ApplyFormPlacement(this, iniFile_);
    ui_->TaskPanel->hide();
    store_->TodoTable.Tag = -1;
    if (!engineStarted_ || !store_->OpenTaskTable(false)) {
        // Nothing else of the start-up runs; the close path saves and closes what it can.
        firstActivation_ = false;
        activating_ = false;
        ui::SetScreenCursor(ui::ScreenCursor::Default);
        close();
        return;
    }
    SaveFormPlacement(this, iniFile_);
    LoadPreferences();
    preferencesLoaded_ = true;
    BuildKeyWordList(*store_, keyWordList_);
    store_->TodoTable.Tag = 0;
    ui::ProcessMessages();
    SetUpFilter();
    ui::ProcessMessages();
    SetButtons();
    ui_->TaskPanel->show();
    // Hiding the panel passed the keyboard on to the toolbar, whose buttons take it by Tab.
    ui_->ActiveGrid->setFocus();
    // The splitter knows its height only once its panel is laid out.
    centralWidget()->layout()->activate();
    ui_->TaskPanel->layout()->activate();
    ui_->oxSplit1->setBarPosition(splitterBar_);
    FitGrid();
    sortMenus_->SetMainMenuSortChecks();
    gridReady_ = true;
    model_->SetGridReady(true);

    // No show command reaches a program here; a window the session already made iconic
    // (a minimised start) stays so, any other is shown.
    if ((windowState() & Qt::WindowMinimized) != 0) {
        ui::MinimizeApplication();
    } else {
        show();
    }
    ui_->UpdateStatus->hide();
    ui::ProcessMessages();
    firstActivation_ = false;
    ui_->ExitButton->setVisible(true);
    activating_ = false;
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    if (!startNotice_.empty()) {
        ShowMessageLine(QString::fromStdString(startNotice_));
    }
    if (const std::string uids = store_->LastUidReport().StatusText(); !uids.empty()) {
        ShowMessageLine(QString::fromLocal8Bit(uids));
    }
    if (store_->IndexRebuiltAtOpen()) {
        ShowMessageLine(kIndexRebuilt);
    }
    // The first rows are painted: the index is checked from here on, in idle time, and the
    // day's backup is taken once the window has painted them.
    QTimer::singleShot(0, this, [this] {
        const xbase::Status taken =
            store::Backups(store_->ProgramDir()).TakeDaily(std::time(nullptr));
        if (!taken.ok()) {
            ShowMessageLine(QStringLiteral("The backup of the tasks failed: ") +
                            QString::fromLocal8Bit(taken.message()));
        }
    });
    seenStamp_ = store_->Stamp();
    indexCheckTimer_->start();
    othersTimer_->start();
    reminders_->Start(iniFile_);
}

void TMainScreen::CheckIndexSlice() {
    if (!store_->TodoTable.Active()) {
        indexCheckTimer_->stop();
        return;
    }
    const int result = store_->TodoEngine.IndexCheck(kIndexCheckSlice);
    if (result == 0) {
        return;
    }
    indexCheckTimer_->stop();
    // A check that could not read the index says nothing either way; every command that
    // reads it reports its own error.
    if (result == 2) {
        RepairIndex();
    }
}

void TMainScreen::RepairIndex() {
    // The edit in progress is kept; a rebuild would otherwise drop it with the table.
    if (!PostPending()) {
        return;
    }
    const std::string order = store_->TodoEngine.TagName(store_->TodoEngine.IndexOrder());
    const std::optional<std::int32_t> record = store_->TodoTable.GetBookmark();
    store_->TodoTable.Tag = -1;
    const store::TTaskStore::Repair repair = store_->RepairIndex();
    if (repair == store::TTaskStore::Repair::kFailed) {
        store_->TodoTable.Tag = 0;
        close();
        return;
    }
    if (!order.empty()) {
        store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder(order));
    }
    store_->TodoTable.Tag = 0;
    SetUpFilter();
    if (record) {
        store_->TodoEngine.GoToRecord(*record);
    }
    sortMenus_->SetMainMenuSortChecks();
    SetButtons();
    seenStamp_ = store_->Stamp();
    ShowMessageLine(repair == store::TTaskStore::Repair::kRebuilt ? kIndexRebuilt : kIndexPutOff);
}

void TMainScreen::TakeOthersChanges(bool anyChange) {
    store::TTable& table = store_->TodoTable;
    // A cell's editor is a child of the grid that holds the focus.
    const QWidget* focus = QApplication::focusWidget();
    const bool cellEditing =
        focus != nullptr && focus != ui_->ActiveGrid && ui_->ActiveGrid->isAncestorOf(focus);
    if (!table.Active() || table.State() != store::TDataSetState::dsBrowse || cellEditing) {
        return;  // looked at again on the next tick, once the edit is over
    }
    const store::TaskFileStamp stamp = store_->Stamp();
    if (stamp.records == seenStamp_.records && (!anyChange || stamp == seenStamp_)) {
        return;
    }
    seenStamp_ = stamp;
    model_->Reload();
    SetButtons();
    LoadNotes();
    // An append that did not keep the index leaves it short: the check finds and mends it.
    indexCheckTimer_->start();
}

void TMainScreen::FormCloseQuery(bool& canClose) {
    ui::ProcessMessages();
    // Settings never read are not written: they would replace the person's with defaults.
    if (preferencesLoaded_) {
        SavePreferences();
        SaveFormPlacement(this, iniFile_);
    }
    if (store_->TodoTable.Active()) {
        PostPending();
    }
    reminders_->Stop();
    store_->TodoTable.Close();
    ui::ProcessMessages();
    canClose = true;
}

void TMainScreen::FormClose() {
    // Everything the window holds was given back when the close was allowed.
}

void TMainScreen::FormDestroy() {
    keyWordList_.Clear();
}

void TMainScreen::FormResize() {
    if (isVisible() && store_->TodoTable.Active()) {
        FitGrid();
    }
}

// ---- preferences ------------------------------------------------------------------------------

void TMainScreen::LoadPreferences() {
    splitterBar_ = ini::ReadInteger(iniFile_, kPreferences, "SplitterBar", 200);
    ui_->oxSplit1->setBarPosition(splitterBar_);
    orderNumber_ = ini::ReadInteger(iniFile_, kPreferences, "Order", 0);
    filter_.ShowDoneFlag = ini::ReadBool(iniFile_, kPreferences, "ShowDone", false);
    store_->TodoEngine.SetOrder(orderNumber_);
    sortMenus_->SetMainMenuSortChecks();
}

void TMainScreen::SavePreferences() {
    orderNumber_ = store_->TodoEngine.IndexOrder();
    // Settings that cannot be written are lost alone: the window goes on and closes normally.
    const int bar = ui_->TaskPanel->isVisible() ? ui_->oxSplit1->barPosition() : splitterBar_;
    ini::WriteInteger(iniFile_, kPreferences, "SplitterBar", bar);
    ini::WriteInteger(iniFile_, kPreferences, "Order", orderNumber_);
    ini::WriteBool(iniFile_, kPreferences, "ShowDone", filter_.ShowDoneFlag);
}

// ---- grid and table ---------------------------------------------------------------------------

void TMainScreen::FitGrid() {
    QTableView* grid = ui_->ActiveGrid;
    int sum = 0;
    for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
        sum += grid->columnWidth(column);
    }
    const int task =
        FittedTaskWidth(ui_->oxSplit1->width(), sum, grid->columnWidth(TaskGridModel::kTask));
    grid->setColumnWidth(TaskGridModel::kTask, std::max(task, 20));
}

bool TMainScreen::AtEnd() const {
    // A find that shows no task is an empty list: nothing to type a note into or act on.
    return !store_->TodoTable.Active() || store_->TodoTable.Eof() ||
           (model_->FindOpen() && model_->rowCount() == 0);
}

void TMainScreen::SyncGridToTable() {
    QTableView* grid = ui_->ActiveGrid;
    int row = model_->CurrentRow();
    if (row < 0) {
        return;
    }
    const int column = std::max(grid->currentIndex().column(), 0);
    const QModelIndex target = model_->index(row, column);
    if (grid->currentIndex() != target) {
        syncing_ = true;
        grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        syncing_ = false;
    }
    grid->scrollTo(target);
}

void TMainScreen::TableMoved() {
    if (!syncing_) {
        SyncGridToTable();
    }
    LoadNotes();
}

void TMainScreen::GridCurrentChanged(const QModelIndex& current) {
    if (syncing_ || !current.isValid() || !store_->TodoTable.Active()) {
        return;
    }
    const std::int32_t record = model_->RecordAt(current.row());
    std::optional<std::int32_t> bookmark = store_->TodoTable.GetBookmark();
    if (bookmark && *bookmark == record && !store_->TodoTable.Eof()) {
        return;
    }
    PostPending();
    syncing_ = true;
    store_->TodoTable.GotoBookmark(record);
    syncing_ = false;
    SyncGridToTable();
}

bool TMainScreen::PostPending() {
    // Text typed into the Task cell's editor is part of the edit.
    if (auto* delegate = qobject_cast<TaskGridDelegate*>(ui_->ActiveGrid->itemDelegate())) {
        delegate->FinishEdit();
    }
    store::TTable& table = store_->TodoTable;
    if (table.State() != store::TDataSetState::dsEdit &&
        table.State() != store::TDataSetState::dsInsert) {
        // A move or a new filter may have posted the typed text already.
        if (typedStep_) {
            KeepStep(*typedStep_);
        }
        return true;
    }
    if (store_->TodoEngine.PostIfEditing() != store::dbi::kOk) {
        // Nothing is dropped without a word: the person learns the edit was not saved.
        std::string text = kSaveFailed;
        if (!table.LastErrorText().empty()) {
            text += "\r" + table.LastErrorText();
        }
        ::ShowInformation(text);
        return false;
    }
    if (std::optional<std::int32_t> bookmark = table.GetBookmark()) {
        model_->RecordChanged(*bookmark);
    }
    if (typedStep_) {
        KeepStep(*typedStep_);
    }
    return true;
}

void TMainScreen::LoadNotes() {
    store::TField* note = store_->TodoTable.Active()
                              ? store_->TodoTable.FieldByName(store::task_field::kNote)
                              : nullptr;
    const QString text =
        note != nullptr && !AtEnd() ? ui::NoteFromAnsi(note->AsString()) : QString();
    // Without a task there is no note to type into.
    ui_->ActiveNotes->setReadOnly(AtEnd());
    if (ui_->ActiveNotes->toPlainText() != text) {
        loadingNotes_ = true;
        ui_->ActiveNotes->setPlainText(text);
        loadingNotes_ = false;
    }
}

void TMainScreen::NotesEdited() {
    if (loadingNotes_) {
        return;
    }
    // Without a task the pane takes no typing.
    if (AtEnd()) {
        LoadNotes();
        return;
    }
    store::TTable& table = store_->TodoTable;
    store::TField* note = table.FieldByName(store::task_field::kNote);
    // Typing in the pane edits the record directly; the note is stored as typed. Text that
    // cannot be stored does not stay on screen as if it were: the pane shows the note again.
    if (table.State() == store::TDataSetState::dsBrowse) {
        BeginTypedStep(store::TaskChange::kNote);
    }
    if (note == nullptr || table.Edit() != store::dbi::kOk ||
        !note->SetAsString(ui::NoteToAnsi(ui_->ActiveNotes->toPlainText()))) {
        ShowEngineError(table.LastErrorText());
        LoadNotes();
    }
}

// ---- SetButtons, filter, sort -----------------------------------------------------------------

void TMainScreen::SetButtons() {
    const bool onTask = TaskButtonsVisible(*store_) && !AtEnd();
    for (controls::TExplorerButton* button :
         {ui_->DeleteButton, ui_->Editbutton, ui_->DoneToggleButton, ui_->CloneButton,
          ui_->CalendarButton, ui_->Printbutton}) {
        button->setVisible(onTask);
    }
    ui_->Newbutton->setEnabled(true);
    SyncGridToTable();
}

void TMainScreen::SetUpFilter() {
    const std::string expression = store::BuildFilterExpression(filter_, rtl::Today());
    ui_->FilterClearbutton->setVisible(store::IsFilterIndicatorShown(filter_));
    store_->TodoEngine.TestFilter(expression);
    store_->TodoEngine.ApplyFilter(expression);
    model_->Reload();
    SetButtons();
    ui_->ShowDone->setCaption(filter_.ShowDoneFlag ? QStringLiteral("Hide DONE")
                                                   : QStringLiteral("Show DONE"));
    ui_->ShowDone->setBitmap(
        MainPictureImage(filter_.ShowDoneFlag ? MainPicture::Hide : MainPicture::Show));
}

void TMainScreen::ShowDoneClick() {
    filter_.ShowDoneFlag = !filter_.ShowDoneFlag;
    SetUpFilter();
}

void TMainScreen::FilterClearbuttonClick() {
    filter_.DateFilterIndex = 0;
    filter_.KeyFilterText.clear();
    filter_.PriorityFilterIndex = 0;
    SetUpFilter();
}

void TMainScreen::FilterbuttonClick() {
    if (::FilterbuttonClick(filter_, keyWordList_.Words(), this)) {
        SetUpFilter();
    }
    update();
}

// ---- task commands ----------------------------------------------------------------------------

void TMainScreen::ShowFailure(const char* message) {
    ::ShowInformation(message);
}

void TMainScreen::ShowEngineError(const std::string& text) {
    ui::MessageBox(text.empty() ? std::string(kSaveFailed) : text,
                   ui::ApplicationTitle().toStdString(), ui::kMbOk | ui::kMbIconHand);
}

void TMainScreen::ShowMessageLine(const QString& text) {
    ui_->MessageLine->setText(text);
    // A text longer than the line is read whole in its tooltip.
    ui_->MessageLine->setToolTip(text);
    messageTimer_->start();
}

void TMainScreen::ShowInputRefusal(const QString& reason) {
    ShowMessageLine(reason);
}

bool TMainScreen::OnShownTask() {
    const QModelIndex current = ui_->ActiveGrid->currentIndex();
    const std::optional<std::int32_t> bookmark = store_->TodoTable.GetBookmark();
    return current.isValid() && !AtEnd() && bookmark &&
           *bookmark == model_->RecordAt(current.row());
}

void TMainScreen::EditButtonClick() {
    if (OnShownTask()) {
        CallTaskEdit(0);
    }
}

void TMainScreen::NewButtonClick() {
    CallTaskEdit(1);
    SetButtons();
}

void TMainScreen::CallTaskEdit(int mode) {
    const EditMode editMode = mode == 0 ? EditMode::kEdit : EditMode::kAdd;
    PostPending();
    // The editor shows dates as numbers in the user's order.
    const std::string userDate = SavedUserShortDateFormat();
    SetSavedUserShortDateFormat(MakeNumericDateFormat(userDate));

    ui::FormPtr<TTaskEditor> editor = ui::CreateForm<TTaskEditor>(keyWordList_.Words(), this);
    ui::ProcessMessages();
    editor->TaskLabel()->setText(editMode == EditMode::kEdit ? QStringLiteral("Editing Task")
                                                             : QStringLiteral("Adding Task"));
    ui::CentreForm(editor.get());
    UseUserFormats();
    editor->SetEntry(editMode == EditMode::kEdit ? store::ReadTaskEntry(store_->TodoTable)
                                                 : NewTaskEntry());
    const bool accepted = editor->ShowModal() == ui::kModalOk;
    const store::TaskEntry entry = editor->Entry();
    UseInternalFormats();

    if (accepted) {
        const store::PendingStep step = store::TTaskHistory::Begin(
            *store_,
            editMode == EditMode::kEdit ? store::TaskChange::kEdit : store::TaskChange::kAdd);
        if (StoreTaskEntry(*store_, editMode, entry, keyWordList_)) {
            KeepStep(step);
            if (std::optional<std::int32_t> bookmark = store_->TodoTable.GetBookmark()) {
                model_->RecordChanged(*bookmark);
            }
        } else {
            ShowFailure(kSaveFailed);
        }
    }

    SetSavedUserShortDateFormat(userDate);
    editor.reset();
    update();
    SetButtons();
}

void TMainScreen::CloneButtonClick() {
    if (OnShownTask() && ConfirmYesNo("Clone this task?")) {
        PostPending();
        const store::PendingStep step =
            store::TTaskHistory::Begin(*store_, store::TaskChange::kClone);
        if (CloneCurrentTask(store_->TodoTable)) {
            KeepStep(step);
            model_->RecordChanged(*store_->TodoTable.GetBookmark());
        } else {
            // No message of its own: the engine's words, in the error box.
            ShowEngineError(store_->TodoTable.LastErrorText());
            store_->TodoTable.Cancel();
        }
    }
    SetButtons();
}

void TMainScreen::DeleteButtonClick() {
    if (!OnShownTask() || !ConfirmYesNo("Delete this task? ")) {
        return;
    }
    PostPending();
    const std::int32_t record = store_->TodoEngine.RecordNumber();
    const store::PendingStep step = store::TTaskHistory::Begin(*store_, store::TaskChange::kDelete);
    const bool deleted = DeleteCurrentTask(*store_);
    if (deleted) {
        KeepStep(step);
    }
    model_->RecordChanged(record);
    if (!deleted) {
        ShowFailure("Error: Unable to delete");
    }
    SetButtons();
}

void TMainScreen::DoneToggleButtonClick() {
    if (!OnShownTask()) {
        return;
    }
    PostPending();
    const std::int32_t record = store_->TodoEngine.RecordNumber();
    const store::PendingStep step = store::TTaskHistory::Begin(*store_, store::TaskChange::kDone);
    if (ToggleDone(store_->TodoTable)) {
        KeepStep(step);
        model_->RecordChanged(record);
    } else {
        ShowFailure(kSaveFailed);
    }
    SetButtons();
}

void TMainScreen::CalendarButtonClick() {
    ui::FormPtr<TDateSelector> selector = ui::CreateForm<TDateSelector>(this);
    ui::CentreForm(selector.get());
    selector->Calendar()->setCalendarDate(rtl::Today());
    if (selector->ShowModal() == ui::kModalOk) {
        PostPending();
        GoToDate(*store_, std::trunc(selector->Calendar()->calendarDate()));
        SyncGridToTable();
    }
    selector.reset();
    update();
}

void TMainScreen::PrintButtonClick() {
    // The report walks the tasks as they are stored.
    PostPending();
    report::RunReportDialog(*store_);
    update();
}

void TMainScreen::RebuildIndexes1Click() {
    // The pack renumbers the records, which the history's steps name.
    const bool undoable = !history_.Empty() || typedStep_.has_value();
    if (!ConfirmYesNo(undoable ? "Rebuild Index Files?\rThe changes made so far can no longer "
                                 "be undone."
                               : "Rebuild Index Files?")) {
        return;
    }
    // The find's list names records too.
    findBox_->Close();
    PostPending();
    bool done = false;
    const bool reopened = RebuildTaskFile(*store_, *rebuildWindow_, done);
    history_.Clear();
    UpdateEditMenu();
    if (!reopened) {
        store_->TodoTable.Tag = 0;
        close();
        return;
    }
    sortMenus_->SetMainMenuSortChecks();
    store_->TodoTable.Tag = 0;
    ui::ProcessMessages();
    SetUpFilter();
    ui::ProcessMessages();
    SetButtons();
}

void TMainScreen::Import1Click() {
    if (!PostPending()) {
        return;
    }
    const exchange_flow::ImportDone done = exchange_flow::RunImportCommand(*store_, history_, this);
    if (done.added > 0) {
        BuildKeyWordList(*store_, keyWordList_);
        model_->Reload();
        SyncGridToTable();
        UpdateEditMenu();
        SetButtons();
    }
    if (!done.message.isEmpty()) {
        ShowMessageLine(done.message);
    }
}

void TMainScreen::Export1Click() {
    if (!PostPending()) {
        return;
    }
    if (const QString said = exchange_flow::RunExportCommand(*store_, this); !said.isEmpty()) {
        ShowMessageLine(said);
    }
}

void TMainScreen::RestoreFromBackup1Click() {
    if (!PostPending()) {
        return;
    }
    const std::optional<store::BackupEntry> chosen =
        ChooseBackup(store::Backups(store_->ProgramDir()).List(), this);
    // The restored table numbers its records afresh, and the history's steps name records.
    const std::string undoLine =
        history_.Empty() ? "" : "\nThe changes made so far can no longer be undone.";
    if (!chosen || !ConfirmYesNo("Restore the tasks as they were at " + chosen->taken +
                                 "?\nThe tasks as they are now are kept as one more backup." +
                                 undoLine)) {
        return;
    }
    findBox_->Close();
    const std::string order = store_->TodoEngine.TagName(store_->TodoEngine.IndexOrder());
    store_->TodoTable.Tag = -1;
    xbase::Status restored;
    const bool reopened =
        store::RestoreAndReopen(*store_, chosen->name, std::time(nullptr), restored);
    if (restored.ok()) {
        history_.Clear();
        UpdateEditMenu();
    }
    if (!reopened) {
        store_->TodoTable.Tag = 0;
        close();
        return;
    }
    if (!order.empty()) {
        store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder(order));
    }
    BuildKeyWordList(*store_, keyWordList_);
    store_->TodoTable.Tag = 0;
    SetUpFilter();
    sortMenus_->SetMainMenuSortChecks();
    SetButtons();
    seenStamp_ = store_->Stamp();
    ShowMessageLine(restored.ok() ? QStringLiteral("Tasks restored from the backup of ") +
                                        QString::fromStdString(chosen->taken)
                                  : QStringLiteral("The tasks were not restored: ") +
                                        QString::fromLocal8Bit(restored.message()));
}

// ---- double-clicks and keys -------------------------------------------------------------------

void TMainScreen::ActiveGridDblClick() {
    const QPoint at = QCursor::pos();
    if (AtEnd()) {
        return;
    }
    const int column = ui_->ActiveGrid->currentIndex().column();
    // The Date, Priority, Time and Key Words columns have menus of their own, which change
    // the task before they return.
    PostPending();
    const store::PendingStep step = store::TTaskHistory::Begin(*store_, ColumnMenuChange(column));
    if (columnMenus_->ColumnDblClick(TaskGridModel::FieldName(column), at)) {
        KeepStep(step);
        return;
    }
    ToggleDoneOrEdit();
}

void TMainScreen::ActiveNotesDblClick() {
    if (AtEnd()) {
        return;
    }
    ToggleDoneOrEdit();
}

void TMainScreen::ToggleDoneOrEdit() {
    if (ui_->ActiveGrid->currentIndex().column() == TaskGridModel::kDone) {
        ui_->DoneToggleButton->click();
    } else {
        ui_->Editbutton->click();
    }
}

void TMainScreen::ActiveNotesExit() {
    PostPending();
}

controls::TExplorerButton* TMainScreen::ContestedButton(const QKeyEvent* event) const {
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier) {
        return nullptr;
    }
    switch (event->key()) {
        case Qt::Key_F:
            return ui_->Filterbutton;
        case Qt::Key_H:
            return ui_->Helpbutton;
        default:
            return nullptr;
    }
}

bool TMainScreen::eventFilter(QObject* watched, QEvent* event) {
    // The menu bar's "&File" and "&Help" claim Alt+F and Alt+H as the Filter and Help
    // buttons do, and a key claimed twice goes to no one. The buttons keep their letters,
    // as they show them, and the menus are reached with F10 or with Alt pressed and
    // released alone: the key is kept from every shortcut and comes to FormKeyDown.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        ContestedButton(static_cast<QKeyEvent*>(event)) != nullptr) {
        event->accept();
    }
    // Undo and redo keys typed into a text undo the typing, not the last task change.
    if (event->type() == QEvent::ShortcutOverride && watched == QApplication::focusWidget() &&
        IsTextInput(static_cast<QWidget*>(watched))) {
        const QKeySequence typed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : {ui_->Undo1, ui_->Redo1}) {
            if (action->shortcuts().contains(typed)) {
                event->accept();
            }
        }
    }
    return ui::TForm::eventFilter(watched, event);
}

void TMainScreen::FormKeyDown(QKeyEvent* event) {
    if (controls::TExplorerButton* button = ContestedButton(event)) {
        event->accept();
        if (button->isVisible() && button->isEnabled()) {
            button->click();
        }
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        ui_->MainMenu->setActiveAction(ui_->mnuFile->menuAction());
        return;
    }
    // Keys typed into a text (the notes, the Task cell's editor) are that text's alone.
    if (IsTextInput(QApplication::focusWidget())) {
        return;
    }
    const bool keypadPlus =
        event->key() == Qt::Key_Plus && (event->modifiers() & Qt::KeypadModifier) != 0;
    if (event->key() == Qt::Key_Insert || keypadPlus) {
        if (ui_->Newbutton->isVisible()) {
            NewButtonClick();
        }
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (ui_->DeleteButton->isVisible()) {
            DeleteButtonClick();
        }
    }
}

void TMainScreen::ActiveGridKeyDown(QKeyEvent* event) {
    // Keys typed into the Task cell's editor reach its line, not the grid.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        ui_->Editbutton->isVisible()) {
        EditButtonClick();
    }
}

// ---- undo and redo ------------------------------------------------------------------------------

// By value: the pending step may be the typed one, which is dropped here.
void TMainScreen::KeepStep(store::PendingStep pending) {
    typedStep_.reset();
    history_.Commit(*store_, pending);
    UpdateEditMenu();
}

void TMainScreen::BeginTypedStep(store::TaskChange change) {
    // Typing that something else posted meanwhile is a step of its own.
    if (typedStep_) {
        KeepStep(*typedStep_);
    }
    typedStep_ = store::TTaskHistory::Begin(*store_, change);
    UpdateEditMenu();
}

void TMainScreen::Undo1Click() {
    UndoOrRedo(true);
}

void TMainScreen::Redo1Click() {
    UndoOrRedo(false);
}

void TMainScreen::UndoOrRedo(bool undo) {
    // A typed edit still pending is the last change, and the first to be undone.
    if (!PostPending()) {
        return;
    }
    // An import is one step over many records; the rows are then walked again.
    const bool many =
        (undo ? history_.UndoChange() : history_.RedoChange()) == store::TaskChange::kImport;
    std::int32_t record = 0;
    const store::DbiResult result =
        undo ? history_.Undo(*store_, record) : history_.Redo(*store_, record);
    if (many) {
        model_->Reload();
        SyncGridToTable();
    } else if (record != 0) {
        model_->RecordChanged(record);
    }
    if (result != store::dbi::kOk) {
        ShowEngineError(store_->TodoTable.LastErrorText());
    }
    UpdateEditMenu();
    SetButtons();
}

void TMainScreen::UpdateEditMenu() {
    const auto caption = [](const char* verb, std::optional<store::TaskChange> change) {
        QString text = QString::fromLatin1(verb);
        if (change) {
            text += QLatin1Char(' ') + QString::fromLatin1(store::TaskChangeName(*change));
        }
        return text;
    };
    // Text typed and not yet posted is the change an undo takes back first.
    const std::optional<store::TaskChange> undo =
        typedStep_ ? std::optional(typedStep_->change) : history_.UndoChange();
    ui_->Undo1->setText(caption("&Undo", undo));
    ui_->Undo1->setEnabled(undo.has_value());
    ui_->Redo1->setText(caption("&Redo", history_.RedoChange()));
    ui_->Redo1->setEnabled(history_.CanRedo());
}

// ---- help, About, exit ------------------------------------------------------------------------

void TMainScreen::mnuHelpAboutClick() {
    ui::FormPtr<TSplashform> about = ui::CreateForm<TSplashform>(this);
    ui::CentreForm(about.get());
    about->OKButton()->setVisible(true);
    about->ShowModal();
}

void TMainScreen::HelpButtonClick() {
    ui::ShowHelp(helpFile_, kHelpContext);
}

void TMainScreen::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TMainScreen::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}

void TMainScreen::Contents1Click() {
    ui::ShowHelp(helpFile_, kHelpContext);
}

void TMainScreen::ExitButtonClick() {
    if (ui_->ExitButton->isEnabled()) {
        close();
    }
}

void TMainScreen::eXit1Click() {
    close();
}
