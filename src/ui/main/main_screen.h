// TMainScreen: the main window, its task store, and its start-up and shut-down handlers.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/forms.h"

namespace Ui {
class TMainScreen;
}
namespace store {
class TTaskStore;
class RebuildRunner;
}  // namespace store

class QFrame;
class QLabel;
class TJustOne;

namespace controls {
class TExplorerButton;
}

class TMainScreen : public ui::TForm {
    Q_OBJECT

  public:
    // programDir: where the task files and the help file live, ending in "/".
    explicit TMainScreen(const std::string& programDir, QWidget* parent = nullptr);
    ~TMainScreen() override;

    store::TTaskStore& Store() { return *store_; }
    QFrame* TaskPanel() const;
    QFrame* UpdateStatus() const;
    QLabel* UpdateStatusCaption() const;
    QLabel* TaskCountLabel() const;
    controls::TExplorerButton* ExitButton() const;
    const QString& HelpFile() const { return helpFile_; }
    bool FirstActivation() const { return firstActivation_; }

  public Q_SLOTS:
    void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void FormDestroy();
    void mnuHelpAboutClick();
    void HelpButtonClick();
    void Contents1Click();
    void ExitButtonClick();
    void eXit1Click();

  private:
    class Sinks;
    void ShowTaskCount();

    std::unique_ptr<Ui::TMainScreen> ui_;
    std::unique_ptr<Sinks> sinks_;
    std::unique_ptr<store::TTaskStore> store_;
    std::unique_ptr<store::RebuildRunner> rebuildWindow_;
    TJustOne* JustOne1 = nullptr;
    bool engineStarted_ = false;
    QString helpFile_;

    bool firstActivation_ = false;
    // Set while the first activation runs: a message box inside it hands the activation
    // back to this window, which must not start opening the table a second time.
    bool activating_ = false;
    int DateFilterIndex = 0;
    int PriorityFilterIndex = 0;
    bool ShowDoneFlag = false;
    QString KeyFilterText;
    int OrderNumber = 0;
};
