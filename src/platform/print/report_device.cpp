// The printing device: the printer list over the back ends, each printer's settings, and the
// document with its pages switched on and off.
#include "platform/print/report_device.h"

#include "platform/print/pdf_printer.h"

namespace print {

namespace {

// The painter state a report sets once and expects to find on every page.
void CarryState(const QPainter& from, QPainter& to) {
    to.setPen(from.pen());
    to.setBrush(from.brush());
    to.setFont(from.font());
    to.setBackground(from.background());
    to.setBackgroundMode(from.backgroundMode());
}

QString NotPrinting() {
    return QStringLiteral("Invalid method call.  Report is not printing.");
}

}  // namespace

TReportDevice::TReportDevice() = default;

TReportDevice::~TReportDevice() {
    Abort();
}

TReportDevice& TReportDevice::Instance() {
    static TReportDevice device;
    return device;
}

void RegisterPdfPrinter() {
    TReportDevice::Instance().AddBackend(std::make_unique<PdfPrinter>());
}

void TReportDevice::AddBackend(std::unique_ptr<PrinterBackend> backend) {
    backends_.push_back(std::move(backend));
    listed_ = false;
}

void TReportDevice::Refresh() {
    listed_ = false;
    List();
}

void TReportDevice::List() const {
    if (listed_) {
        return;
    }
    listed_ = true;
    entries_.clear();
    QString fallback;
    for (const std::unique_ptr<PrinterBackend>& backend : backends_) {
        const std::vector<TReportDeviceItem> items = backend->Printers();
        const int preferred = backend->DefaultPrinter();
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            entries_.push_back({backend.get(), i, items[static_cast<std::size_t>(i)]});
            if (fallback.isEmpty() && i == preferred) {
                fallback = items[static_cast<std::size_t>(i)].name;
            }
        }
    }
    if (FindPrinter(chosenName_) >= 0) {
        return;
    }
    if (fallback.isEmpty() && !entries_.empty()) {
        fallback = entries_.front().item.name;
    }
    chosenName_ = fallback;
}

std::vector<TReportDeviceItem> TReportDevice::Printers() const {
    List();
    std::vector<TReportDeviceItem> items;
    items.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        items.push_back(entry.item);
    }
    return items;
}

bool TReportDevice::HasPrinters() const {
    List();
    return !entries_.empty();
}

int TReportDevice::PrinterIndex() const {
    return FindPrinter(chosenName_);
}

void TReportDevice::SetPrinterIndex(int index) {
    List();
    // The printer of a running document stays until the document ends.
    if (job_ == nullptr && index >= 0 && index < static_cast<int>(entries_.size())) {
        chosenName_ = entries_[static_cast<std::size_t>(index)].item.name;
    }
}

int TReportDevice::FindPrinter(const QString& name) const {
    List();
    if (name.isEmpty()) {
        return -1;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].item.name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const TReportDevice::Entry* TReportDevice::Chosen() const {
    const int index = PrinterIndex();
    return index < 0 ? nullptr : &entries_[static_cast<std::size_t>(index)];
}

std::vector<QPageSize> TReportDevice::PapersOf(int index) const {
    List();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        return {};
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return entry.backend->Papers(entry.index);
}

PrinterSettings TReportDevice::SettingsOf(int index) const {
    List();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        return noPrinterSettings_;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    const auto kept = settings_.find(entry.item.name);
    return kept != settings_.end() ? kept->second : entry.backend->DefaultSettings(entry.index);
}

PrinterSettings& TReportDevice::Settings() {
    const Entry* chosen = Chosen();
    if (chosen == nullptr) {
        return noPrinterSettings_;
    }
    auto kept = settings_.find(chosen->item.name);
    if (kept == settings_.end()) {
        kept = settings_.emplace(chosen->item.name, chosen->backend->DefaultSettings(chosen->index))
                   .first;
    }
    return kept->second;
}

PageGeometry TReportDevice::Geometry() const {
    const Entry* chosen = Chosen();
    if (chosen == nullptr) {
        return PageGeometry{};
    }
    return chosen->backend->Geometry(chosen->index, SettingsOf(PrinterIndex()));
}

bool TReportDevice::BeginDoc(const QString& title, QString& error) {
    if (job_ != nullptr) {
        error = QStringLiteral("Invalid method call.  Report already printing.");
        return false;
    }
    const Entry* chosen = Chosen();
    if (chosen == nullptr) {
        error = QStringLiteral("No printers are defined, aborting print job.");
        return false;
    }
    job_ = chosen->backend->Begin(chosen->index, Settings(), title, error);
    return job_ != nullptr;
}

void TReportDevice::StartOutputPage() {
    if (pageStarted_ || !outputOn_ || !pageError_.isEmpty()) {
        return;
    }
    pagePainter_ = job_->StartPage(Settings(), pageError_);
    pageStarted_ = pagePainter_ != nullptr;
}

QPainter* TReportDevice::ScratchCanvas() {
    // Measuring on the scratch canvas must give what the printer gives.
    const PageGeometry geometry = Geometry();
    constexpr double kInchesPerMetre = 1 / 0.0254;
    const int dpmX = qRound(geometry.dpiX * kInchesPerMetre);
    const int dpmY = qRound(geometry.dpiY * kInchesPerMetre);
    if (scratchPainter_ == nullptr || scratch_.dotsPerMeterX() != dpmX ||
        scratch_.dotsPerMeterY() != dpmY) {
        scratchPainter_.reset();
        scratch_ = QImage(1, 1, QImage::Format_RGB32);
        scratch_.setDotsPerMeterX(dpmX);
        scratch_.setDotsPerMeterY(dpmY);
        scratchPainter_ = std::make_unique<QPainter>(&scratch_);
    }
    return scratchPainter_.get();
}

QPainter* TReportDevice::Canvas() {
    if (job_ == nullptr) {
        return nullptr;
    }
    QPainter* painter = nullptr;
    if (outputOn_) {
        StartOutputPage();
        painter = pagePainter_;
    } else {
        painter = ScratchCanvas();
    }
    if (painter != nullptr && lastCanvas_ != nullptr && painter != lastCanvas_) {
        CarryState(*lastCanvas_, *painter);
    }
    if (painter != nullptr) {
        lastCanvas_ = painter;
    }
    return painter;
}

void TReportDevice::SetOutputEnabled(bool on) {
    outputOn_ = on;
}

bool TReportDevice::NewPage(QString& error) {
    if (job_ == nullptr) {
        error = NotPrinting();
        return false;
    }
    // A page whose output is on is printed even when nothing was drawn on it.
    StartOutputPage();
    if (!pageError_.isEmpty()) {
        error = pageError_;
        return false;
    }
    pageStarted_ = false;
    return true;
}

bool TReportDevice::EndDoc(QString& error) {
    if (job_ == nullptr) {
        error = NotPrinting();
        return false;
    }
    StartOutputPage();
    bool ok = false;
    if (pageError_.isEmpty()) {
        ok = job_->Finish(error);
    } else {
        job_->Abandon();
        error = pageError_;
    }
    EndJob();
    return ok;
}

void TReportDevice::Abort() {
    if (job_ != nullptr) {
        job_->Abandon();
        EndJob();
    }
}

void TReportDevice::EndJob() {
    scratchPainter_.reset();
    lastCanvas_ = nullptr;
    pagePainter_ = nullptr;
    job_.reset();
    pageStarted_ = false;
    pageError_.clear();
    outputOn_ = true;
}

}  // namespace print
