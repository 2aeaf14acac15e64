// The system's printers as Qt reports them, what the printing dialogs offer and keep, the PDF
// file they offer, and the two dialogs driven as a person would.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/ini/profile.h"
#include "platform/print/paper.h"
#include "platform/print/pdf_printer.h"
#include "platform/print_system/device_choices.h"
#include "platform/print_system/pdf_file.h"
#include "platform/print_system/print_dialog.h"
#include "platform/print_system/printer_setup_dialog.h"
#include "platform/print_system/system_printers.h"
#include "widget_test_support.h"

namespace print {
namespace {

// Two office printers beside "Print to PDF".
class OfficePrinters : public PrinterBackend {
  public:
    std::vector<TReportDeviceItem> Printers() const override {
        return {
            {QStringLiteral("Hall"), QStringLiteral("Laser 5"), QStringLiteral("hall:631"), false},
            {QStringLiteral("Office"), QStringLiteral("Inkjet 2"), QStringLiteral("usb"), false}};
    }
    int DefaultPrinter() const override { return 0; }
    PrinterSettings DefaultSettings(int) const override {
        PrinterSettings settings;
        SetPaper(settings, QPageSize(QPageSize::A4));
        return settings;
    }
    std::vector<QPageSize> Papers(int index) const override {
        if (index == 1) {
            return {QPageSize(QPageSize::A4), QPageSize(QPageSize::A5)};
        }
        return {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter),
                QPageSize(QPageSize::Legal)};
    }
    PageGeometry Geometry(int, const PrinterSettings&) const override { return {}; }
    std::unique_ptr<PrintJob> Begin(int, const PrinterSettings&, const QString&,
                                    QString&) override {
        return nullptr;
    }
};

class PrintChoicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        device_.AddBackend(std::make_unique<OfficePrinters>());
        device_.AddBackend(std::make_unique<PdfPrinter>());
    }
    std::string Ini() const { return folder_.filePath(QStringLiteral("QUILX.INI")).toStdString(); }
    int Pdf() const { return device_.FindPrinter(QStringLiteral("Print to PDF")); }

    QTemporaryDir folder_;
    TReportDevice device_;
};

// With no print server there are no system printers, and "Print to PDF" is the printer;
// with one, its printers come first, each with a sound page.
TEST(SystemPrinters, ListWhatQtReportsThenPrintToPdf) {
    TReportDevice device;
    device.AddBackend(std::make_unique<SystemPrinters>());
    device.AddBackend(std::make_unique<PdfPrinter>());
    const QList<QPrinterInfo> known = QPrinterInfo::availablePrinters();
    const std::vector<TReportDeviceItem> printers = device.Printers();
    ASSERT_EQ(printers.size(), static_cast<std::size_t>(known.size()) + 1);
    EXPECT_EQ(printers.back().name, QStringLiteral("Print to PDF"));
    if (known.isEmpty()) {
        EXPECT_EQ(device.PrinterIndex(), 0);
    }
    for (int i = 0; i < known.size(); ++i) {
        device.SetPrinterIndex(i);
        const PageGeometry page = device.Geometry();
        EXPECT_GT(page.paperWidth, page.unprintableLeft + page.unprintableRight);
        EXPECT_GT(page.dpiX, 0);
    }
}

