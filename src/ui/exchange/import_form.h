// TImportForm: the "Import Tasks" window, showing what an import will add (a count, the first
// tasks, the texts changed and the tasks left out) and asking before it adds them.
#pragma once

#include <memory>

#include <QPointer>

#include "platform/ui/forms.h"
#include "ui/exchange/task_exchange.h"

namespace Ui {
class TImportForm;
}
class QTreeWidget;

class TImportForm : public ui::TDialog {
    Q_OBJECT

  public:
    // The list shows at most this many of the tasks to add.
    static constexpr int kFirstRows = 10;
    TImportForm(const exchange_flow::ImportReading& reading, QWidget* parent = nullptr);
    ~TImportForm() override;
    QTreeWidget* TaskList() const;

  public Q_SLOTS:
    void AddButtonClick();
    void CancelButtonClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();

  private:
    std::unique_ptr<Ui::TImportForm> ui_;
    QPointer<QWidget> whatsThisTarget_;  // the control the menu was last opened on
};
