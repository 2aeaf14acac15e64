// A dialog whose Ok and Cancel are flat explorer buttons: Enter and Escape press them through
// their own Default and Cancel properties, a drop-down button included.
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/explorer_button.h"
#include "platform/ui/forms.h"
#include "widget_test_support.h"

namespace {

using controls::TExplorerButton;

class TButtonsDialog : public ui::TDialog {
  public:
    TButtonsDialog() {
        resize(300, 120);
        edit = new QLineEdit(this);
        ok = new TExplorerButton(this);
        ok->setObjectName(QStringLiteral("OKButton"));
        ok->setCaption(QStringLiteral("Ok"));
        ok->setDefault(true);
        ok->move(10, 60);
        cancel = new TExplorerButton(this);
        cancel->setObjectName(QStringLiteral("CancelButton"));
        cancel->setCaption(QStringLiteral("Cancel"));
        cancel->setCancel(true);
        cancel->move(80, 60);
        connect(ok, &TExplorerButton::clicked, this, [this] { SetModalResult(ui::kModalOk); });
        connect(cancel, &TExplorerButton::clicked, this,
                [this] { SetModalResult(ui::kModalCancel); });
    }
    QLineEdit* edit;
    TExplorerButton* ok;
    TExplorerButton* cancel;
};

void PressInModal(Qt::Key key) {
    ui::test::WhenModalShown([key](QWidget* modal) {
        QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
        QTest::keyClick(target, key);
    });
}

TEST(ExplorerButtonRoles, EnterAndEscapePressTheFlatButtons) {
    auto dialog = ui::CreateForm<TButtonsDialog>();
    PressInModal(Qt::Key_Return);
    EXPECT_EQ(dialog->ShowModal(), ui::kModalOk);
    PressInModal(Qt::Key_Escape);
    EXPECT_EQ(dialog->ShowModal(), ui::kModalCancel);
}

TEST(ExplorerButtonRoles, ADropDownDefaultButtonStillClicksOnEnter) {
    auto dialog = ui::CreateForm<TButtonsDialog>();
    QMenu menu;
    menu.addAction(QStringLiteral("Sort by Date+Time"));
    dialog->ok->setDropDownMenu(&menu);
    PressInModal(Qt::Key_Return);
    EXPECT_EQ(dialog->ShowModal(), ui::kModalOk);
    EXPECT_FALSE(menu.isVisible());
}

TEST(ExplorerButtonRoles, ADisabledCancelButtonLetsEscapePass) {
    auto dialog = ui::CreateForm<TButtonsDialog>();
    dialog->cancel->setEnabled(false);
    ui::test::WhenModalShown([&](QWidget*) {
        dialog->edit->setFocus();
        QTest::keyClick(dialog->edit, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog->edit, Qt::Key_Return);
    });
    EXPECT_EQ(dialog->ShowModal(), ui::kModalOk);
}

}  // namespace

QUILLET_UI_TEST_MAIN()
