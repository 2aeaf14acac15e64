// TBackupForm: the "Restore from Backup" dialog, listing the task file's backups with the
// moment each was taken and its task count, and the choice of the one to restore.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/forms.h"
#include "store/backups.h"

namespace Ui {
class TBackupForm;
}
class QTreeWidget;

class TBackupForm : public ui::TDialog {
    Q_OBJECT

  public:
    // A backup that does not open is listed, greyed, and cannot be chosen.
    explicit TBackupForm(std::vector<store::BackupEntry> backups, QWidget* parent = nullptr);
    ~TBackupForm() override;

    // The chosen backup; none while nothing that opens is selected.
    std::optional<store::BackupEntry> Chosen() const;
    QTreeWidget* List() const;

  public Q_SLOTS:
    void RestoreButtonClick();
    void CancelButtonClick();

  private:
    std::unique_ptr<Ui::TBackupForm> ui_;
    std::vector<store::BackupEntry> backups_;
};

// The Restore from Backup command up to the choice: shows the dialog centred over `parent`
// and answers the backup chosen, or none when it was cancelled.
std::optional<store::BackupEntry> ChooseBackup(std::vector<store::BackupEntry> backups,
                                               QWidget* parent);
