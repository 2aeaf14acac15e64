// The program's printing device as a report printer's target.
#include "report/draw/device_target.h"

#include "platform/print/report_device.h"
#include "rtl/ansi.h"

namespace report {
namespace {

std::string ToAnsi(const QString& text) {
    return rtl::Utf8ToAnsi(text.toStdString());
}

xbase::Status Answer(bool ok, const QString& error) {
    if (ok)
        return {};
    return {xbase::ErrorCode::kWriteFailed, ToAnsi(error)};
}

}  // namespace

bool DeviceTarget::HasPrinters() const {
    return device_.HasPrinters();
}

DeviceNames DeviceTarget::Names() const {
    const int index = device_.PrinterIndex();
    const auto printers = device_.Printers();
    if (index < 0 || index >= static_cast<int>(printers.size()))
        return {};
    const print::TReportDeviceItem& item = printers[static_cast<std::size_t>(index)];
    return {ToAnsi(item.name), ToAnsi(item.driver), ToAnsi(item.port)};
}

DeviceGeometry DeviceTarget::Geometry() const {
    const print::PageGeometry g = device_.Geometry();
    return {g.paperWidth,
            g.paperHeight,
            g.unprintableLeft,
            g.unprintableRight,
            g.unprintableTop,
            g.unprintableBottom,
            g.dpiX,
            g.dpiY};
}

void DeviceTarget::SetCopies(int copies) {
    device_.Settings().copies = copies;
}

void DeviceTarget::SetOrientation(TOrientation orientation) {
    if (orientation == TOrientation::poDefault)
        return;
    device_.Settings().orientation = orientation == TOrientation::poLandScape
                                         ? print::Orientation::Landscape
                                         : print::Orientation::Portrait;
}

xbase::Status DeviceTarget::BeginDoc(const std::string& title) {
    QString error;
    const bool ok = device_.BeginDoc(QString::fromStdString(rtl::AnsiToUtf8(title)), error);
    return Answer(ok, error);
}

xbase::Status DeviceTarget::NewPage() {
    QString error;
    const bool ok = device_.NewPage(error);
    return Answer(ok, error);
}

xbase::Status DeviceTarget::EndDoc() {
    QString error;
    const bool ok = device_.EndDoc(error);
    return Answer(ok, error);
}

void DeviceTarget::Abort() {
    device_.Abort();
}
void DeviceTarget::SetOutputEnabled(bool on) {
    device_.SetOutputEnabled(on);
}
QPainter* DeviceTarget::Canvas() {
    return device_.Canvas();
}

PrintTarget& SharedDeviceTarget() {
    static DeviceTarget target(print::TReportDevice::Instance());
    return target;
}

}  // namespace report
