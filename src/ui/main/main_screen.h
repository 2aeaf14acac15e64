// TMainScreen: the main window with its task grid, notes pane, toolbar and status bar with
// its message line; the task commands, the column menus, filter, sort and report it opens,
// preferences and placement, and its start-up and shut-down handlers.
#pragma once

#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ansi_input.h"
#include "platform/ui/forms.h"
#include "store/filter_expression.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "ui/main/key_word_list.h"

namespace Ui {
class TMainScreen;
}
namespace store {
class TTaskStore;
class RebuildRunner;
}  // namespace store
namespace controls {
class TExplorerButton;
class ToxSplit;
}  // namespace controls

class QFrame;
class QKeyEvent;
class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QTableView;
class QTimer;
class TColumnMenus;
class TFindBox;
class TJustOne;
class TReminderService;
class TSortMenus;
class TaskGridModel;

class TMainScreen : public ui::TForm, public ui::InputRefusalSink {
    Q_OBJECT

  public:
    // programDir: where the task files, the settings file and the help file live, ending in "/".
    explicit TMainScreen(const std::string& programDir, QWidget* parent = nullptr);
    ~TMainScreen() override;

    store::TTaskStore& Store() { return *store_; }
    const std::string& IniFile() const { return iniFile_; }
    QFrame* TaskPanel() const;
    QFrame* UpdateStatus() const;
    QLabel* UpdateStatusCaption() const;
    controls::TExplorerButton* ExitButton() const;
    controls::TExplorerButton* Button(const char* name) const;
    QTableView* ActiveGrid() const;
    QPlainTextEdit* ActiveNotes() const;
    QLabel* MessageLine() const;
    controls::ToxSplit* oxSplit1() const;
    TaskGridModel& GridModel() { return *model_; }
    const QString& HelpFile() const { return helpFile_; }
    bool FirstActivation() const { return firstActivation_; }
    bool GridReady() const { return gridReady_; }
    // True once the first activation could not open the task file and closed the window.
    bool StartFailed() const { return !firstActivation_ && !preferencesLoaded_; }
    // A word shown on the message line once the window is ready for work.
    void SetStartNotice(const std::string& text) { startNotice_ = text; }
    const KeyWordList& KeyWords() const { return keyWordList_; }
    store::TaskFilter& Filter() { return filter_; }
    int OrderNumber() const { return orderNumber_; }
    TSortMenus& SortMenus() { return *sortMenus_; }
    const store::TTaskHistory& History() const { return history_; }
    TReminderService& Reminders() { return *reminders_; }

    // The commands of the window, as its buttons, menus and keys call them.
    void CallTaskEdit(int mode);
    void SetButtons();
    void SetUpFilter();
    void LoadPreferences();
    void SavePreferences();
    void FitGrid();
    // Moves the grid's current cell to the row of the table's current record.
    void SyncGridToTable();

    // A short message that needs no answer, on the status bar's message line: it shows until
    // the next one replaces it or eight seconds have passed.
    void ShowMessageLine(const QString& text);
    void ShowInputRefusal(const QString& reason) override;

  public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void FormDestroy();
    void FormResize();
    void FormKeyDown(QKeyEvent* event);
    void mnuHelpAboutClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();
    void Contents1Click();
    void ExitButtonClick();
    void eXit1Click();
    void EditButtonClick();
    void NewButtonClick();
    void CloneButtonClick();
    void DeleteButtonClick();
    void DoneToggleButtonClick();
    void CalendarButtonClick();
    void PrintButtonClick();
    void RebuildIndexes1Click();
    void RestoreFromBackup1Click();
    void Import1Click();
    void Export1Click();
    void FilterbuttonClick();
    void FilterClearbuttonClick();
    void ShowDoneClick();
    void ActiveGridDblClick();
    void ActiveGridKeyDown(QKeyEvent* event);
    void ActiveNotesDblClick();
    void ActiveNotesExit();
    void Undo1Click();
    void Redo1Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class Sinks;
    class TableLink;
    class ControlEvents;

    bool AtEnd() const;
    // The button whose underlined letter `event` presses where a menu title underlines the
    // same letter; null for any other key.
    controls::TExplorerButton* ContestedButton(const QKeyEvent* event) const;
    // Posts the current record's pending edit and puts its row where it now belongs; false
    // (after the error is shown) when it could not be posted.
    bool PostPending();
    void GridCurrentChanged(const QModelIndex& current);
    void LoadNotes();
    void NotesEdited();
    void ShowFailure(const char* message);
    // A record operation that has no handler of its own failed: the engine's words, in the
    // application's error box.
    void ShowEngineError(const std::string& text);
    void TableMoved();
    // True when the table stands on the task the grid shows as current: a command acts on
    // no other record, whatever an index that disagrees with the table made of the order.
    bool OnShownTask();
    // A double-click on a task that no column menu took: the Done column toggles the task's
    // done flag, any other column opens the task editor.
    void ToggleDoneOrEdit();
    // One idle-time slice of the check of the index against the table; on a disagreement the
    // index is rebuilt and the message line says so.
    void CheckIndexSlice();
    void RepairIndex();
    // Shows what another program appended or changed since the grid was last filled:
    // `anyChange` also takes a newer table or index file, not only another record count.
    void TakeOthersChanges(bool anyChange);
    // The history of the person's changes: a command's step begins before it and is kept
    // when it succeeded; text typed into the Task cell or the notes begins a step that the
    // post of the edit keeps.
    void KeepStep(store::PendingStep pending);
    void BeginTypedStep(store::TaskChange change);
    void UndoOrRedo(bool undo);
    void UpdateEditMenu();

    std::unique_ptr<Ui::TMainScreen> ui_;
    std::unique_ptr<Sinks> sinks_;
    std::unique_ptr<store::TTaskStore> store_;
    std::unique_ptr<store::RebuildRunner> rebuildWindow_;
    std::unique_ptr<TableLink> tableLink_;
    ControlEvents* controlEvents_ = nullptr;
    QPointer<QWidget> whatsThisTarget_;  // the control the what's-this menu was opened on
    TaskGridModel* model_ = nullptr;
    TColumnMenus* columnMenus_ = nullptr;
    TFindBox* findBox_ = nullptr;
    TSortMenus* sortMenus_ = nullptr;
    TJustOne* JustOne1 = nullptr;
    TReminderService* reminders_ = nullptr;
    QTimer* messageTimer_ = nullptr;
    QTimer* indexCheckTimer_ = nullptr;
    QTimer* othersTimer_ = nullptr;
    store::TaskFileStamp seenStamp_;  // the task file as the grid last showed it
    bool engineStarted_ = false;
    QString helpFile_;
    std::string iniFile_;

    bool firstActivation_ = false;
    // Set while the first activation runs: a message box inside it hands the activation
    // back to this window, which must not start opening the table a second time.
    bool activating_ = false;
    bool gridReady_ = false;
    bool preferencesLoaded_ = false;  // the table opened and TODO.INI was read
    std::string startNotice_;
    bool syncing_ = false;       // the grid is being moved to the table's record
    bool loadingNotes_ = false;  // the notes pane is being filled from the record
    int splitterBar_ = 200;
    store::TaskFilter filter_;
    int orderNumber_ = 0;
    KeyWordList keyWordList_;
    store::TTaskHistory history_;
    std::optional<store::PendingStep> typedStep_;  // an edit typed and not yet posted
};
