// Forms and dialogs: .ui wiring, Enter/Escape roles, the modal result and close query, the
// form events and key preview.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fake_role_button.h"
#include "platform/fonts/fonts.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/forms.h"
#include "platform/ui/message_box.h"
#include "ui_misspelt_dialog.h"
#include "ui_test_dialog.h"
#include "ui_test_main_form.h"
#include "widget_test_support.h"

namespace {

using ui::kModalCancel;
using ui::kModalNone;
using ui::kModalOk;

class TTestDialog : public ui::TDialog {
    Q_OBJECT

  public:
    TTestDialog() { ui_.setupUi(this); }

    Ui::TTestDialog ui_;
    int creates = 0;
    int activations = 0;
    int closeQueries = 0;
    bool allowClose = true;
    bool okInsideCloseQuery = false;
    int resultSeenByCloseQuery = -1;

  public Q_SLOTS:
    void OKButtonClick() { SetModalResult(kModalOk); }
    void CancelButtonClick() { SetModalResult(kModalCancel); }
    void FormCreate() { ++creates; }
    void FormActivate() { ++activations; }
    void FormCloseQuery(bool& canClose) {
        ++closeQueries;
        resultSeenByCloseQuery = ModalResult();
        if (okInsideCloseQuery && ModalResult() == kModalNone) {
            OKButtonClick();
        }
        canClose = allowClose;
    }
};

class TMisspeltDialog : public ui::TDialog {
    Q_OBJECT

  public:
    TMisspeltDialog() { ui_.setupUi(this); }
    Ui::TMisspeltDialog ui_;

  public Q_SLOTS:
    void OKButtonClick() {}
    // Named for automatic wiring, but OKButton has no such signal.
    void on_OKButton_clickd() {}
};

class TTestMainForm : public ui::TForm {
    Q_OBJECT

  public:
    TTestMainForm() {
        ui_.setupUi(this);
        SetKeyPreview(true);
    }

    Ui::TTestMainForm ui_;
    QList<int> previewed;
    QString editTextAtPreview;
    int consumeKey = 0;
    std::function<void()> onKey;
    bool allowClose = true;
    int closes = 0;
    int shows = 0;
    int resizes = 0;

