// The filter dialog's controls, its key word menu and its buttons.
#include "ui/main/filter_form.h"

#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QMenu>

#include "controls/explorer_button.h"
#include "controls/whats_this.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "rtl/ansi.h"
#include "ui/dialogs/dialog_parts.h"
#include "ui_filter_form.h"

namespace {

constexpr int kHelpContext = 1018;

// A radio group's item index: the buttons carry their place as id; none checked reads 0.
void NumberItems(QButtonGroup* group, const QList<QAbstractButton*>& inOrder) {
    for (qsizetype i = 0; i < inOrder.size(); ++i) {
        group->setId(inOrder[i], static_cast<int>(i));
    }
}

int ItemIndex(const QButtonGroup* group) {
    const int id = group->checkedId();
    return id < 0 ? 0 : id;
}

void SetItemIndex(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
    }
}

}  // namespace

TFilterForm::TFilterForm(const std::vector<std::string>& keyWordList, QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TFilterForm>()), keyWordList_(keyWordList) {
    ui_->setupUi(this);
    NumberItems(
        ui_->DateFilterItems,
        {ui_->DateFilterItem0, ui_->DateFilterItem1, ui_->DateFilterItem2, ui_->DateFilterItem3,
         ui_->DateFilterItem4, ui_->DateFilterItem5, ui_->DateFilterItem6});
    NumberItems(ui_->PriorityFilterItems, {ui_->PriorityFilterItem0, ui_->PriorityFilterItem1,
                                           ui_->PriorityFilterItem2, ui_->PriorityFilterItem3});
    ui_->DateFilterItem0->setChecked(true);
    ui_->PriorityFilterItem0->setChecked(true);
    dialogs::UseGlyphLeft({ui_->OKButton, ui_->CancelButton, ui_->ResetButton, ui_->Helpbutton});
    dialogs::HelpOnF1(this, ui_->Helpbutton);
    dialogs::UseGlyphOnly({ui_->MouseHelpButton});
    // The key text is sought in KEYS, which holds Windows-1252 text only.
    ui::RefuseNonAnsiInput(ui_->KeyWords);
    // Reset is marked as a cancel button as well; Escape means Cancel, which changes nothing.
    SetCancelButton(ui_->CancelButton);
    SetDefaultButton(ui_->OKButton);
    keyListMenu_ = new QMenu(this);
    keyListMenu_->setObjectName(QStringLiteral("KeyListMenu"));
    ui_->KeyListbutton->setDropDownMenu(keyListMenu_);
    controls::InstallHelp(this);
    QMenu* whatsThis = controls::MakeWhatsThisMenu(this, controls::ControlsWithHelpEntries(this),
                                                   whatsThisTarget_);
    connect(whatsThis, &QMenu::triggered, this, &TFilterForm::WhatsthisClick);
}

TFilterForm::~TFilterForm() = default;

int TFilterForm::DateFilterIndex() const {
    return ItemIndex(ui_->DateFilterItems);
}

void TFilterForm::SetDateFilterIndex(int index) {
    SetItemIndex(ui_->DateFilterItems, index);
}

int TFilterForm::PriorityFilterIndex() const {
    return ItemIndex(ui_->PriorityFilterItems);
}

void TFilterForm::SetPriorityFilterIndex(int index) {
    SetItemIndex(ui_->PriorityFilterItems, index);
}

std::string TFilterForm::KeyFilterText() const {
    return rtl::Utf8ToAnsi(ui_->KeyWords->text().toStdString());
}

void TFilterForm::SetKeyFilterText(std::string_view text) {
    ui_->KeyWords->setText(ui::FromAnsi(text));
}

QLineEdit* TFilterForm::KeyWords() const {
    return ui_->KeyWords;
}

controls::TExplorerButton* TFilterForm::Button(const char* name) const {
    return findChild<controls::TExplorerButton*>(QString::fromLatin1(name));
}

void TFilterForm::FormCreate() {
    keyListMenu_->clear();
    for (const std::string& word : keyWordList_) {
        QString caption = ui::FromAnsi(word);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = keyListMenu_->addAction(caption);
        item->setData(QByteArray::fromStdString(word));
        connect(item, &QAction::triggered, this, [this, item] { KeyListMenuItemClick(item); });
    }
}

void TFilterForm::KeyListMenuItemClick(QAction* item) {
    const std::string word = item->data().toByteArray().toStdString();
    const std::string text = KeyFilterText();
    SetKeyFilterText(text.empty() ? word : text + "," + word);
}

void TFilterForm::OKButtonClick() {
    SetModalResult(ui::kModalOk);
}

void TFilterForm::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

// Clears the three conditions and closes with Ok, so the cleared filter is applied.
void TFilterForm::ResetButtonClick() {
    SetDateFilterIndex(0);
    ui_->KeyWords->clear();
    SetPriorityFilterIndex(0);
    SetModalResult(ui::kModalOk);
}

void TFilterForm::HelpButtonClick() {
    dialogs::ShowHelpContext(kHelpContext);
}

void TFilterForm::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TFilterForm::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}

bool FilterbuttonClick(store::TaskFilter& filter, const std::vector<std::string>& keyWordList,
                       QWidget* parent) {
    ui::FormPtr<TFilterForm> form = ui::CreateForm<TFilterForm>(keyWordList, parent);
    ui::CentreForm(form.get());
    form->SetDateFilterIndex(filter.DateFilterIndex);
    form->SetKeyFilterText(filter.KeyFilterText);
    form->SetPriorityFilterIndex(filter.PriorityFilterIndex);
    if (form->ShowModal() != ui::kModalOk) {
        return false;
    }
    filter.DateFilterIndex = static_cast<std::uint8_t>(form->DateFilterIndex());
    filter.KeyFilterText = form->KeyFilterText();
    filter.PriorityFilterIndex = static_cast<std::uint8_t>(form->PriorityFilterIndex());
    return true;
}
