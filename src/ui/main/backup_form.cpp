// The backup dialog's list and its buttons.
#include "ui/main/backup_form.h"

#include <QTreeWidget>

#include "platform/ui/application.h"
#include "ui_backup_form.h"

TBackupForm::TBackupForm(std::vector<store::BackupEntry> backups, QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TBackupForm>()), backups_(std::move(backups)) {
    ui_->setupUi(this);
    SetDefaultButton(ui_->RestoreButton);
    SetCancelButton(ui_->CancelButton);
    QTreeWidgetItem* first = nullptr;
    for (const store::BackupEntry& backup : backups_) {
        auto* item = new QTreeWidgetItem(ui_->BackupList);
        item->setText(0, QString::fromStdString(backup.taken));
        item->setText(
            1, backup.tasks < 0 ? QStringLiteral("does not open") : QString::number(backup.tasks));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (backup.tasks < 0) {
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            item->setToolTip(1, QString::fromStdString(backup.failure));
        } else if (first == nullptr) {
            first = item;
        }
    }
    ui_->BackupList->resizeColumnToContents(0);
    ui_->BackupList->setCurrentItem(first);
    ui_->RestoreButton->setEnabled(first != nullptr);
}

TBackupForm::~TBackupForm() = default;

QTreeWidget* TBackupForm::List() const {
    return ui_->BackupList;
}

std::optional<store::BackupEntry> TBackupForm::Chosen() const {
    QTreeWidgetItem* item = ui_->BackupList->currentItem();
    const int row = item != nullptr ? ui_->BackupList->indexOfTopLevelItem(item) : -1;
    if (row < 0 || backups_[static_cast<std::size_t>(row)].tasks < 0) {
        return std::nullopt;
    }
    return backups_[static_cast<std::size_t>(row)];
}

void TBackupForm::RestoreButtonClick() {
    if (Chosen()) {
        SetModalResult(ui::kModalOk);
    }
}

void TBackupForm::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

std::optional<store::BackupEntry> ChooseBackup(std::vector<store::BackupEntry> backups,
                                               QWidget* parent) {
    ui::FormPtr<TBackupForm> form = ui::CreateForm<TBackupForm>(std::move(backups), parent);
    ui::CentreForm(form.get());
    if (form->ShowModal() != ui::kModalOk) {
        return std::nullopt;
    }
    return form->Chosen();
}
