// The printers of the system's print server, through Qt's print support, and the start-up
// call that gives the program's device these printers and "Print to PDF".
#pragma once

#include <QPrinterInfo>

#include <string>
#include <utility>
#include <vector>

#include "platform/print/report_device.h"

namespace print {

// Lists what the print server reports each time it is asked; with no server, nothing.
class SystemPrinters : public PrinterBackend {
  public:
    std::vector<TReportDeviceItem> Printers() const override;
    int DefaultPrinter() const override;
    PrinterSettings DefaultSettings(int index) const override;
    std::vector<QPageSize> Papers(int index) const override;
    PageGeometry Geometry(int index, const PrinterSettings& settings) const override;
    std::unique_ptr<PrintJob> Begin(int index, const PrinterSettings& settings,
                                    const QString& title, QString& error) override;

  private:
    // The printers as last listed; indexes refer to this list.
    mutable QList<QPrinterInfo> listed_;
};

// The print server's options for a document printed with `settings` on `paper`.
std::vector<std::pair<std::string, std::string>> JobOptions(const QPageSize& paper,
                                                            const PrinterSettings& settings);

// Registers the system's printers, then "Print to PDF", with the shared device.
void RegisterPrinters();

}  // namespace print