  public Q_SLOTS:
    void FormKeyDown(QKeyEvent* event) {
        previewed.append(event->key());
        editTextAtPreview = ui_.Edit->text();
        if (onKey) {
            onKey();
        }
        if (event->key() == consumeKey) {
            event->accept();
        }
    }
    void FormCloseQuery(bool& canClose) { canClose = allowClose; }
    void FormClose() { ++closes; }
    void FormShow() { ++shows; }
    void FormResize() { ++resizes; }
};

// Presses a key in the widget that has the focus in the modal window, as a person would.
void PressInModal(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ui::test::WhenModalShown([key, modifiers](QWidget* modal) {
        QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    });
}

TEST(DialogKeys, EnterPressesTheDefaultWidgetEvenWhenItIsNoButton) {
    ui::test::ConnectionGuard guard;
    auto dialog = ui::CreateForm<TTestDialog>();
    auto* ok = static_cast<FakeRoleButton*>(dialog->ui_.OKButton);
    PressInModal(Qt::Key_Return);
    EXPECT_EQ(dialog->ShowModal(), kModalOk);
    EXPECT_EQ(ok->clicks(), 1);
}

TEST(DialogKeys, KeypadEnterCountsAsEnter) {
    auto dialog = ui::CreateForm<TTestDialog>();
    PressInModal(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog->ShowModal(), kModalOk);
}

TEST(DialogKeys, EscapePressesTheCancelButtonMarkedInTheUiFile) {
    auto dialog = ui::CreateForm<TTestDialog>();
    PressInModal(Qt::Key_Escape);
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
}

TEST(DialogKeys, EnterInAMultiLineEditStartsANewLineInstead) {
    auto dialog = ui::CreateForm<TTestDialog>();
    ui::test::WhenModalShown([&](QWidget*) {
        dialog->ui_.Notes->setFocus();
        QTest::keyClicks(dialog->ui_.Notes, QStringLiteral("ab"));
        QTest::keyClick(dialog->ui_.Notes, Qt::Key_Return);
        QTest::keyClicks(dialog->ui_.Notes, QStringLiteral("c"));
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog->ui_.Notes, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
    EXPECT_EQ(dialog->ui_.Notes->toPlainText(), QStringLiteral("ab\nc"));
    EXPECT_EQ(static_cast<FakeRoleButton*>(dialog->ui_.OKButton)->clicks(), 0);
}

TEST(DialogKeys, DisabledOrHiddenRoleWidgetsAndModifiedKeysDoNothing) {
    auto dialog = ui::CreateForm<TTestDialog>();
    auto* ok = static_cast<FakeRoleButton*>(dialog->ui_.OKButton);
    ui::test::WhenModalShown([&](QWidget*) {
        QWidget* edit = dialog->ui_.Task;
        edit->setFocus();
        ok->setEnabled(false);
        QTest::keyClick(edit, Qt::Key_Return);
        ok->setEnabled(true);
        ok->hide();
        QTest::keyClick(edit, Qt::Key_Return);
        ok->show();
        QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Escape, Qt::ShiftModifier);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(ok->clicks(), 0);
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
}

TEST(DialogKeys, AChosenWidgetOverridesTheMarkedOneAndOneWidgetMayHoldBothRoles) {
    auto dialog = ui::CreateForm<TTestDialog>();
    dialog->SetDefaultButton(dialog->ui_.CancelButton);
    PressInModal(Qt::Key_Return);
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);

    auto single = ui::CreateForm<TTestDialog>();
    single->SetCancelButton(single->ui_.OKButton);  // an "Ok" that answers Enter and Escape
    PressInModal(Qt::Key_Escape);
    EXPECT_EQ(single->ShowModal(), kModalOk);
}

TEST(DialogKeys, WithoutRoleWidgetsEnterAndEscapeLeaveTheDialogOpen) {
    auto dialog = ui::CreateForm<TTestDialog>();
    dialog->ui_.OKButton->setProperty(ui::kDefaultProperty, false);
    dialog->ui_.CancelButton->setProperty(ui::kCancelProperty, false);
    ui::test::WhenModalShown([&](QWidget*) {
        dialog->ui_.Task->setFocus();
        QTest::keyClick(dialog->ui_.Task, Qt::Key_Return);
        QTest::keyClick(dialog->ui_.Task, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        dialog->ui_.CancelButton->click();
    });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
}

TEST(DialogModal, ARefusedCloseKeepsTheDialogOpenAndClearsTheResult) {
    auto dialog = ui::CreateForm<TTestDialog>();
    dialog->allowClose = false;
    ui::test::WhenModalShown([&](QWidget*) {
        dialog->OKButtonClick();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->ModalResult(), kModalNone);
        dialog->allowClose = true;
        dialog->CancelButtonClick();
    });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
    EXPECT_EQ(dialog->closeQueries, 2);
    EXPECT_EQ(dialog->resultSeenByCloseQuery, kModalCancel);
}

TEST(DialogModal, AWindowCloseAsksWithNoResultAndEndsInCancel) {
    auto dialog = ui::CreateForm<TTestDialog>();
    ui::test::WhenModalShown([&](QWidget*) { dialog->close(); });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
    EXPECT_EQ(dialog->resultSeenByCloseQuery, kModalNone);
    EXPECT_EQ(dialog->closeQueries, 1);
}

TEST(DialogModal, TheCloseQueryMayChooseOkItself) {
    auto dialog = ui::CreateForm<TTestDialog>();
    dialog->okInsideCloseQuery = true;
    ui::test::WhenModalShown([&](QWidget*) { dialog->close(); });
    EXPECT_EQ(dialog->ShowModal(), kModalOk);
    EXPECT_EQ(dialog->closeQueries, 1);
}

TEST(DialogModal, QDialogAcceptAndRejectGiveOkAndCancel) {
    auto dialog = ui::CreateForm<TTestDialog>();
    ui::test::WhenModalShown([&](QWidget*) { dialog->accept(); });
    EXPECT_EQ(dialog->ShowModal(), kModalOk);
    ui::test::WhenModalShown([&](QWidget*) { dialog->reject(); });
    EXPECT_EQ(dialog->ShowModal(), kModalCancel);
}

TEST(DialogModal, TheBorderIsFixedWithoutTitleBarButtons) {
    auto dialog = ui::CreateForm<TTestDialog>();
    ui::test::WhenModalShown([&](QWidget*) { dialog->reject(); });
    dialog->ShowModal();
    EXPECT_EQ(dialog->minimumSize(), QSize(301, 201));
    EXPECT_EQ(dialog->maximumSize(), QSize(301, 201));
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    // Arial 8 point, by its installed twin.
    EXPECT_EQ(dialog->font().family(), ui::mapFontFamily(QStringLiteral("Arial")));
    EXPECT_EQ(dialog->font().pointSize(), 8);
}

TEST(FormEvents, CreateRunsOnceAfterSetupAndDestroyingBeforeDeletion) {
    auto dialog = ui::CreateForm<TTestDialog>();
    EXPECT_EQ(dialog->creates, 1);
    dialog->NotifyCreated();
    EXPECT_EQ(dialog->creates, 1);
    bool destroying = false;
    TTestDialog* raw = dialog.get();
    QObject::connect(raw, &ui::TDialog::destroying, [&] {
        destroying = true;
        EXPECT_EQ(raw->ui_.Task->objectName(), QStringLiteral("Task"));  // still whole
    });
    dialog.reset();
    EXPECT_TRUE(destroying);
}

TEST(FormEvents, ActivateRunsEachTimeTheFormBecomesActive) {
    auto dialog = ui::CreateForm<TTestDialog>();
    QWidget other;
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(dialog->activations, 2);
    dialog->reject();
}

TEST(FormEvents, ShowResizeAndCloseReachTheMainForm) {
    auto form = ui::CreateForm<TTestMainForm>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->shows, 1);
    const int resizesBefore = form->resizes;
    form->resize(700, 420);
    EXPECT_GT(form->resizes, resizesBefore);

    form->allowClose = false;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->closes, 0);
    form->allowClose = true;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(form->closes, 1);
}

class KeyPreview : public testing::Test {
  protected:
    void SetUp() override {
        form_ = ui::CreateForm<TTestMainForm>();
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        form_->ui_.Edit->setFocus();
    }
    ui::FormPtr<TTestMainForm> form_;
};

TEST_F(KeyPreview, TheFormSeesAKeyOnceAndBeforeTheControl) {
    QTest::keyClick(form_->ui_.Edit, Qt::Key_A);
    // F5 means nothing to the edit: it travels on to the edit's parents and the form.
    QTest::keyClick(form_->ui_.Edit, Qt::Key_F5);
    EXPECT_EQ(form_->previewed, (QList<int>{Qt::Key_A, Qt::Key_F5}));
    EXPECT_EQ(form_->editTextAtPreview, QStringLiteral("a"));  // at F5; at A it was empty
    EXPECT_EQ(form_->ui_.Edit->text(), QStringLiteral("a"));
}

TEST_F(KeyPreview, TheEditIsStillEmptyWhenTheFirstKeyIsPreviewed) {
    QTest::keyClick(form_->ui_.Edit, Qt::Key_B);
    EXPECT_EQ(form_->editTextAtPreview, QString());
    EXPECT_EQ(form_->ui_.Edit->text(), QStringLiteral("b"));
}

TEST_F(KeyPreview, AnAcceptedKeyNeverReachesTheControl) {
    form_->consumeKey = Qt::Key_X;
    QTest::keyClicks(form_->ui_.Edit, QStringLiteral("axb"));
    EXPECT_EQ(form_->ui_.Edit->text(), QStringLiteral("ab"));
}

TEST_F(KeyPreview, AHandlerThatAsksAQuestionSeesItsKeyOnlyOnce) {
    // Delete with an empty edit travels up to the form; the handler's box runs an event loop
    // of its own in the middle of that journey.
    int answered = 0;
    form_->onKey = [&] {
        ui::test::WhenModalShown([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        ui::MessageBox(QStringLiteral("Delete this task? "), QStringLiteral("Quillet"),
                       ui::kMbOkCancel);
        ++answered;
    };
    QTest::keyClick(form_->ui_.Edit, Qt::Key_F6);
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(form_->previewed, (QList<int>{Qt::Key_F6}));
}

TEST_F(KeyPreview, KeysOfOtherWindowsAreNotPreviewed) {
    QLineEdit other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_A);
    EXPECT_TRUE(form_->previewed.isEmpty());
}

TEST(UiConnections, AMisspeltHandlerInAUiFileFailsTheTest) {
    QStringList warnings;
    {
        ui::test::ConnectionGuard guard;
        auto dialog = ui::CreateForm<TMisspeltDialog>();
        warnings = guard.Take();
    }
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings.filter(QStringLiteral("No such slot")).size() == 1)
        << warnings.join(u'|').toStdString();
    EXPECT_TRUE(warnings.filter(QStringLiteral("No matching signal")).size() == 1);
}

TEST(UiConnections, TheGuardReportsWhatItCaughtAsFailures) {
    testing::TestPartResultArray failures;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        ui::test::ConnectionGuard guard;
        auto dialog = ui::CreateForm<TMisspeltDialog>();
    }
    ASSERT_EQ(failures.size(), 2);
    const std::string all = std::string(failures.GetTestPartResult(0).message()) +
                            failures.GetTestPartResult(1).message();
    EXPECT_NE(all.find("OKButtonClik"), std::string::npos) << all;
    EXPECT_NE(all.find("on_OKButton_clickd"), std::string::npos) << all;
}

TEST(UiConnections, ACorrectUiFileGivesNoWarnings) {
    ui::test::ConnectionGuard guard;
    auto dialog = ui::CreateForm<TTestDialog>();
    auto form = ui::CreateForm<TTestMainForm>();
    EXPECT_TRUE(guard.Warnings().isEmpty());
}

}  // namespace

QUILLET_UI_TEST_MAIN()

#include "forms_test.moc"
