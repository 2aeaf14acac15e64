// What the print dialog and the printer-setup dialog offer and keep while they are open: the
// printer, and that printer's settings as the person changes them. The device takes them
// only when the dialog is confirmed.
#pragma once

#include <QPageSize>
#include <QStringList>

#include <vector>

#include "platform/print/report_device.h"

namespace print {

class DeviceChoices {
  public:
    explicit DeviceChoices(TReportDevice& device);

    const std::vector<TReportDeviceItem>& Printers() const { return printers_; }
    QStringList PrinterNames() const;
    int Printer() const { return printer_; }
    const TReportDeviceItem& PrinterItem() const;
    // Another printer shows its own settings, as it kept them.
    void ChoosePrinter(int index);

    const PrinterSettings& Settings() const { return settings_; }

    // Copies and collation mean nothing to a printer that writes a file.
    bool CopiesApply() const { return !PrinterItem().writesFile; }
    void SetCopies(int copies);
    void SetCollate(bool on) { settings_.collate = on; }

    // The papers of the chosen printer, by name, and the one the settings name (-1: none).
    QStringList PaperNames() const;
    int Paper() const;
    void ChoosePaper(int index);
    void SetOrientation(Orientation orientation) { settings_.orientation = orientation; }
    void SetOutputFile(const QString& file) { settings_.outputFile = file; }

    // The device takes the printer and its settings.
    void Apply();

  private:
    TReportDevice& device_;
    std::vector<TReportDeviceItem> printers_;
    int printer_ = -1;
    PrinterSettings settings_;
    std::vector<QPageSize> papers_;
};

}  // namespace print
