// TTaskEditor: the modal dialog in which a task is added or edited: its texts, done flag and
// priority, the date and time checks, and the calendar, quick date, quick time and key word aids.
#pragma once

#include <QPointer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/forms.h"
#include "store/task_record.h"

namespace Ui {
class TTaskEditor;
}
namespace ui {
class TAnsiMemo;
}
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;

// The caller puts the user formats in force, hands the task over with SetEntry, shows the
// dialog with ShowModal and, on kModalOk, takes the task back with Entry. Every date and time
// text the dialog writes is in the formats in force while it shows.
class TTaskEditor : public ui::TDialog {
    Q_OBJECT

  public:
    // `keyWordList`: the key words already used, in list order, as Windows-1252 texts; the
    // key word menu is built from it once, at creation (an empty list gives an empty menu).
    explicit TTaskEditor(std::vector<std::string> keyWordList = {}, QWidget* parent = nullptr);
    ~TTaskEditor() override;

    QLabel* TaskLabel() const;
    QLineEdit* Task() const;  // at most 50 characters
    QCheckBox* IsDone() const;
    QLineEdit* KeyWords() const;  // at most 60 characters
    QLineEdit* DateEdit() const;
    QLineEdit* TimeEdit() const;
    QRadioButton* pHigh() const;
    QRadioButton* pMedium() const;  // checked at creation
    QRadioButton* pLow() const;
    ui::TAnsiMemo* Notes() const;
    // Checks the radio button of a stored PRIORITY, "A", "B" or "C" in either letter case
    // (other programs write small letters); any other text leaves the buttons as they are.
    void SetPriority(std::string_view stored);
    // The PRIORITY of the checked radio button: "A", "B" or "C".
    std::string Priority() const;

    // Fills the controls from a task as stored, its date and time in the formats in force.
    void SetEntry(const store::TaskEntry& entry);
    // The task as the controls hold it, ready to store: the date and time read in the formats
    // in force, the notes' lines joined by CR LF, the priority of the checked button.
    store::TaskEntry Entry() const;

    QMenu* QuickDateMenu() const;
    QMenu* KeyListMenu() const;
    // Set at the start of the OK action, cleared by a failed date or time check.
    bool EntryValid() const { return entryValid_; }

  public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormCloseQuery(bool& canClose);
    void DateEditExit();
    void TimeEditExit();
    void CalendarButtonClick();
    void QuickDateItemClick(QAction* item);
    void QuickTimeButtonClick();
    void KeyListMenuItemClick(QAction* item);
    void OKButtonClick();
    void CancelButtonClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CheckLater(void (TTaskEditor::*check)());

    std::unique_ptr<Ui::TTaskEditor> ui_;
    std::vector<std::string> keyWordList_;
    QMenu* quickDateMenu_ = nullptr;
    QMenu* keyListMenu_ = nullptr;
    QMenu* whatsThisMenu_ = nullptr;
    QPointer<QWidget> whatsThisTarget_;
    bool entryValid_ = true;
    bool checking_ = false;
};
