// The print-status window over a task file of a few pages: a preview run to its end, a
// preview stopped at page 3 that holds its three pages, and a print whose Cancel asks first
// and, on Yes, abandons the document; the button's captions through each run.
#include "report/report_print.h"

#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include <gtest/gtest.h>

#include "image_target.h"
#include "platform/ui/message_box.h"
#include "report/draw/file_player.h"
#include "report_test_support.h"
#include "widget_test_support.h"

namespace {

class ReportPrintTest : public report_test::ReportStoreTest {
  protected:
    void SetUp() override {
        ReportStoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            asked.push_back(request.text.toStdString());
            return answer;
        });
        // Enough tasks with notes for six pages or so.
        std::vector<store_test::Task> tasks;
        for (int i = 0; i < 240; ++i) {
            tasks.push_back({"20270105", "13:05", "Task " + std::to_string(i),
                             i % 3 == 0 ? "A note\r\nof two lines" : "", false, "", "B"});
        }
        OpenTasks(tasks);
    }
    void TearDown() override {
        ui::SetMessageBoxPresenter(previous_);
        ReportStoreTest::TearDown();
    }

    ui::FormPtr<report::TReportPrint> Create(report_test::ImageTarget& printer) {
        auto window =
            ui::CreateForm<report::TReportPrint>(printer, Store().TodoTable, Store().TodoEngine);
        window->Options = {"Tasks", true, true, false};
        // Messages at every task, so that a click posted at a page acts before the next task.
        window->SetMessagesEvery(0);
        return window;
    }
    // Posts a click on the window's button once the status first shows page `page`.
    static void ClickAtPage(report::TReportPrint& window, report::TBaseReport& report, int page) {
        auto shown = report.OnStatus;
        auto* button = window.findChild<QPushButton*>(QStringLiteral("CancelButton"));
        report.OnStatus = [shown, button, page, posted = false](const std::string& status) mutable {
            shown(status);
            if (!posted && status.rfind("Printing Page " + std::to_string(page), 0) == 0) {
                posted = true;
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            }
        };
    }
    static void Run(report::TReportPrint& window) {
        window.show();
        window.FormActivate();
    }
    static QString Status(const report::TReportPrint& window) {
        return window.findChild<QLabel*>(QStringLiteral("Label1"))->text();
    }
    static QString ButtonText(const report::TReportPrint& window) {
        return window.findChild<QPushButton*>(QStringLiteral("CancelButton"))->text();
    }
    static int PagesIn(report::MemoryStream& stream) {
        report::TFilePreview preview;
        preview.SetStreamMode(report::TStreamMode::smUser);
        preview.SetStream(&stream);
        EXPECT_TRUE(preview.Open().ok());
        return preview.PageCount();
    }

    report_test::ImageTarget target;
    report_test::ImageTarget otherTarget;
    std::vector<std::string> asked;
    int answer = ui::kIdNo;

  private:
    ui::MessageBoxPresenter previous_;
    ui::test::ConnectionGuard guard_;
};

TEST_F(ReportPrintTest, APreviewRunsToTheEndOrStopsWhereThePersonSaid) {
    report::MemoryStream whole;
    int wholePages = 0;
    {
        auto window = Create(target);
        window->PrepareForPreview(whole);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Preview Status"));
        EXPECT_EQ(ButtonText(*window), QStringLiteral("Stop"));
        Run(*window);
        EXPECT_EQ(Status(*window), QStringLiteral("\nPreview Ready!"));
        EXPECT_EQ(ButtonText(*window), QStringLiteral("OK"));
        EXPECT_FALSE(window->Stopped() || window->Aborted());
        wholePages = PagesIn(whole);
        EXPECT_GT(wholePages, 3);
        EXPECT_TRUE(target.log.empty()) << "a preview never reaches the printer";
    }

    report::MemoryStream stopped;
    auto window = Create(target);
    window->PrepareForPreview(stopped);
    ClickAtPage(*window, window->TestReportFiler(), 3);
    Run(*window);
    EXPECT_TRUE(window->Stopped());
    EXPECT_FALSE(window->Aborted());
    EXPECT_EQ(Status(*window), QStringLiteral("\nPreview Stopped at page 3!"));
    EXPECT_EQ(PagesIn(stopped), 3);
    EXPECT_TRUE(asked.empty()) << "Stop asks nothing";
    // Now an OK button: it closes the window.
    EXPECT_EQ(ButtonText(*window), QStringLiteral("OK"));
    window->CancelButtonClick();
    EXPECT_EQ(window->ModalResult(), ui::kModalOk);
}

TEST_F(ReportPrintTest, CancellingAPrintAsksAndOnYesAbandonsTheDocument) {
    {
        // "No" lets the print go on to its end.
        auto window = Create(target);
        window->PrepareForPrinter();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Print Status"));
        EXPECT_EQ(ButtonText(*window), QStringLiteral("Cancel"));
        ClickAtPage(*window, window->TestReportPrinter(), 2);
        answer = ui::kIdNo;
        Run(*window);
        EXPECT_EQ(asked, std::vector<std::string>{"Cancel Printing?"});
        EXPECT_EQ(Status(*window), QStringLiteral("\nPrint Completed!"));
        EXPECT_EQ(target.log.back(), "end");
        EXPECT_GT(target.printed.size(), 3u);
    }
    asked.clear();
    auto window = Create(otherTarget);
    window->PrepareForPrinter();
    ClickAtPage(*window, window->TestReportPrinter(), 2);
    answer = ui::kIdYes;
    Run(*window);
    EXPECT_EQ(asked, std::vector<std::string>{"Cancel Printing?"});
    EXPECT_TRUE(window->Aborted());
    EXPECT_EQ(Status(*window), QStringLiteral("\nPrint Canceled!"));
    EXPECT_EQ(otherTarget.log.back(), "abort");
    EXPECT_EQ(ButtonText(*window), QStringLiteral("OK"));
    // While it ran the window could not be closed; now it can.
    bool canClose = false;
    window->FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
}

// A run whose tasks cannot be read still ends with its status and OK, and says why.
TEST_F(ReportPrintTest, ATaskTableThatCannotBeReadIsReportedAndTheRunStillEnds) {
    Store().TodoTable.Close();
    report::MemoryStream stream;
    auto window = Create(target);
    window->PrepareForPreview(stream);
    Run(*window);
    EXPECT_EQ(asked, std::vector<std::string>{"The task table is not open"});
    EXPECT_EQ(Status(*window), QStringLiteral("\nPreview Ready!"));
    EXPECT_EQ(ButtonText(*window), QStringLiteral("OK"));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
