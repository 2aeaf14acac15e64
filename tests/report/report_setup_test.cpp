// The Print Report dialog: its controls and starting state, the colour of the HTML page, Save
// As on each export page with the settings it keeps, a cancel and a failed write that keep
// nothing, an export cancelled from its progress window, and the save dialog it asks.
#include "report/report_setup.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>

#include "controls/explorer_button.h"
#include "controls/gauge.h"
#include "controls/graphic_panel.h"
#include "platform/ini/profile.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "platform/print/pdf_printer.h"
#include "platform/print/report_device.h"
#include "report/preview_form.h"
#include "report/report_print.h"
#include "report_test_support.h"
#include "widget_test_support.h"

namespace {

// The dialog with its save and colour dialogs answered by the test.
class AnsweredReportSetup : public report::TReportSetup {
  public:
    using TReportSetup::progressPace_;
    using TReportSetup::SaveRequest;
    using TReportSetup::TReportSetup;

    std::deque<std::optional<QString>> saveAnswers;
    std::vector<SaveRequest> saveRequests;
    std::optional<QColor> colorAnswer;
    QColor colorStart;
    bool realSaveDialog = false;

    std::optional<QString> RunSaveDialog(const SaveRequest& request) override {
        if (realSaveDialog) {
            return TReportSetup::RunSaveDialog(request);
        }
        saveRequests.push_back(request);
        std::optional<QString> answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    std::optional<QColor> RunColorDialog(const QColor& start) override {
        colorStart = start;
        return colorAnswer;
    }

    // The printing dialogs and the two windows of a printed report, answered by the test.
    bool printAnswer = true;
    int printDialogs = 0;
    int setupDialogs = 0;
    std::function<void(report::TReportPrint&)> onReportPrint;
    std::function<void(report::TPreviewForm&)> onPreview;
    bool RunPrintDialog() override {
        ++printDialogs;
        return printAnswer;
    }
    bool RunPrinterSetupDialog() override {
        ++setupDialogs;
        return true;
    }
    void ShowReportPrint(report::TReportPrint& window) override { onReportPrint(window); }
    void ShowPreview(report::TPreviewForm& window) override { onPreview(window); }
};

class ReportSetupTest : public report_test::ReportStoreTest {
  protected:
    void SetUp() override {
        ReportStoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes.push_back(request);
            return ui::kIdOk;
        });
        OpenTasks(report_test::EveryKindOfTask());
    }
    void TearDown() override {
        ui::SetMessageBoxPresenter(previous_);
        ReportStoreTest::TearDown();
    }

