// The Import Tasks window: its summary, its list of the first tasks, and its buttons.
#include "ui/exchange/import_form.h"

#include <QMenu>
#include <QTreeWidget>

#include "controls/whats_this.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "store/display_fields.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui_import_form.h"

namespace {

constexpr int kHelpContext = 3301;

}  // namespace

TImportForm::TImportForm(const exchange_flow::ImportReading& reading, QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TImportForm>()) {
    ui_->setupUi(this);
    SetDefaultButton(ui_->AddButton);
    SetCancelButton(ui_->CancelButton);
    dialogs::UseGlyphLeft({ui_->Helpbutton});
    dialogs::UseGlyphOnly({ui_->MouseHelpButton});
    dialogs::HelpOnF1(this, ui_->Helpbutton);
    ui_->SummaryLabel->setText(ui::FromAnsi(exchange_flow::ImportSummary(reading) + " Add them?"));
    int shown = 0;
    for (const store::IncomingTask& task : reading.plan.tasks) {
        if (shown++ == kFirstRows) {
            break;
        }
        auto* item = new QTreeWidgetItem(ui_->TaskList);
        item->setText(0, ui::FromAnsi(task.entry.descript));
        // As the grid shows them, in the person's own date format.
        item->setText(1, ui::FromAnsi(store::ShowDate(task.entry.date)));
        item->setText(2, ui::FromAnsi(store::ShowTime(task.entry.time)).trimmed());
        item->setText(3, ui::FromAnsi(store::ShowPriority(task.entry.priority)));
    }
    ui_->TaskList->resizeColumnToContents(0);
    ui_->TaskList->setCurrentItem(ui_->TaskList->topLevelItem(0));
    ui_->AddButton->setEnabled(!reading.plan.tasks.empty());
    controls::InstallHelp(this);
    QMenu* whatsThis = controls::MakeWhatsThisMenu(this, controls::ControlsWithHelpEntries(this),
                                                   whatsThisTarget_);
    connect(whatsThis, &QMenu::triggered, this, &TImportForm::WhatsthisClick);
}

TImportForm::~TImportForm() = default;

QTreeWidget* TImportForm::TaskList() const {
    return ui_->TaskList;
}

void TImportForm::AddButtonClick() {
    SetModalResult(ui::kModalOk);
}

void TImportForm::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

void TImportForm::HelpButtonClick() {
    dialogs::ShowHelpContext(kHelpContext);
}

void TImportForm::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TImportForm::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}
