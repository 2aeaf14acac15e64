// TFilterForm: the "Task Filter" dialog in which the date range, the priority and the key
// words of the task list's filter are chosen, and the command that runs it.
#pragma once

#include <QPointer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/forms.h"
#include "store/filter_expression.h"

namespace Ui {
class TFilterForm;
}
namespace controls {
class TExplorerButton;
}
class QAction;
class QButtonGroup;
class QLineEdit;
class QMenu;

class TFilterForm : public ui::TDialog {
    Q_OBJECT

  public:
    // `keyWordList` fills the key word drop-down menu when the form is created.
    explicit TFilterForm(const std::vector<std::string>& keyWordList, QWidget* parent = nullptr);
    ~TFilterForm() override;

    // The item indexes of the two radio groups and the key text (Windows-1252).
    int DateFilterIndex() const;
    void SetDateFilterIndex(int index);
    int PriorityFilterIndex() const;
    void SetPriorityFilterIndex(int index);
    std::string KeyFilterText() const;
    void SetKeyFilterText(std::string_view text);

    QLineEdit* KeyWords() const;
    QMenu* KeyListMenu() const { return keyListMenu_; }
    controls::TExplorerButton* Button(const char* name) const;

  public Q_SLOTS:
    void FormCreate();
    void KeyListMenuItemClick(QAction* item);
    void OKButtonClick();
    void CancelButtonClick();
    void ResetButtonClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();

  private:
    std::unique_ptr<Ui::TFilterForm> ui_;
    const std::vector<std::string>& keyWordList_;
    QMenu* keyListMenu_ = nullptr;
    QPointer<QWidget> whatsThisTarget_;  // the control the menu was last opened on
};

// The Filter button's command up to the new filter: shows the dialog centred over the main
// window with `filter`'s date, priority and key text, and on Ok copies them back. True when
// Ok (or Reset) closed it, so the caller applies the filter (SetUpFilter) and repaints.
bool FilterbuttonClick(store::TaskFilter& filter, const std::vector<std::string>& keyWordList,
                       QWidget* parent);
