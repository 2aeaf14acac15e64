// TCanvasReport and TReportPrinter: the report model on a painter, and on the printing device.
#include "report/draw/canvas_report.h"

#include "report/model/report_messages.h"

namespace report {
namespace {

// The printing system shows no more of a document's name.
constexpr std::size_t kMaxTitle = 31;

}  // namespace

xbase::Status TCanvasReport::WithCanvas(const std::function<void(QPainter&)>& draw) {
    QPainter* painter = surface_.Painter();
    if (!painter)
        return {xbase::ErrorCode::kBadArgument, std::string(kCanvasNotActive)};
    draw(*painter);
    return {};
}

void TCanvasReport::TakePage(PrintTarget& device) {
    const DeviceGeometry geometry = device.Geometry();
    if (!(geometry == Geometry()))
        SetGeometry(geometry);
    DeviceMapping mapping;
    mapping.dpiX = geometry.dpiX;
    mapping.dpiY = geometry.dpiY;
    mapping.unprintableLeft = geometry.unprintableLeft;
    mapping.unprintableTop = geometry.unprintableTop;
    surface_.SetMapping(mapping);
    surface_.SetPainter(device.Canvas());
}

xbase::Status TCanvasReport::StartDocument(PrintTarget& device) {
    if (auto status = device.BeginDoc(Title().substr(0, kMaxTitle)); !status)
        return status;
    SetGeometry(device.Geometry());
    return {};
}

xbase::Status TCanvasReport::StartDevicePage(PrintTarget& device, bool firstPage, bool outputOn) {
    if (!firstPage)
        if (auto status = device.NewPage(); !status)
            return status;
    device.SetOutputEnabled(outputOn);
    TakePage(device);
    return {};
}

xbase::Status TCanvasReport::FinishDocument(PrintTarget& device, bool abandon) {
    surface_.SetPainter(nullptr);
    surface_.ClearFonts();
    if (abandon) {
        device.Abort();
        return {};
    }
    return device.EndDoc();
}

TReportPrinter::TReportPrinter(PrintTarget& device) : device_(device) {}

xbase::Status TReportPrinter::Begin() {
    if (!device_.HasPrinters())
        return {xbase::ErrorCode::kNotSupported, std::string(kNoPrinters)};
    return TCanvasReport::Begin();
}

xbase::Status TReportPrinter::OpenOutput() {
    if (Copies() > 0)
        device_.SetCopies(Copies());
    if (Orientation() != TOrientation::poDefault)
        device_.SetOrientation(Orientation());
    return StartDocument(device_);
}

xbase::Status TReportPrinter::PageStarted() {
    // The document's first page came with it; every later one is asked for.
    return StartDevicePage(device_, PageNumber() == 1, !PageSkipped());
}

xbase::Status TReportPrinter::CloseOutput() {
    return FinishDocument(device_, Aborted());
}

}  // namespace report
