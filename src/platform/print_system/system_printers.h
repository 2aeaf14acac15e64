// The printers of the system's print server, through Qt's print support, and the start-up
// call that gives the program's device these printers and "Print to PDF".
#pragma once

#include <QPageLayout>
#include <QPrinterInfo>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/print/report_device.h"

namespace print {

// One printer's printable layouts and resolution, asked of the print server once per paper
// and orientation: the device reads the page again at every page, and each question makes
// Qt fetch the printer's description anew.
class PrinterLayouts {
  public:
    explicit PrinterLayouts(QPrinterInfo info) : info_(std::move(info)) {}
    const QPrinterInfo& Info() const { return info_; }
    // The paper the printer takes for `settings`, turned, with the margins it cannot print on.
    QPageLayout For(const PrinterSettings& settings);
    int Resolution();

  private:
    QPrinterInfo info_;
    std::map<std::tuple<QString, int, Orientation>, QPageLayout> known_;
    int resolution_ = 0;
};

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
    bool Listed(int index) const { return index >= 0 && index < static_cast<int>(listed_.size()); }

    // The printers as last listed; indexes refer to this list.
    mutable std::vector<PrinterLayouts> listed_;
};

// The print server's options for a document printed with `settings` on `paper`.
std::vector<std::pair<std::string, std::string>> JobOptions(const QPageSize& paper,
                                                            const PrinterSettings& settings);

// Registers the system's printers, then "Print to PDF", with the shared device.
void RegisterPrinters();

}  // namespace print
