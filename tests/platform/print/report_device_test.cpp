// The printing device: the printer list and each printer's settings, the geometry with and
// without a printer, and documents on the "Print to PDF" printer read back with poppler's
// tools: pages switched off never appear, each page has its paper, an abort leaves no file.
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/print/paper.h"
#include "platform/print/pdf_printer.h"
#include "platform/print/report_device.h"

namespace print {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A poppler tool's standard output; the test fails when the tool is missing or fails.
QString RunTool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    EXPECT_TRUE(process.waitForFinished()) << tool.toStdString() << " did not run";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page of a PDF, trimmed.
std::vector<std::string> PageTexts(const QString& pdf) {
    QStringList pages =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    pages.removeLast();  // the form feed ends the last page too
    std::vector<std::string> texts;
    for (const QString& page : pages) {
        texts.push_back(page.trimmed().toStdString());
    }
    return texts;
}

// "612 x 792" for each page of a PDF, in points.
std::vector<std::string> PageSizes(const QString& pdf) {
    const QString info =
        RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("99"), pdf});
    std::vector<std::string> sizes;
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Page")) && line.contains(QLatin1String("size:"))) {
            const QStringList words =
                line.section(QLatin1String("size:"), 1).simplified().split(QLatin1Char(' '));
            sizes.push_back(std::to_string(qRound(words.value(0).toDouble())) + " x " +
                            std::to_string(qRound(words.value(2).toDouble())));
        }
    }
    return sizes;
}

// Where pdftotext finds `word` on a page: its left edge and its bottom, in points.
QPointF WordPlace(const QString& pdf, int page, const QString& word) {
    const QString number = QString::number(page);
    const QString html = RunTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                                  QStringLiteral("-l"), number, pdf, QStringLiteral("-")});
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral(">%1</word>").arg(word))) {
            auto attribute = [&](const char* name) {
                return line.section(QLatin1String(name) + QLatin1String("=\""), 1)
                    .section(QLatin1Char('"'), 0, 0)
                    .toDouble();
            };
            return {attribute("xMin"), attribute("yMax")};
        }
    }
    ADD_FAILURE() << word.toStdString() << " not found on page " << page;
    return {};
}

class ReportDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        device_.AddBackend(std::make_unique<PdfPrinter>());
        device_.Settings().outputFile = PdfFile();
        SetPaper(device_.Settings(), QPageSize(QPageSize::Letter));
    }

    QString PdfFile() const { return folder_.filePath(QStringLiteral("out.pdf")); }

    // Draws "page N" on each page, its output switched as `output` says ('1' on, '0' off).
    void PrintPages(const std::string& output) {
        QString error;
        ASSERT_TRUE(device_.BeginDoc(QStringLiteral("Pages"), error)) << error.toStdString();
        for (std::size_t i = 0; i < output.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(device_.NewPage(error)) << error.toStdString();
            }
            device_.SetOutputEnabled(output[i] == '1');
            QPainter* canvas = device_.Canvas();
            ASSERT_NE(canvas, nullptr);
            canvas->drawText(600, 1200, QStringLiteral("page %1").arg(i + 1));
        }
        ASSERT_TRUE(device_.EndDoc(error)) << error.toStdString();
    }

    QTemporaryDir folder_;
    TReportDevice device_;
};

TEST(ReportDeviceNoPrinter, IsLetterAt96DotsAndPrintsNothing) {
    TReportDevice device;
    EXPECT_FALSE(device.HasPrinters());
    EXPECT_EQ(device.PrinterIndex(), -1);
    EXPECT_EQ(device.Geometry(), PageGeometry({8.5, 11, 0, 0, 0, 0, 96, 96}));
    QString error;
    EXPECT_FALSE(device.BeginDoc(QStringLiteral("Report"), error));
    EXPECT_EQ(error, QStringLiteral("No printers are defined, aborting print job."));
    EXPECT_EQ(device.Canvas(), nullptr);
    EXPECT_FALSE(device.EndDoc(error));
    EXPECT_EQ(error, QStringLiteral("Invalid method call.  Report is not printing."));
}

