// The main window's start-up and shut-down on a temporary program directory, and the About box.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/about_box.h"
#include "controls/explorer_button.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "store/task_file.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

// Failures print paths as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class MainScreenStartUp : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text);
            // Closing a box gives the activation back to the main window.
            if (TMainScreen* form = std::exchange(reactivate_, nullptr)) {
                form->FormActivate();
            }
            return ui::kIdOk;
        });
    }
    void TearDown() override { ui::SetMessageBoxPresenter(previous_); }

    std::string ProgramDir() const { return dir_.path().toStdString() + "/"; }
    QString PathOf(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // Creates the window and runs its first activation, as showing it does.
    ui::FormPtr<TMainScreen> Start() {
        ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(ProgramDir());
        ui::SetMainForm(form.get());
        form->show();
        form->FormActivate();
        ui::ProcessMessages();
        return form;
    }

    void Finish(ui::FormPtr<TMainScreen>& form) {
        form->close();
        ui::SetMainForm(nullptr);
        form.reset();
    }

    bool AddTask(TMainScreen& form, const char* text, bool post) {
        store::TTable& table = form.Store().TodoTable;
        store::TField* descript = table.FieldByName("DESCRIPT");
        return table.Append() == store::dbi::kOk && descript != nullptr &&
               descript->SetAsString(text) && (!post || table.Post() == store::dbi::kOk);
    }

    QTemporaryDir dir_;
    ui::MessageBoxPresenter previous_;
    std::vector<QString> boxes_;
    TMainScreen* reactivate_ = nullptr;
    ui::test::ConnectionGuard guard_;
};

TEST_F(MainScreenStartUp, AnEmptyDirectoryGetsANewTableAndAReadyWindow) {
    ui::FormPtr<TMainScreen> form = Start();
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().toStdString();
    EXPECT_TRUE(QFile::exists(PathOf("QUILX.DBF")));
    EXPECT_TRUE(QFile::exists(PathOf("QUILX.CDX")));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->centralWidget()->size(), QSize(618, 405));
    EXPECT_FALSE(form->UpdateStatus()->isVisible());
    EXPECT_TRUE(form->ExitButton()->isVisible());
    EXPECT_TRUE(form->TaskPanel()->isVisible());
    EXPECT_EQ(form->GridModel().rowCount(), 0);
    EXPECT_FALSE(form->FirstActivation());
    EXPECT_EQ(form->Store().TodoTable.Tag, 0);
    EXPECT_TRUE(form->Store().TodoTable.Active());
    // The first start, without stored preferences, shows the tasks in record order.
    EXPECT_EQ(form->Store().TodoTable.IndexName(), "");
    // The status texts of the opening replaced the designed caption.
    EXPECT_NE(form->UpdateStatusCaption()->text(), QStringLiteral("Opening Files..."));
    EXPECT_EQ(form->HelpFile(), PathOf("QUILX.HLP"));
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
    Finish(form);
}

TEST_F(MainScreenStartUp, OnlyTheFirstActivationOpensTheTable) {
    ui::FormPtr<TMainScreen> form = Start();
    ASSERT_TRUE(AddTask(*form, "Kept in the buffer", false));
    // A later activation (back from a dialog) must not reopen the table under the edit.
    form->FormActivate();
    EXPECT_EQ(form->Store().TodoTable.State(), store::TDataSetState::dsInsert);
    form->Store().TodoTable.Cancel();
    Finish(form);
}

// Eats the window's activation, as a desktop that gives a new window no focus.
class NoActivation : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::WindowActivate || QObject::eventFilter(watched, event);
    }
};

// Without the focus the window still opens its tasks once it is shown, and only once.
TEST_F(MainScreenStartUp, FirstActivationRunsWhenShownWithoutTheFocus) {
    NoActivation noFocus;
    ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(ProgramDir());
    form->installEventFilter(&noFocus);
    ui::SetMainForm(form.get());
    form->show();
    for (int round = 0; round < 100 && form->FirstActivation(); ++round) {
        ui::ProcessMessages();
    }
    EXPECT_FALSE(form->FirstActivation());
    EXPECT_TRUE(form->Store().TodoTable.Active());
    EXPECT_EQ(form->GridModel().rowCount(), 0);
    EXPECT_FALSE(form->UpdateStatus()->isVisible());

    // The focus arriving late does not open the table again under an edit.
    ASSERT_TRUE(AddTask(*form, "Kept in the buffer", false));
    form->removeEventFilter(&noFocus);
    form->activateWindow();
    form->FormActivate();
    ui::ProcessMessages();
    EXPECT_EQ(form->Store().TodoTable.State(), store::TDataSetState::dsInsert);
    form->Store().TodoTable.Cancel();
    Finish(form);
}