    ui::FormPtr<AnsweredReportSetup> Create() {
        return ui::CreateForm<AnsweredReportSetup>(Store());
    }
    template <class T>
    static T* Child(QWidget* dialog, const char* name) {
        T* child = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    std::string Ini(const char* key) {
        return ini::ReadString(PathOf("QUILX.INI"), "Report", key, "<none>");
    }

    std::vector<ui::MessageBoxRequest> boxes;
    ui::test::ConnectionGuard guard_;

  private:
    ui::MessageBoxPresenter previous_;
};

TEST_F(ReportSetupTest, OpensOnFirstPageWithEveryControl) {
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Print Report"));
    EXPECT_EQ(dialog->size(), QSize(607, 421));
    auto* notebook = Child<QTabWidget>(dialog.get(), "Notebook1");
    ASSERT_EQ(notebook->count(), 4);
    EXPECT_EQ(notebook->currentIndex(), 0);
    const QStringList tabs = {QStringLiteral("Printed Report"), QStringLiteral("HTML Document"),
                              QStringLiteral("RTF File"), QStringLiteral("Text File")};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(notebook->tabText(i), tabs[i]);
    }
    for (const char* edit :
         {"ReportTitleField", "HTMLPageTitle", "RTFPageTitle", "TextPageTitle"}) {
        EXPECT_EQ(Child<QLineEdit>(dialog.get(), edit)->text(), QStringLiteral("Quillet"));
    }
    const std::pair<const char*, const char*> boxes[] = {
        {"PrintMemoBox", "Print Notes"},  {"PrintCheckBox", "Print Checkbox"},
        {"DoubleSpace", "Double Spaced"}, {"HTMLDoNotes", "Copy Notes"},
        {"RTFDoNotes", "Copy Notes"},     {"TextDoNotes", "Copy Notes"}};
    for (const auto& [name, text] : boxes) {
        auto* box = Child<QCheckBox>(dialog.get(), name);
        EXPECT_EQ(box->text(), QString::fromLatin1(text));
        EXPECT_FALSE(box->isChecked());
    }
    const std::tuple<const char*, const char*, bool> buttons[] = {
        {"PrintNow", "Print", true},
        {"Previewbutton", "Preview", true},
        {"PrintSetup", "Printer Setup", true},
        {"HTMLSaveAs", "Save As", true},
        {"SaveAsRTFClick", "Save As", true},
        {"SaveAsText", "Save As", true},
        {"ReturnButton", "Ok", true},
        {"Helpbutton", "Help", true},
        {"MouseHelpButton", "", true}};
    for (const auto& [name, caption, enabled] : buttons) {
        auto* button = Child<controls::TExplorerButton>(dialog.get(), name);
        EXPECT_EQ(button->caption(), QString::fromLatin1(caption));
        EXPECT_EQ(button->isEnabled(), enabled) << name;
    }
    auto* ok = Child<controls::TExplorerButton>(dialog.get(), "ReturnButton");
    EXPECT_TRUE(ok->isDefault() && ok->isCancel());
    auto* panel = Child<controls::TGraphicPanel>(dialog.get(), "ColorPanel");
    EXPECT_EQ(panel->caption(), QStringLiteral("Background Color (click to change)"));
    EXPECT_EQ(panel->color(), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(dialog->HTMLColor, "FFFF80");
    EXPECT_EQ(dialog->HTMLFilespec, PathOf("Todo.htm"));
}

// Without a printer the three printing buttons say so and do nothing else.
TEST_F(ReportSetupTest, PrintingWithoutPrintersSaysThereAreNone) {
    print::TReportDevice none;
    auto dialog = ui::CreateForm<AnsweredReportSetup>(Store(), nullptr, &none);
    dialog->onReportPrint = [](report::TReportPrint&) { FAIL() << "no run without a printer"; };
    dialog->PrintButtonClick();
    dialog->PreviewButtonClick();
    dialog->SetupButtonClick();
    ASSERT_EQ(boxes.size(), 3u);
    for (const ui::MessageBoxRequest& box : boxes) {
        EXPECT_EQ(box.text, QStringLiteral("There are no printers installed"));
        EXPECT_EQ(box.caption, QStringLiteral("Information"));
    }
    EXPECT_EQ(dialog->printDialogs + dialog->setupDialogs, 0);
}

// Preview: the status window runs the report with the task table's controls frozen, then the
// preview opens at the page width; afterwards the controls follow the table again and the
// record is where it was. Print: nothing when the print dialog is cancelled, else a PDF.
TEST_F(ReportSetupTest, DoPrintRunsTheReportThenPreviewsOrPrintsIt) {
    print::TReportDevice device;
    device.AddBackend(std::make_unique<print::PdfPrinter>());
    device.SetPrinterIndex(0);
    auto dialog = ui::CreateForm<AnsweredReportSetup>(Store(), nullptr, &device);
    const int record = Store().TodoEngine.RecordNumber();
    QString statusCaption;
    QString statusText;
    bool frozen = false;
    dialog->onReportPrint = [&](report::TReportPrint& window) {
        statusCaption = window.windowTitle();
        frozen = Store().TodoTable.ControlsDisabled();
        window.show();
        window.FormActivate();
        statusText = window.findChild<QLabel*>(QStringLiteral("Label1"))->text();
        window.CancelButtonClick();
    };
    double previewZoom = 0;
    double pageWidth = -1;
    QString previewCaption;
    dialog->onPreview = [&](report::TPreviewForm& window) {
        window.show();
        window.FormActivate();
        previewZoom = window.ZoomFactor();
        pageWidth = report::PageWidthZoom(window.Box());
        previewCaption = window.windowTitle();
        window.OkButtonClick();
    };
    dialog->PreviewButtonClick();
    EXPECT_FALSE(dialog->ToPrinter);
    EXPECT_EQ(dialog->printDialogs, 0);
    EXPECT_EQ(statusCaption, QStringLiteral("Preview Status"));
    EXPECT_TRUE(frozen);
    EXPECT_EQ(statusText, QStringLiteral("\nPreview Ready!"));
    EXPECT_DOUBLE_EQ(previewZoom, pageWidth);
    EXPECT_TRUE(previewCaption.startsWith(QStringLiteral("Preview Page 1 of 1 ( ")))
        << previewCaption.toStdString();
    EXPECT_FALSE(Store().TodoTable.ControlsDisabled());
    EXPECT_EQ(Store().TodoEngine.RecordNumber(), record);

    const std::string pdf = PathOf("report.pdf");
    device.Settings().outputFile = QString::fromStdString(pdf);
    dialog->onPreview = [](report::TPreviewForm&) { FAIL() << "printing shows no preview"; };
    dialog->printAnswer = false;
    statusCaption.clear();
    dialog->PrintButtonClick();
    EXPECT_TRUE(statusCaption.isEmpty());
    dialog->printAnswer = true;
    dialog->PrintButtonClick();
    EXPECT_EQ(dialog->printDialogs, 2);
    EXPECT_EQ(statusCaption, QStringLiteral("Print Status"));
    EXPECT_EQ(statusText, QStringLiteral("\nPrint Completed!"));
    EXPECT_TRUE(std::filesystem::exists(pdf));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ReportSetupTest, ColourFollowsTheColourDialog) {
    EXPECT_EQ(report::HtmlColorOf(0x80FFFF), "FFFF80");
    EXPECT_EQ(report::HtmlColorOf(0x563412), "123456");
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    dialog->colorAnswer = QColor(0x12, 0x34, 0xAB);
    dialog->ColorPanelClick();
    EXPECT_EQ(dialog->colorStart, QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(dialog->HTMLColor, "1234AB");
    EXPECT_EQ(Child<controls::TGraphicPanel>(dialog.get(), "ColorPanel")->color(),
              QColor(0x12, 0x34, 0xAB));
    dialog->colorAnswer.reset();  // Cancel keeps the colour
    dialog->ColorPanelClick();
    EXPECT_EQ(dialog->HTMLColor, "1234AB");
    // The colour is not kept: a new dialog starts pale yellow again.
    EXPECT_EQ(Create()->HTMLColor, "FFFF80");
}

// Each page's Save As: the save dialog's filter, folder, name and extension from the page's
// filespec; the file written with the page's title and notes choice; "Saved as"; and every
// setting kept, read back by the next dialog.
TEST_F(ReportSetupTest, SaveAsWritesTheFileAndKeepsTheSettings) {
    struct Case {
        const char* page;
        void (report::TReportSetup::*click)();
        const char* titleEdit;
        const char* notesBox;
        const char* filter;
        const char* suffix;
        const char* defaultName;
        const char* firstLine;
        const char* titleKey;
        const char* filespecKey;
    } cases[] = {
        {"HTML", &report::TReportSetup::HTMLSaveButtonClick, "HTMLPageTitle", "HTMLDoNotes",
         "HTM Document (*.htm)", "htm", "Todo.htm",
         "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">", "HTMLTitle", "HTMLFilespec"},
        {"RTF", &report::TReportSetup::RTFSaveButtonClick, "RTFPageTitle", "RTFDoNotes",
         "RTF Document (*.rtf)", "rtf", "Todo.rtf", "{\\rtf1\\ansi\\deff0\\deftab720", "RTFTitle",
         "RTFFilespec"},
        {"Text", &report::TReportSetup::TextSaveButtonClick, "TextPageTitle", "TextDoNotes",
         "Text File (*.txt)", "txt", "Todo.txt", "Caf\xE9 Text", "TextTitle", "TextFilespec"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        std::filesystem::remove(PathOf("QUILX.INI"));
        boxes.clear();
        ui::FormPtr<AnsweredReportSetup> dialog = Create();
        Child<QLineEdit>(dialog.get(), c.titleEdit)
            ->setText(QStringLiteral("Caf\u00e9 ") + QString::fromLatin1(c.page));
        Child<QCheckBox>(dialog.get(), c.notesBox)->setChecked(true);
        Child<QLineEdit>(dialog.get(), "ReportTitleField")->setText(QStringLiteral("Printed"));
        const QString chosen = QString::fromStdString(PathOf(std::string("out.") + c.suffix));
        dialog->saveAnswers = {chosen};
        (dialog.get()->*c.click)();

        ASSERT_EQ(dialog->saveRequests.size(), 1u);
        const auto& request = dialog->saveRequests[0];
        EXPECT_EQ(request.filter, QString::fromLatin1(c.filter));
        EXPECT_EQ(request.defaultSuffix, QString::fromLatin1(c.suffix));
        EXPECT_EQ(request.directory, QString::fromStdString(Dir()));
        EXPECT_EQ(request.fileName, QString::fromLatin1(c.defaultName));

        const std::string written = ReadFile(PathOf(std::string("out.") + c.suffix));
        EXPECT_EQ(written.substr(0, written.find("\r\n")), c.firstLine);
        EXPECT_NE(written.find("Call back"), std::string::npos);  // notes copied
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Information"));
        EXPECT_EQ(boxes[0].text, QStringLiteral("Saved as ") + chosen);

        EXPECT_EQ(Ini(c.titleKey), std::string("Caf\xE9 ") + c.page);
        EXPECT_EQ(Ini(c.filespecKey), chosen.toStdString());
        EXPECT_EQ(Ini("ReportTitle"), "Printed");
        for (const char* key : {"HTMLTitle", "RTFTitle", "TextTitle"}) {
            if (std::string(key) != c.titleKey) {
                EXPECT_EQ(Ini(key), "Quillet") << key;
            }
        }
        ui::FormPtr<AnsweredReportSetup> next = Create();
        EXPECT_EQ(Child<QLineEdit>(next.get(), c.titleEdit)->text(),
                  QStringLiteral("Caf\u00e9 ") + QString::fromLatin1(c.page));
        next->saveAnswers = {std::nullopt};
        (next.get()->*c.click)();
        EXPECT_EQ(next->saveRequests.at(0).fileName,
                  QString::fromLatin1("out.") + QString::fromLatin1(c.suffix));
    }
}

// A cancelled save dialog and a file that cannot be written keep nothing: no file, no
// "Saved as", no settings; the failure reaches the error box.
TEST_F(ReportSetupTest, CancelAndFailureKeepNothing) {
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    Child<QLineEdit>(dialog.get(), "HTMLPageTitle")->setText(QStringLiteral("Changed"));
    dialog->saveAnswers = {std::nullopt, QString::fromStdString(PathOf("gone/out.htm"))};
    dialog->HTMLSaveButtonClick();
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(Exists("QUILX.INI"));

    dialog->HTMLSaveButtonClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Icon(), ui::MessageIcon::Hand);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(PathOf("gone/out.htm"))));
    EXPECT_FALSE(Exists("QUILX.INI"));
    EXPECT_EQ(dialog->HTMLFilespec, PathOf("Todo.htm"));
}

// Settings copied from another system under a lower-case name are the ones read and kept.
TEST_F(ReportSetupTest, SettingsFileInAnotherLetterCaseIsTheOneUsed) {
    ini::WriteString(PathOf("quilx.ini"), "Report", "HTMLTitle", "Kept title");
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    EXPECT_EQ(Child<QLineEdit>(dialog.get(), "HTMLPageTitle")->text(),
              QStringLiteral("Kept title"));
    const QString chosen = QString::fromStdString(PathOf("out.htm"));
    dialog->saveAnswers = {chosen};
    dialog->HTMLSaveButtonClick();
    EXPECT_FALSE(Exists("QUILX.INI"));
    EXPECT_EQ(ini::ReadString(PathOf("quilx.ini"), "Report", "HTMLFilespec", ""),
              chosen.toStdString());
}

// The walk lets pending clicks through; a Save As clicked while an export runs is ignored
// rather than moving the table under the export, which would then end short.
TEST_F(ReportSetupTest, SaveAsDuringAnExportIsIgnored) {
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    const QString first = QString::fromStdString(PathOf("first.txt"));
    dialog->saveAnswers = {first, QString::fromStdString(PathOf("second.txt"))};
    QTimer::singleShot(0, dialog.get(), [&dialog] { dialog->TextSaveButtonClick(); });
    dialog->TextSaveButtonClick();
    EXPECT_EQ(dialog->saveRequests.size(), 1u);
    const std::string written = ReadFile(PathOf("first.txt"));
    EXPECT_NE(written.find("Wrap"), std::string::npos);  // the last task
    EXPECT_FALSE(Exists("second.txt"));
}

// An export that shows its progress window (here from its first task on) stops at Cancel, at
// Escape and at a close from the window's frame: the earlier file stays as it was, no new file
// is left beside it, nothing is said and no setting is kept. Until then the gauge counts the
// tasks written against the tasks the filter shows.
TEST_F(ReportSetupTest, CancelledExportKeepsTheEarlierFileAndSaysNothing) {
    const std::function<void(report::TExportProgress&)> cancels[] = {
        [](report::TExportProgress& window) {
            QTest::mouseClick(Child<QWidget>(&window, "CancelButton"), Qt::LeftButton);
        },
        [](report::TExportProgress& window) { QTest::keyClick(&window, Qt::Key_Escape); },
        [](report::TExportProgress& window) { window.close(); },
    };
    for (std::size_t i = 0; i < std::size(cancels); ++i) {
        SCOPED_TRACE(i);
        WriteFile(PathOf("out.txt"), "earlier");
        ui::FormPtr<AnsweredReportSetup> dialog = Create();
        dialog->progressPace_ = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
        dialog->saveAnswers = {QString::fromStdString(PathOf("out.txt"))};
        int shown = 0;
        QTimer::singleShot(0, dialog.get(), [&] {
            auto* window = dialog->findChild<report::TExportProgress*>();
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->Gauge1()->maxValue(), 5);
            EXPECT_EQ(window->Gauge1()->progress(), 1);
            ++shown;
            cancels[i](*window);
        });
        dialog->TextSaveButtonClick();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(dialog->findChild<report::TExportProgress*>(), nullptr);
        EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
        EXPECT_EQ(ReadFile(PathOf("out.txt")), "earlier");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), {}), 5)
            << "QUILX.DBF, .CDX, .FPT, QUILXID.DBF and out.txt alone";
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(Exists("QUILX.INI"));
        EXPECT_EQ(dialog->TextFilespec, PathOf("Todo.txt"));
    }
}