TEST_F(ReportDeviceTest, PdfGeometryFollowsPaperAndOrientation) {
    EXPECT_EQ(device_.Geometry(), PageGeometry({8.5, 11, 0, 0, 0, 0, 1200, 1200}));
    SetPaper(device_.Settings(), QPageSize(QPageSize::A4));
    device_.Settings().orientation = Orientation::Landscape;
    const PageGeometry a4 = device_.Geometry();
    EXPECT_NEAR(a4.paperWidth, 297 / 25.4, 0.01);
    EXPECT_NEAR(a4.paperHeight, 210 / 25.4, 0.01);
    // A code alone (as a stream's header gives it) finds its paper.
    device_.Settings().paperName.clear();
    device_.Settings().paperSize = 5;  // Legal
    device_.Settings().orientation = Orientation::Portrait;
    EXPECT_NEAR(device_.Geometry().paperHeight, 14, 0.01);
}

TEST_F(ReportDeviceTest, PagesWhoseOutputIsOffNeverReachThePdf) {
    struct Case {
        std::string output;
        std::vector<std::string> printed;
    };
    const Case cases[] = {
        {"111", {"page 1", "page 2", "page 3"}},
        {"0101", {"page 2", "page 4"}},
        {"0001", {"page 4"}},
        {"1000", {"page 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        PrintPages(c.output);
        EXPECT_THAT(PageTexts(PdfFile()), ElementsAreArray(c.printed));
    }
}

TEST_F(ReportDeviceTest, DocumentWithEveryPageOffWritesNoFile) {
    PrintPages("000");
    EXPECT_FALSE(QFile::exists(PdfFile()));
}

TEST_F(ReportDeviceTest, PageWithOutputOnIsPrintedEvenWhenBlank) {
    QString error;
    ASSERT_TRUE(device_.BeginDoc(QStringLiteral("Blank"), error));
    ASSERT_TRUE(device_.NewPage(error));
    device_.Canvas()->drawText(600, 1200, QStringLiteral("second"));
    ASSERT_TRUE(device_.EndDoc(error));
    EXPECT_THAT(PageTexts(PdfFile()), ElementsAre("", "second"));
}

TEST_F(ReportDeviceTest, EachPageHasThePaperOfItsSettings) {
    QString error;
    ASSERT_TRUE(device_.BeginDoc(QStringLiteral("Papers"), error));
    device_.Canvas()->drawText(600, 1200, QStringLiteral("letter"));
    ASSERT_TRUE(device_.NewPage(error));
    SetPaper(device_.Settings(), QPageSize(QPageSize::A4));
    device_.Settings().orientation = Orientation::Landscape;
    device_.Canvas()->drawText(600, 1200, QStringLiteral("a4 across"));
    ASSERT_TRUE(device_.EndDoc(error));
    EXPECT_THAT(PageSizes(PdfFile()), ElementsAre("612 x 792", "842 x 595"));
    EXPECT_THAT(PageTexts(PdfFile()), ElementsAre("letter", "a4 across"));
    // Half an inch from the left edge, the baseline an inch down (the descent below it).
    for (const auto& [page, word] : {std::pair{1, "letter"}, std::pair{2, "a4"}}) {
        const QPointF place = WordPlace(PdfFile(), page, QString::fromLatin1(word));
        EXPECT_NEAR(place.x(), 36, 1.5) << word;
        EXPECT_NEAR(place.y(), 72, 4) << word;
    }
}

// A skipped page is laid out on a scratch canvas: its measures and the state the report set
// there must be those of the printer.
TEST_F(ReportDeviceTest, ScratchCanvasMeasuresAsThePrinterAndHandsItsStateOn) {
    QString error;
    ASSERT_TRUE(device_.BeginDoc(QStringLiteral("Measure"), error));
    device_.SetOutputEnabled(false);
    QPainter* scratch = device_.Canvas();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(167);
    scratch->setFont(font);
    scratch->setPen(QPen(Qt::red, 7));
    const double skippedWidth = QFontMetricsF(scratch->font(), scratch->device())
                                    .horizontalAdvance(QStringLiteral("Quillet report"));
    ASSERT_TRUE(device_.NewPage(error));
    device_.SetOutputEnabled(true);
    QPainter* page = device_.Canvas();
    ASSERT_NE(page, scratch);
    EXPECT_EQ(page->font().pixelSize(), 167);
    EXPECT_EQ(page->pen(), QPen(Qt::red, 7));
    EXPECT_DOUBLE_EQ(QFontMetricsF(page->font(), page->device())
                         .horizontalAdvance(QStringLiteral("Quillet report")),
                     skippedWidth);
    EXPECT_EQ(page->device()->logicalDpiX(), scratch->device()->logicalDpiX());
    ASSERT_TRUE(device_.EndDoc(error));
}

TEST_F(ReportDeviceTest, AbortLeavesAnEarlierFileAsItWasAndNothingElse) {
    PrintPages("1");
    QFile earlier(PdfFile());
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    const QByteArray before = earlier.readAll();
    earlier.close();

    QString error;
    ASSERT_TRUE(device_.BeginDoc(QStringLiteral("Aborted"), error));
    device_.Canvas()->drawText(600, 1200, QStringLiteral("half"));
    ASSERT_TRUE(device_.NewPage(error));
    device_.Canvas()->drawText(600, 1200, QStringLiteral("done"));
    device_.Abort();
    EXPECT_FALSE(device_.Active());
    EXPECT_EQ(device_.Canvas(), nullptr);

    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), before);
    EXPECT_THAT(QDir(folder_.path()).entryList(QDir::Files),
                ElementsAre(QStringLiteral("out.pdf")));
    // The device is ready for the next document.
    PrintPages("1");
    EXPECT_THAT(PageTexts(PdfFile()), ElementsAre("page 1"));
}

