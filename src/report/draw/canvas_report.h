// TCanvasReport draws the report model on a painter; TReportPrinter is the one on the printing
// device, a document a page at a time.
#pragma once

#include "report/draw/painter_surface.h"
#include "report/draw/print_target.h"
#include "report/model/base_report.h"

#include <functional>

class QPainter;

namespace report {

class TCanvasReport : public TBaseReport {
  public:
    // Runs `draw` on the painter of the current page, or answers "Error!  Canvas not yet
    // active." when no device page is there.
    xbase::Status WithCanvas(const std::function<void(QPainter&)>& draw);

  protected:
    PainterSurface& Painter() { return surface_; }
    ReportSurface& Surface() override { return surface_; }

    // The device steps a printer and a stream player share: the document begun with the title
    // (its first 31 characters) and the device's paper read; a page (the document's first, or
    // a new one) with output on or off, its painter and paper taken; the document finished,
    // or abandoned when `abandon`.
    xbase::Status StartDocument(PrintTarget& device);
    xbase::Status StartDevicePage(PrintTarget& device, bool firstPage, bool outputOn);
    xbase::Status FinishDocument(PrintTarget& device, bool abandon);

  private:
    void TakePage(PrintTarget& device);

    PainterSurface surface_;
};

class TReportPrinter : public TCanvasReport {
  public:
    explicit TReportPrinter(PrintTarget& device);

    // Refused with "No printers are defined, aborting print job." when the device has none.
    xbase::Status Begin() override;

  protected:
    TDestKind DestKind() const override { return TDestKind::Printer; }
    DeviceNames Names() const override { return device_.Names(); }
    xbase::Status OpenOutput() override;
    xbase::Status PageStarted() override;
    xbase::Status CloseOutput() override;

  private:
    PrintTarget& device_;
};

}  // namespace report