// Enter and Escape both press Ok, also from a title field.
TEST_F(ReportSetupTest, EnterAndEscapeCloseWithOk) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        ui::FormPtr<AnsweredReportSetup> dialog = Create();
        auto* edit = Child<QLineEdit>(dialog.get(), "ReportTitleField");
        ui::test::WhenModalShown([edit, key](QWidget*) { QTest::keyClick(edit, key); });
        EXPECT_EQ(dialog->ShowModal(), ui::kModalOk) << key;
    }
}

// The save dialog itself: the page's filter and extension, the filespec's folder and name.
TEST_F(ReportSetupTest, SaveDialogStartsFromTheFilespec) {
    ui::FormPtr<AnsweredReportSetup> dialog = Create();
    dialog->realSaveDialog = true;
    QStringList filters;
    QString suffix;
    QString folder;
    QStringList selected;
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* save = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(save, nullptr);
        filters = save->nameFilters();
        suffix = save->defaultSuffix();
        folder = save->directory().absolutePath();
        selected = save->selectedFiles();
        EXPECT_FALSE(save->testOption(QFileDialog::DontConfirmOverwrite));
        save->reject();
    });
    const std::optional<QString> answer = dialog->RunSaveDialog(
        {QStringLiteral("RTF Document (*.rtf)"), QString::fromStdString(Dir()),
         QStringLiteral("Todo.rtf"), QStringLiteral("rtf")});
    EXPECT_FALSE(answer.has_value());
    EXPECT_EQ(filters, QStringList{QStringLiteral("RTF Document (*.rtf)")});
    EXPECT_EQ(suffix, QStringLiteral("rtf"));
    EXPECT_EQ(folder + QLatin1Char('/'), QString::fromStdString(Dir()));
    EXPECT_EQ(selected, QStringList{QString::fromStdString(PathOf("Todo.rtf"))});
}

}  // namespace

QUILLET_UI_TEST_MAIN()