TEST_F(ReportDeviceTest, FileThatCannotBeCreatedFailsTheStart) {
    device_.Settings().outputFile = folder_.filePath(QStringLiteral("missing/out.pdf"));
    QString error;
    EXPECT_FALSE(device_.BeginDoc(QStringLiteral("Nowhere"), error));
    EXPECT_THAT(error.toStdString(), ::testing::StartsWith("Cannot create "));
    EXPECT_FALSE(device_.Active());
    device_.Settings().outputFile.clear();
    EXPECT_FALSE(device_.BeginDoc(QStringLiteral("Nowhere"), error));
    EXPECT_EQ(error, QStringLiteral("No file was chosen for \"Print to PDF\"."));
}

TEST_F(ReportDeviceTest, SecondDocumentWhileOneRunsIsRefused) {
    QString error;
    ASSERT_TRUE(device_.BeginDoc(QStringLiteral("One"), error));
    EXPECT_FALSE(device_.BeginDoc(QStringLiteral("Two"), error));
    EXPECT_EQ(error, QStringLiteral("Invalid method call.  Report already printing."));
    device_.Abort();
}

// Two printers that come and go: each keeps its settings, and the chosen one stays chosen
// while it is listed.
class ShelfPrinters : public PrinterBackend {
  public:
    std::vector<TReportDeviceItem>* listed;
    int preferred = -1;
    std::vector<TReportDeviceItem> Printers() const override { return *listed; }
    int DefaultPrinter() const override { return preferred; }
    PrinterSettings DefaultSettings(int) const override {
        PrinterSettings settings;
        SetPaper(settings, QPageSize(QPageSize::A5));
        return settings;
    }
    std::vector<QPageSize> Papers(int) const override { return {QPageSize(QPageSize::A5)}; }
    PageGeometry Geometry(int, const PrinterSettings&) const override {
        return {5.83, 8.27, 0.25, 0.25, 0.25, 0.25, 600, 600};
    }
    std::unique_ptr<PrintJob> Begin(int, const PrinterSettings&, const QString&,
                                    QString& error) override {
        error = QStringLiteral("offline");
        return nullptr;
    }
};

