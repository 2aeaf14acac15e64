// The print server's printers on QPrinter: the settings become the printer's, its minimum
// margins become the unprintable borders, and the painter's origin is the printable area's
// corner, as the device mapping expects.
#include "platform/print_system/system_printers.h"

#include <QPrinter>

#include "platform/print/page_turner.h"
#include "platform/print/paper.h"

namespace print {

namespace {

QPrinter::DuplexMode DuplexOf(Duplex duplex) {
    switch (duplex) {
        case Duplex::LongSide:
            return QPrinter::DuplexLongSide;
        case Duplex::ShortSide:
            return QPrinter::DuplexShortSide;
        case Duplex::Simplex:
            break;
    }
    return QPrinter::DuplexNone;
}

// The layout `printer` prints `settings` with: the paper it takes, turned, with the margins
// it cannot print on.
QPageLayout LayoutOn(const QPrinterInfo& info, const PrinterSettings& settings) {
    const QList<QPageSize> offered = info.supportedPageSizes();
    const QPageSize paper = FindPaper({offered.begin(), offered.end()}, settings)
                                .value_or(info.defaultPageSize());
    QPrinter probe(info, QPrinter::HighResolution);
    probe.setPageSize(paper);
    return LayoutOf(paper, settings, probe.pageLayout().minimumMargins());
}

void Apply(QPrinter& printer, const QPrinterInfo& info, const PrinterSettings& settings) {
    printer.setPageLayout(LayoutOn(info, settings));
    printer.setCopyCount(settings.copies);
    printer.setCollateCopies(settings.collate);
    printer.setDuplex(DuplexOf(settings.duplex));
}

class PrinterJob : public PrintJob {
  public:
    PrinterJob(const QPrinterInfo& info, const PrinterSettings& settings, const QString& title)
        : info_(info), printer_(info, QPrinter::HighResolution), turner_(printer_) {
        Apply(printer_, info_, settings);
        printer_.setDocName(title);
        printer_.setCreator(QStringLiteral("Quillet"));
    }

    QPainter* StartPage(const PrinterSettings& settings, QString& error) override {
        return turner_.StartPage(LayoutOn(info_, settings), error);
    }

    bool Finish(QString& error) override {
        if (!turner_.End() || printer_.printerState() == QPrinter::Error) {
            error = QStringLiteral("The document could not be sent to \"%1\".")
                        .arg(info_.printerName());
            return false;
        }
        return true;
    }

    void Abandon() override {
        if (turner_.Started()) {
            printer_.abort();
        }
        turner_.End();
    }

  private:
    QPrinterInfo info_;
    QPrinter printer_;
    PageTurner turner_;
};

}  // namespace

std::vector<TReportDeviceItem> SystemPrinters::Printers() const {
    listed_ = QPrinterInfo::availablePrinters();
    std::vector<TReportDeviceItem> items;
    for (const QPrinterInfo& info : listed_) {
        items.push_back({info.printerName(), info.makeAndModel(), info.location(), false});
    }
    return items;
}

int SystemPrinters::DefaultPrinter() const {
    const QString name = QPrinterInfo::defaultPrinterName();
    for (int i = 0; i < listed_.size(); ++i) {
        if (listed_[i].printerName() == name) {
            return i;
        }
    }
    return -1;
}

PrinterSettings SystemPrinters::DefaultSettings(int index) const {
    PrinterSettings settings;
    if (index < 0 || index >= listed_.size()) {
        return settings;
    }
    const QPrinterInfo& info = listed_[index];
    SetPaper(settings, info.defaultPageSize());
    switch (info.defaultDuplexMode()) {
        case QPrinter::DuplexLongSide:
            settings.duplex = Duplex::LongSide;
            break;
        case QPrinter::DuplexShortSide:
            settings.duplex = Duplex::ShortSide;
            break;
        default:
            break;
    }
    return settings;
}

std::vector<QPageSize> SystemPrinters::Papers(int index) const {
    if (index < 0 || index >= listed_.size()) {
        return {};
    }
    const QList<QPageSize> offered = listed_[index].supportedPageSizes();
    return {offered.begin(), offered.end()};
}

PageGeometry SystemPrinters::Geometry(int index, const PrinterSettings& settings) const {
    if (index < 0 || index >= listed_.size()) {
        return {};
    }
    QPrinter printer(listed_[index], QPrinter::HighResolution);
    Apply(printer, listed_[index], settings);
    return GeometryOf(printer.pageLayout(), printer.resolution(), printer.resolution());
}

std::unique_ptr<PrintJob> SystemPrinters::Begin(int index, const PrinterSettings& settings,
                                                const QString& title, QString& error) {
    if (index < 0 || index >= listed_.size()) {
        error = QStringLiteral("The printer is no longer there.");
        return nullptr;
    }
    return std::make_unique<PrinterJob>(listed_[index], settings, title);
}

void RegisterPrinters() {
    TReportDevice& device = TReportDevice::Instance();
    device.AddBackend(std::make_unique<SystemPrinters>());
    RegisterPdfPrinter();
}

}  // namespace print
