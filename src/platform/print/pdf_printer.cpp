// The "Print to PDF" printer on QPdfWriter. The document goes to a temporary file beside the
// chosen one, which replaces it only when the document is finished: an aborted or failed
// print leaves an earlier file of that name as it was and no half-written one.
#include "platform/print/pdf_printer.h"

#include <QDir>
#include <QLocale>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/print/page_turner.h"
#include "platform/print/paper.h"

namespace print {

namespace {

std::vector<QPageSize> OfferedPapers() {
    const QPageSize::PageSizeId ids[] = {
        QPageSize::Letter,     QPageSize::Legal,      QPageSize::Executive, QPageSize::Tabloid,
        QPageSize::A3,         QPageSize::A4,         QPageSize::A5,        QPageSize::B5,
        QPageSize::Envelope10, QPageSize::EnvelopeDL, QPageSize::EnvelopeC5};
    std::vector<QPageSize> papers;
    for (QPageSize::PageSizeId id : ids) {
        papers.emplace_back(id);
    }
    return papers;
}

// A PDF takes any paper; one it does not list (from a stream, say) is taken by its code or
// its size.
QPageSize PaperOf(const PrinterSettings& settings) {
    if (const std::optional<QPageSize> listed = FindPaper(OfferedPapers(), settings)) {
        return *listed;
    }
    if (settings.paperSize == kCustomPaperCode && settings.customWidth > 0 &&
        settings.customHeight > 0) {
        return QPageSize(QSizeF(settings.customWidth, settings.customHeight), QPageSize::Inch);
    }
    const QPageSize byCode(QPageSize::id(settings.paperSize));
    return byCode.isValid() && byCode.id() != QPageSize::Custom ? byCode
                                                                : QPageSize(QPageSize::Letter);
}

class PdfJob : public PrintJob {
  public:
    explicit PdfJob(const QString& fileName) : file_(fileName), writer_(&file_), turner_(writer_) {}

    bool Open(const QString& title, QString& error) {
        // A document nobody finished must never replace the file.
        file_.setDirectWriteFallback(false);
        if (!file_.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("Cannot create \"%1\": %2")
                        .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
            return false;
        }
        writer_.setResolution(kPdfResolution);
        writer_.setTitle(title);
        writer_.setCreator(QStringLiteral("Quillet"));
        return true;
    }

    QPainter* StartPage(const PrinterSettings& settings, QString& error) override {
        return turner_.StartPage(LayoutOf(PaperOf(settings), settings), error);
    }

    bool Finish(QString& error) override {
        if (!turner_.Started()) {
            // No page was output: there is nothing to keep.
            file_.cancelWriting();
            return true;
        }
        if (!turner_.End() || !file_.commit()) {
            error = QStringLiteral("Cannot write \"%1\": %2")
                        .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
            return false;
        }
        return true;
    }

    void Abandon() override {
        turner_.End();
        file_.cancelWriting();
    }

  private:
    QSaveFile file_;
    QPdfWriter writer_;
    PageTurner turner_;
};

}  // namespace

std::vector<TReportDeviceItem> PdfPrinter::Printers() const {
    return {{QString::fromLatin1(kPdfPrinterName), QStringLiteral("PDF"), QStringLiteral("File"),
             true}};
}

PrinterSettings PdfPrinter::DefaultSettings(int) const {
    PrinterSettings settings;
    // Britain measures in inches but prints on A4.
    const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    SetPaper(settings, QPageSize(letter ? QPageSize::Letter : QPageSize::A4));
    return settings;
}

std::vector<QPageSize> PdfPrinter::Papers(int) const {
    return OfferedPapers();
}

PageGeometry PdfPrinter::Geometry(int, const PrinterSettings& settings) const {
    return GeometryOf(LayoutOf(PaperOf(settings), settings), kPdfResolution, kPdfResolution);
}

std::unique_ptr<PrintJob> PdfPrinter::Begin(int, const PrinterSettings& settings,
                                            const QString& title, QString& error) {
    if (settings.outputFile.isEmpty()) {
        error = QStringLiteral("No file was chosen for \"%1\".")
                    .arg(QString::fromLatin1(kPdfPrinterName));
        return nullptr;
    }
    auto job = std::make_unique<PdfJob>(settings.outputFile);
    if (!job->Open(title, error)) {
        return nullptr;
    }
    return job;
}

}  // namespace print