// What the print server is told for a document: its paper, copies with collation, sides and
// orientation.
TEST(SystemPrinters, JobOptionsSayTheSettings) {
    using Options = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* name;
        PrinterSettings settings;
        Options options;
    };
    PrinterSettings copies;
    copies.copies = 3;
    copies.collate = true;
    PrinterSettings turned;
    turned.orientation = Orientation::Landscape;
    turned.duplex = Duplex::ShortSide;
    turned.copies = 2;
    PrinterSettings longSide;
    longSide.duplex = Duplex::LongSide;
    const Case cases[] = {
        {"plain", PrinterSettings{}, {{"media", "A4"}, {"sides", "one-sided"}}},
        {"copies",
         copies,
         {{"media", "A4"}, {"copies", "3"}, {"Collate", "True"}, {"sides", "one-sided"}}},
        {"turned",
         turned,
         {{"media", "A4"},
          {"copies", "2"},
          {"Collate", "False"},
          {"sides", "two-sided-short-edge"},
          {"landscape", ""}}},
        {"long side", longSide, {{"media", "A4"}, {"sides", "two-sided-long-edge"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JobOptions(QPageSize(QPageSize::A4), c.settings), c.options) << c.name;
    }
}

TEST_F(PrintChoicesTest, ChoicesReachTheDeviceOnlyWhenApplied) {
    DeviceChoices choices(device_);
    EXPECT_EQ(choices.Printer(), 0);
    EXPECT_TRUE(choices.CopiesApply());
    EXPECT_EQ(choices.PaperNames().size(), 3);
    EXPECT_EQ(choices.Paper(), 0);  // A4

    choices.SetCopies(0);
    EXPECT_EQ(choices.Settings().copies, 1);
    choices.SetCopies(4000);
    EXPECT_EQ(choices.Settings().copies, 999);
    choices.SetCopies(3);
    choices.SetCollate(true);
    choices.ChoosePaper(2);  // Legal
    choices.SetOrientation(Orientation::Landscape);
    EXPECT_EQ(device_.Settings().copies, 1);  // not yet

    // Another printer shows its own settings and papers; "Hall" keeps nothing of the above
    // unless it is the printer applied.
    choices.ChoosePrinter(1);
    EXPECT_EQ(choices.Settings().copies, 1);
    EXPECT_EQ(choices.PaperNames().size(), 2);
    choices.ChoosePrinter(0);
    choices.SetCopies(3);
    choices.SetCollate(true);
    choices.ChoosePaper(2);
    choices.SetOrientation(Orientation::Landscape);
    choices.Apply();

    EXPECT_EQ(device_.PrinterIndex(), 0);
    const PrinterSettings& kept = device_.Settings();
    EXPECT_EQ(kept.copies, 3);
    EXPECT_TRUE(kept.collate);
    EXPECT_EQ(kept.paperSize, 5);
    EXPECT_EQ(kept.orientation, Orientation::Landscape);
    // The next dialog starts from them.
    DeviceChoices again(device_);
    EXPECT_EQ(again.Paper(), 2);
    EXPECT_EQ(again.Settings(), kept);

    // A printer that writes a file takes no copies.
    again.ChoosePrinter(Pdf());
    EXPECT_FALSE(again.CopiesApply());
}

TEST_F(PrintChoicesTest, PdfFileOfferedFromTheLastChoiceOrTheNewestExport) {
    // Nothing known: beside the settings file.
    EXPECT_EQ(OfferedPdfFile(Ini()).toStdString(),
              folder_.filePath(QStringLiteral("Quillet.pdf")).toStdString());

    // The newest export's folder; an export file that is gone does not count.
    QDir(folder_.path()).mkpath(QStringLiteral("old"));
    QDir(folder_.path()).mkpath(QStringLiteral("new"));
    const QString older = folder_.filePath(QStringLiteral("old/Todo.htm"));
    const QString newer = folder_.filePath(QStringLiteral("new/Todo.rtf"));
    for (const QString& name : {older, newer}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (name == older) {
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                         QFileDevice::FileModificationTime));
        }
    }
    ini::WriteString(Ini(), "Report", "HTMLFilespec", older.toStdString());
    ini::WriteString(Ini(), "Report", "RTFFilespec", newer.toStdString());
    ini::WriteString(Ini(), "Report", "TextFilespec",
                     folder_.filePath(QStringLiteral("gone/Todo.txt")).toStdString());
    EXPECT_EQ(OfferedPdfFile(Ini()).toStdString(),
              folder_.filePath(QStringLiteral("new/Quillet.pdf")).toStdString());

    // The file chosen last time wins.
    const QString chosen = folder_.filePath(QStringLiteral("old/List.pdf"));
    RememberPdfFile(Ini(), chosen);
    EXPECT_EQ(ini::ReadString(Ini(), "Report", "PdfFile", ""), chosen.toStdString());
    EXPECT_EQ(OfferedPdfFile(Ini()).toStdString(), chosen.toStdString());
}

// The print dialog with the save dialog answered by the test.
class AnsweredPrintDialog : public TPrintDialog {
  public:
    using TPrintDialog::TPrintDialog;
    std::optional<QString> answer;
    QString offered;

  protected:
    std::optional<QString> RunSaveDialog(const QString& start) override {
        offered = start;
        return answer;
    }
};