TEST(ReportDeviceChoice, PrintersKeepTheirSettingsAndTheChosenOneStays) {
    std::vector<TReportDeviceItem> shelf = {{QStringLiteral("Hall"), {}, {}, false},
                                            {QStringLiteral("Office"), {}, {}, false}};
    auto system = std::make_unique<ShelfPrinters>();
    system->listed = &shelf;
    system->preferred = 1;
    TReportDevice device;
    device.AddBackend(std::move(system));
    device.AddBackend(std::make_unique<PdfPrinter>());

    // The print system's default is chosen; "Print to PDF" comes last.
    ASSERT_EQ(device.Printers().size(), 3u);
    EXPECT_EQ(device.Printers()[2].name, QStringLiteral("Print to PDF"));
    EXPECT_TRUE(device.Printers()[2].writesFile);
    EXPECT_EQ(device.PrinterIndex(), 1);
    EXPECT_EQ(device.Settings().paperName, QStringLiteral("A5"));
    EXPECT_EQ(device.Geometry().dpiX, 600);

    device.Settings().copies = 3;
    device.Settings().orientation = Orientation::Landscape;
    device.SetPrinterIndex(device.FindPrinter(QStringLiteral("Print to PDF")));
    device.Settings().copies = 1;
    EXPECT_EQ(device.Geometry().dpiX, kPdfResolution);
    device.SetPrinterIndex(1);
    EXPECT_EQ(device.Settings().copies, 3);
    EXPECT_EQ(device.Settings().orientation, Orientation::Landscape);
    EXPECT_EQ(device.SettingsOf(0).paperName, QStringLiteral("A5"));

    // "Hall" goes away: "Office" stays chosen at its new place.
    shelf.erase(shelf.begin());
    device.Refresh();
    EXPECT_EQ(device.PrinterIndex(), 0);
    EXPECT_EQ(device.Settings().copies, 3);
    // "Office" goes away too: the chosen printer falls to the first one listed.
    shelf.clear();
    device.Refresh();
    EXPECT_EQ(device.PrinterIndex(), 0);
    EXPECT_EQ(device.Printers()[0].name, QStringLiteral("Print to PDF"));

    // A printer that refuses the document gives its reason.
    shelf = {{QStringLiteral("Office"), {}, {}, false}};
    device.Refresh();
    device.SetPrinterIndex(0);
    QString error;
    EXPECT_FALSE(device.BeginDoc(QStringLiteral("Refused"), error));
    EXPECT_EQ(error, QStringLiteral("offline"));
}

// Britain measures in inches, yet its paper is A4.
TEST(PdfPrinterPaper, LetterOnlyWhereTheLocaleIsAmerican) {
    const QLocale before;
    for (const auto& [locale, paper] :
         {std::pair{"en_US", "Letter"}, std::pair{"en_GB", "A4"}, std::pair{"de_DE", "A4"}}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        EXPECT_EQ(PdfPrinter().DefaultSettings(0).paperName.toStdString(), paper) << locale;
    }
    QLocale::setDefault(before);
}

// A stream's header gives the page in inches as it lies.
TEST(Paper, FromInchesAStandardPaperTurnedOrACustomOne) {
    struct Case {
        double width, height;
        int code;
        Orientation orientation;
    };
    const Case cases[] = {
        {8.5, 11, 1, Orientation::Portrait},
        {297 / 25.4, 210 / 25.4, 9, Orientation::Landscape},
        {8.5, 14, 5, Orientation::Portrait},
        {5, 7, kCustomPaperCode, Orientation::Portrait},
        {9, 6, kCustomPaperCode, Orientation::Landscape},
    };
    for (const Case& c : cases) {
        PrinterSettings settings;
        SetPaperInches(settings, c.width, c.height);
        EXPECT_EQ(settings.paperSize, c.code) << c.width << " x " << c.height;
        EXPECT_EQ(settings.orientation, c.orientation) << c.width << " x " << c.height;
        // "Print to PDF" prints on it as given.
        const PageGeometry page = PdfPrinter().Geometry(0, settings);
        EXPECT_NEAR(page.paperWidth, c.width, 0.01);
        EXPECT_NEAR(page.paperHeight, c.height, 0.01);
    }
}

TEST(Paper, FoundByKeyThenByCode) {
    const std::vector<QPageSize> offered = {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4)};
    PrinterSettings settings;
    SetPaper(settings, QPageSize(QPageSize::A4));
    EXPECT_EQ(settings.paperSize, 9);
    EXPECT_EQ(FindPaper(offered, settings)->id(), QPageSize::A4);
    settings.paperName = QStringLiteral("Unknown");
    settings.paperSize = 1;
    EXPECT_EQ(FindPaper(offered, settings)->id(), QPageSize::Letter);
    settings.paperSize = 5;
    EXPECT_FALSE(FindPaper(offered, settings).has_value());
    SetPaper(settings, QPageSize(QSizeF(100, 150), QPageSize::Millimeter));
    EXPECT_EQ(settings.paperSize, kCustomPaperCode);
}

}  // namespace
}  // namespace print

int main(int argc, char** argv) {
    // Listing the tests happens without the test's environment, and needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