TEST_F(MainScreenStartUp, ClosingPostsThePendingInsertAndClosesTheTable) {
    ui::FormPtr<TMainScreen> form = Start();
    ASSERT_TRUE(AddTask(*form, "First", true));
    ASSERT_TRUE(AddTask(*form, "Second", true));
    ASSERT_TRUE(AddTask(*form, "Third, not yet posted", false));
    store::TTaskStore& store = form->Store();
    form->close();
    EXPECT_FALSE(store.TodoTable.Active());
    Finish(form);

    ui::FormPtr<TMainScreen> again = Start();
    EXPECT_EQ(again->Store().TodoEngine.RecordCount(), 3);
    Finish(again);
}

TEST_F(MainScreenStartUp, AnUnreadableTableIsReportedAndTheWindowCloses) {
    QFile bad(PathOf("QUILX.DBF"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("This is not a table at all, only some words.");
    bad.close();

    ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(ProgramDir());
    reactivate_ = form.get();
    form->show();
    form->FormActivate();
    reactivate_ = nullptr;
    ASSERT_EQ(boxes_.size(), 1u);
    // Which file and what is wrong with it, in the engine's words.
    EXPECT_TRUE(boxes_[0].startsWith(QStringLiteral("Unable to open the Todo file: QUILX.DBF\n\n") +
                                     PathOf("QUILX.DBF") + QStringLiteral(": not a table")))
        << boxes_[0].toStdString();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Store().TodoTable.Active());
    EXPECT_FALSE(form->ExitButton()->isVisible());
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
    // Nothing of the damaged file was replaced.
    bad.open(QIODevice::ReadOnly);
    EXPECT_EQ(bad.readAll(), QByteArray("This is not a table at all, only some words."));
    Finish(form);
}

TEST_F(MainScreenStartUp, TheAboutBoxShowsItsTextsAndClosesOnOk) {
    ui::FormPtr<TMainScreen> form = Start();
    bool shown = false;
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* about = qobject_cast<TSplashform*>(window);
        ASSERT_NE(about, nullptr);
        shown = true;
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Quillet"));
        EXPECT_EQ(about->size(), QSize(435, 234));
        EXPECT_EQ(about->minimumSize(), about->maximumSize());
        EXPECT_TRUE(ui::IsTopmost(about));
        EXPECT_EQ(about->Label1()->text(), QStringLiteral("Version 2.2d"));
        EXPECT_EQ(about->Label2()->text(), QStringLiteral("32-bit version for Windows 95"));
        EXPECT_TRUE(about->OKButton()->isVisible());
        EXPECT_EQ(about->OKButton()->caption(), QStringLiteral("OK"));
        about->OKButton()->click();
    });
    form->mnuHelpAboutClick();
    EXPECT_TRUE(shown);
    Finish(form);
}

TEST_F(MainScreenStartUp, AltXClosesTheWindowOnceTheExitButtonShows) {
    ui::FormPtr<TMainScreen> form = Start();
    ASSERT_TRUE(form->ExitButton()->isVisible());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // The menu item and the button's accelerator share the key; one close must follow.
    QTest::keyClick(form.get(), Qt::Key_X, Qt::AltModifier);
    ui::ProcessMessages();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Store().TodoTable.Active());
    Finish(form);
}

TEST_F(MainScreenStartUp, F1AndTheHelpButtonOpenTheProgramsHelpFileAtItsContext) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_HELP_FILE), PathOf("QUILX.HLP")));
    ui::FormPtr<TMainScreen> form = Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F1);
    ui::ProcessMessages();
    ASSERT_NE(ui::HelpViewer(), nullptr);
    EXPECT_EQ(ui::HelpViewer()->CurrentContext(), 1009);

    ui::CloseHelpViewer();
    ui::ProcessMessages();
    form->findChild<controls::TExplorerButton*>(QStringLiteral("Helpbutton"))->click();
    ASSERT_NE(ui::HelpViewer(), nullptr);
    EXPECT_EQ(ui::HelpViewer()->CurrentContext(), 1009);
    EXPECT_TRUE(boxes_.empty());
    ui::CloseHelpViewer();
    Finish(form);
}