TEST_F(PrintChoicesTest, PrintDialogSetsCopiesAndAsksForThePdfFile) {
    const ui::test::ConnectionGuard guard;
    {
        ui::FormPtr<AnsweredPrintDialog> dialog =
            ui::CreateForm<AnsweredPrintDialog>(device_, Ini());
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("PrinterCombo"));
        auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("CopiesEdit"));
        auto* collate = dialog->findChild<QCheckBox*>(QStringLiteral("CollateCheck"));
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OkButton"));
        EXPECT_EQ(printers->count(), 3);
        EXPECT_EQ(printers->currentText(), QStringLiteral("Hall"));
        copies->setValue(2);
        collate->click();
        ok->click();
        EXPECT_EQ(dialog->ModalResult(), ui::kModalOk);
        EXPECT_EQ(device_.Settings().copies, 2);
        EXPECT_TRUE(device_.Settings().collate);
    }
    {
        ui::FormPtr<AnsweredPrintDialog> dialog =
            ui::CreateForm<AnsweredPrintDialog>(device_, Ini());
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("PrinterCombo"));
        auto* copiesGroup = dialog->findChild<QGroupBox*>(QStringLiteral("CopiesGroup"));
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OkButton"));
        EXPECT_EQ(dialog->findChild<QSpinBox*>(QStringLiteral("CopiesEdit"))->value(), 2);
        printers->setCurrentIndex(Pdf());
        Q_EMIT printers->activated(Pdf());
        EXPECT_FALSE(copiesGroup->isEnabled());

        // A cancelled save dialog leaves the print dialog open and the device as it was.
        ok->click();
        EXPECT_EQ(dialog->offered, folder_.filePath(QStringLiteral("Quillet.pdf")));
        EXPECT_EQ(dialog->ModalResult(), ui::kModalNone);
        EXPECT_EQ(device_.PrinterIndex(), 0);

        const QString file = folder_.filePath(QStringLiteral("Tasks.pdf"));
        dialog->answer = file;
        ok->click();
        EXPECT_EQ(dialog->ModalResult(), ui::kModalOk);
        EXPECT_EQ(device_.PrinterIndex(), Pdf());
        EXPECT_EQ(device_.Settings().outputFile, file);
        EXPECT_EQ(OfferedPdfFile(Ini()), file);
    }
    EXPECT_TRUE(guard.Warnings().isEmpty());
}

TEST_F(PrintChoicesTest, SetupDialogKeepsPaperAndOrientationOnOkOnly) {
    const ui::test::ConnectionGuard guard;
    for (const bool confirm : {false, true}) {
        ui::FormPtr<TPrinterSetupDialog> dialog = ui::CreateForm<TPrinterSetupDialog>(device_);
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("PrinterCombo"));
        auto* papers = dialog->findChild<QComboBox*>(QStringLiteral("PaperCombo"));
        printers->setCurrentIndex(1);
        Q_EMIT printers->activated(1);
        EXPECT_EQ(papers->count(), 2);
        papers->setCurrentIndex(1);
        Q_EMIT papers->activated(1);
        dialog->findChild<QRadioButton*>(QStringLiteral("LandscapeRadio"))->click();
        const char* button = confirm ? "OkButton" : "CancelButton";
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        EXPECT_EQ(dialog->ModalResult(), confirm ? ui::kModalOk : ui::kModalCancel);
        EXPECT_EQ(device_.PrinterIndex(), confirm ? 1 : 0);
        EXPECT_EQ(device_.Settings().paperName,
                  confirm ? QStringLiteral("A5") : QStringLiteral("A4"));
        EXPECT_EQ(device_.Settings().orientation,
                  confirm ? Orientation::Landscape : Orientation::Portrait);
    }
    // Shown again, the dialog starts from what was kept.
    ui::FormPtr<TPrinterSetupDialog> dialog = ui::CreateForm<TPrinterSetupDialog>(device_);
    EXPECT_EQ(dialog->findChild<QComboBox*>(QStringLiteral("PaperCombo"))->currentText(),
              QPageSize(QPageSize::A5).name());
    EXPECT_TRUE(dialog->findChild<QRadioButton*>(QStringLiteral("LandscapeRadio"))->isChecked());
    EXPECT_TRUE(guard.Warnings().isEmpty());
}

}  // namespace
}  // namespace print

QUILLET_UI_TEST_MAIN()
