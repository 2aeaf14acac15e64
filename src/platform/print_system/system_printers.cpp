// The print server's printers. Qt's print support lists them and gives each paper's printable
// area; a document is drawn into a temporary PDF laid out as the printer prints (the origin
// at the printable area's corner, as the device mapping expects) and handed to the print
// server only when it is finished. QPrinter itself cannot take a document back once it has
// begun: ending its painter always sends what was drawn, so an aborted report would still
// print its first pages.
#include "platform/print_system/system_printers.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>

#include <cups/cups.h>

#include "platform/print/page_turner.h"
#include "platform/print/paper.h"

namespace print {

namespace {

class PrinterJob : public PrintJob {
  public:
    PrinterJob(PrinterLayouts layouts, const QString& title)
        : layouts_(std::move(layouts)), title_(title), writer_(&file_), turner_(writer_) {}

    bool Open(QString& error) {
        file_.setFileTemplate(QDir::temp().filePath(QStringLiteral("quillet-print-XXXXXX.pdf")));
        if (!file_.open()) {
            error = QStringLiteral("Cannot make a temporary file to print: %1")
                        .arg(file_.errorString());
            return false;
        }
        writer_.setResolution(layouts_.Resolution());
        writer_.setTitle(title_);
        writer_.setCreator(QStringLiteral("Quillet"));
        return true;
    }

    QPainter* StartPage(const PrinterSettings& settings, QString& error) override {
        const QPageLayout layout = layouts_.For(settings);
        if (!turner_.Started()) {
            // The print server takes one paper and one set of options for the document.
            options_ = JobOptions(layout.pageSize(), settings);
        }
        return turner_.StartPage(layout, error);
    }

    bool Finish(QString& error) override {
        if (!turner_.Started()) {
            return true;  // nothing was output
        }
        if (!turner_.End() || !file_.flush()) {
            error = QStringLiteral("Cannot write the document for \"%1\": %2")
                        .arg(Name(), file_.errorString());
            return false;
        }
        std::vector<cups_option_t> options;
        for (auto& [name, value] : options_) {
            options.push_back({name.data(), value.data()});
        }
        // A printer's instance ("Office/duplex") keeps its own settings; the server knows the
        // queue by the name before the slash.
        const QByteArray queue = Name().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
        const int job = cupsPrintFile(
            queue.constData(), QFile::encodeName(file_.fileName()).constData(),
            title_.toLocal8Bit().constData(), static_cast<int>(options.size()), options.data());
        if (job == 0) {
            error = QStringLiteral("The document could not be sent to \"%1\": %2")
                        .arg(Name(), QString::fromLocal8Bit(cupsLastErrorString()));
            return false;
        }
        return true;
    }

    void Abandon() override { turner_.End(); }

  private:
    QString Name() const { return layouts_.Info().printerName(); }

    PrinterLayouts layouts_;
    QString title_;
    std::vector<std::pair<std::string, std::string>> options_;
    QTemporaryFile file_;  // removed with the job, once the print server has its copy
    QPdfWriter writer_;
    PageTurner turner_;
};

}  // namespace

QPageLayout PrinterLayouts::For(const PrinterSettings& settings) {
    const auto key = std::tuple(settings.paperName, settings.paperSize, settings.orientation);
    if (const auto known = known_.find(key); known != known_.end()) {
        return known->second;
    }
    const QList<QPageSize> offered = info_.supportedPageSizes();
    const QPageSize paper =
        FindPaper({offered.begin(), offered.end()}, settings).value_or(info_.defaultPageSize());
    QPrinter probe(info_, QPrinter::HighResolution);
    probe.setPageOrientation(LayoutOf(paper, settings).orientation());
    probe.setPageSize(paper);
    const QPageLayout layout = LayoutOf(paper, settings, probe.pageLayout().minimumMargins());
    known_.emplace(key, layout);
    return layout;
}

int PrinterLayouts::Resolution() {
    if (resolution_ == 0) {
        resolution_ = QPrinter(info_, QPrinter::HighResolution).resolution();
    }
    return resolution_;
}

std::vector<std::pair<std::string, std::string>> JobOptions(const QPageSize& paper,
                                                            const PrinterSettings& settings) {
    std::vector<std::pair<std::string, std::string>> options;
    options.emplace_back("media", paper.key().toStdString());
    if (settings.copies > 1) {
        options.emplace_back("copies", std::to_string(settings.copies));
        options.emplace_back("Collate", settings.collate ? "True" : "False");
    }
    const char* sides = settings.duplex == Duplex::LongSide    ? "two-sided-long-edge"
                        : settings.duplex == Duplex::ShortSide ? "two-sided-short-edge"
                                                               : "one-sided";
    options.emplace_back("sides", sides);
    if (settings.orientation == Orientation::Landscape) {
        options.emplace_back("landscape", "");
    }
    return options;
}

std::vector<TReportDeviceItem> SystemPrinters::Printers() const {
    listed_.clear();
    std::vector<TReportDeviceItem> items;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        listed_.emplace_back(info);
        items.push_back({info.printerName(), info.makeAndModel(), info.location(), false});
    }
    return items;
}

int SystemPrinters::DefaultPrinter() const {
    const QString name = QPrinterInfo::defaultPrinterName();
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        if (listed_[i].Info().printerName() == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

PrinterSettings SystemPrinters::DefaultSettings(int index) const {
    PrinterSettings settings;
    if (!Listed(index)) {
        return settings;
    }
    const QPrinterInfo& info = listed_[static_cast<std::size_t>(index)].Info();
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
    if (!Listed(index)) {
        return {};
    }
    const QList<QPageSize> offered =
        listed_[static_cast<std::size_t>(index)].Info().supportedPageSizes();
    return {offered.begin(), offered.end()};
}

PageGeometry SystemPrinters::Geometry(int index, const PrinterSettings& settings) const {
    if (!Listed(index)) {
        return {};
    }
    PrinterLayouts& layouts = listed_[static_cast<std::size_t>(index)];
    return GeometryOf(layouts.For(settings), layouts.Resolution(), layouts.Resolution());
}

// Each page reads the settings as it starts.
std::unique_ptr<PrintJob> SystemPrinters::Begin(int index, const PrinterSettings&,
                                                const QString& title, QString& error) {
    if (!Listed(index)) {
        error = QStringLiteral("The printer is no longer there.");
        return nullptr;
    }
    auto job = std::make_unique<PrinterJob>(listed_[static_cast<std::size_t>(index)], title);
    if (!job->Open(error)) {
        return nullptr;
    }
    return job;
}

void RegisterPrinters() {
    TReportDevice& device = TReportDevice::Instance();
    device.AddBackend(std::make_unique<SystemPrinters>());
    RegisterPdfPrinter();
}

}  // namespace print