// Files copied from another system keep whatever letter case they had there.
TEST_F(MainScreenStartUp, SettingsAndHelpInSmallLettersServeTheWindowAndItsDialogs) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_HELP_FILE), PathOf("quilx.hlp")));
    QFile settings(PathOf("todo.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Preferences]\r\nShowDone=1\r\n");
    settings.close();
    ui::FormPtr<TMainScreen> form = Start();
    EXPECT_EQ(form->Button("ShowDone")->caption(), QStringLiteral("Hide DONE"));

    // Which file each way to help opened, at which context.
    std::vector<std::pair<QString, int>> shown;
    auto record = [&shown]() {
        ui::THelpViewer* viewer = ui::HelpViewer();
        shown.emplace_back(viewer ? viewer->FilePath() : QString(),
                           viewer ? viewer->CurrentContext() : 0);
        ui::CloseHelpViewer();
        ui::ProcessMessages();
    };
    form->HelpButtonClick();
    record();
    // F1 in the task editor, as its Help button, opens the editor's own topic.
    ui::test::WhenModalShown([&record](QWidget* editor) {
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
        QTest::keyClick(editor->focusWidget(), Qt::Key_F1);
        record();
        editor->findChild<controls::TExplorerButton*>(QStringLiteral("Helpbutton"))->click();
        record();
        editor->findChild<controls::TExplorerButton*>(QStringLiteral("CancelButton"))->click();
    });
    form->NewButtonClick();
    const QString help = PathOf("quilx.hlp");
    EXPECT_EQ(shown,
              (std::vector<std::pair<QString, int>>{{help, 1009}, {help, 1004}, {help, 1004}}));
    EXPECT_TRUE(boxes_.empty());
    Finish(form);

    // The settings went back into the file they came from.
    EXPECT_FALSE(QFile::exists(PathOf("TODO.INI")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("SplitterBar="));
}

// Alt+F and Alt+H press the Filter and Help buttons, whose letters the menu bar's titles
// underline too; the menus are reached with F10, or Alt pressed and released, then a letter.
TEST_F(MainScreenStartUp, AltFAndAltHPressTheirButtonsAndTheMenusStayReachable) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_HELP_FILE), PathOf("QUILX.HLP")));
    ui::FormPtr<TMainScreen> form = Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (QWidget* focus :
         {static_cast<QWidget*>(form->ActiveGrid()), static_cast<QWidget*>(form->ActiveNotes())}) {
        SCOPED_TRACE(focus->objectName().toStdString());
        focus->setFocus();
        QString dialog;
        ui::test::WhenModalShown([&](QWidget* window) {
            dialog = QString::fromLatin1(window->metaObject()->className());
            window->close();
        });
        QTest::keyClick(focus, Qt::Key_F, Qt::AltModifier);
        ui::ProcessMessages();
        EXPECT_EQ(dialog, QStringLiteral("TFilterForm"));
        QTest::keyClick(focus, Qt::Key_H, Qt::AltModifier);
        ui::ProcessMessages();
        ASSERT_NE(ui::HelpViewer(), nullptr);
        EXPECT_EQ(ui::HelpViewer()->CurrentContext(), 1009);
        ui::CloseHelpViewer();
        ui::ProcessMessages();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    auto* menuBar = form->findChild<QMenuBar*>(QStringLiteral("MainMenu"));
    auto* fileMenu = form->findChild<QMenu*>(QStringLiteral("mnuFile"));
    auto* helpMenu = form->findChild<QMenu*>(QStringLiteral("mnuHelp"));
    ASSERT_NE(menuBar, nullptr);
    ASSERT_NE(fileMenu, nullptr);
    ASSERT_NE(helpMenu, nullptr);
    form->ActiveGrid()->setFocus();
    QTest::keyClick(form->ActiveGrid(), Qt::Key_F10);
    ui::ProcessMessages();
    EXPECT_EQ(menuBar->activeAction(), fileMenu->menuAction());
    EXPECT_TRUE(fileMenu->isVisible());
    fileMenu->close();
    ui::ProcessMessages();

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ActiveGrid()->setFocus();
    QTest::keyPress(form->ActiveGrid(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(form->ActiveGrid(), Qt::Key_Alt);
    ui::ProcessMessages();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H);
    ui::ProcessMessages();
    EXPECT_TRUE(helpMenu->isVisible());
    helpMenu->close();
    EXPECT_TRUE(boxes_.empty());
    Finish(form);
}

TEST(AboutBox, OkIsHiddenUntilTheCommandShowsIt) {
    ui::FormPtr<TSplashform> about = ui::CreateForm<TSplashform>();
    EXPECT_FALSE(about->OKButton()->isVisibleTo(about.get()));
    auto* picture = about->findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
}

}  // namespace

QUILLET_UI_TEST_MAIN()
