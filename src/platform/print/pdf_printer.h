// The "Print to PDF" printer: documents written as PDF files, on any paper it offers, with
// no unprintable border. A file appears whole when the document ends, or not at all.
#pragma once

#include "platform/print/report_device.h"

namespace print {

// Fine enough that a report's positions keep their places after rounding to device dots.
inline constexpr int kPdfResolution = 1200;

class PdfPrinter : public PrinterBackend {
  public:
    std::vector<TReportDeviceItem> Printers() const override;
    // Letter where the locale is American, A4 elsewhere.
    PrinterSettings DefaultSettings(int index) const override;
    std::vector<QPageSize> Papers(int index) const override;
    PageGeometry Geometry(int index, const PrinterSettings& settings) const override;
    // Fails at once when the settings name no file or the file cannot be created.
    std::unique_ptr<PrintJob> Begin(int index, const PrinterSettings& settings,
                                    const QString& title, QString& error) override;
};

}  // namespace print
