// The report dialog over the main window, as a person opens it: each export writes the bytes
// quillet-report writes for the same tasks, and the grid keeps its current task.
#include <QCheckBox>
#include <QProcess>
#include <QTableView>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/report_setup.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

// The dialog with its save dialog answered: always `target`.
class AnsweredReportSetup : public report::TReportSetup {
  public:
    AnsweredReportSetup(store::TTaskStore& store, std::string target)
        : TReportSetup(store), target_(std::move(target)) {}

  protected:
    std::optional<QString> RunSaveDialog(const SaveRequest&) override {
        return QString::fromStdString(target_);
    }

  private:
    std::string target_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReportOverMainWindow : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes.push_back(request.text.toStdString());
            return ui::kIdOk;
        });
    }
    void TearDown() override {
        if (form_) {
            form_->close();
            ui::SetMainForm(nullptr);
            form_.reset();
        }
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    void Start() {
        form_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form_.get());
        form_->show();
        form_->FormActivate();
        ui::ProcessMessages();
    }
    // The file quillet-report writes of the folder's tasks in the window's first order and
    // filter (record order, done tasks hidden), with notes.
    std::string CommandLineExport(const char* format) {
        const QString out = QString::fromStdString(PathOf("command.out"));
        QProcess process;
        process.start(
            QStringLiteral(QUILLET_REPORT),
            {QStringLiteral("export"), QString::fromLatin1(format), out, QStringLiteral("--dir"),
             QString::fromStdString(Dir()), QStringLiteral("--order"), QStringLiteral("record"),
             QStringLiteral("--notes")});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return ReadFile(PathOf("command.out"));
    }

    ui::FormPtr<TMainScreen> form_;
    std::vector<std::string> boxes;
    ui::test::ConnectionGuard guard_;

  private:
    ui::MessageBoxPresenter previous_;
};

TEST_F(ReportOverMainWindow, ExportsWriteTheCommandLinesBytesAndKeepTheCurrentTask) {
    std::vector<store_test::Task> tasks = store_test::NumberedTasks(30);
    for (std::size_t i = 0; i < tasks.size(); i += 4) {
        tasks[i].note =
            "A note long enough to be wrapped in every one of the three exports, "
            "with <markup> & {braces} in it\r\nand a second line";
    }
    MakeTaskFile(store::kTaskTableName, tasks, true);
    Start();
    QTableView* grid = form_->ActiveGrid();
    ASSERT_EQ(form_->GridModel().rowCount(), 20);  // every third task is done
    grid->setCurrentIndex(form_->GridModel().index(7, TaskGridModel::kTask));
    const std::optional<std::int32_t> current = form_->Store().TodoTable.GetBookmark();

    struct Case {
        const char* format;
        const char* notesBox;
        void (report::TReportSetup::*click)();
    } cases[] = {
        {"text", "TextDoNotes", &report::TReportSetup::TextSaveButtonClick},
        {"html", "HTMLDoNotes", &report::TReportSetup::HTMLSaveButtonClick},
        {"rtf", "RTFDoNotes", &report::TReportSetup::RTFSaveButtonClick},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        boxes.clear();
        ui::FormPtr<AnsweredReportSetup> dialog =
            ui::CreateForm<AnsweredReportSetup>(form_->Store(), PathOf("dialog.out"));
        dialog->findChild<QCheckBox*>(QString::fromLatin1(c.notesBox))->setChecked(true);
        (dialog.get()->*c.click)();
        EXPECT_EQ(boxes, std::vector<std::string>{"Saved as " + PathOf("dialog.out")});
        EXPECT_EQ(ReadFile(PathOf("dialog.out")), CommandLineExport(c.format));
        EXPECT_EQ(grid->currentIndex().row(), 7);
        EXPECT_EQ(form_->Store().TodoTable.GetBookmark(), current);
        EXPECT_EQ(form_->Store().TodoTable.FieldByName("DESCRIPT")->AsString(), "Task 0011");
    }
}

}  // namespace

QUILLET_UI_TEST_MAIN()
