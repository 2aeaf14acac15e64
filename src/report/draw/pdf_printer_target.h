// The "Print to PDF" printer on a printing device of its own, for the command line and for
// tests: it writes one file on the paper it is given and needs no printer of the system.
#pragma once

#include <QString>

#include "platform/print/report_device.h"
#include "report/draw/device_target.h"

namespace report {

class PdfPrinterTarget final : public PrintTarget {
  public:
    // Pages of `paperWidth` x `paperHeight` inches into `file`.
    PdfPrinterTarget(const QString& file, double paperWidth, double paperHeight);

    // How many pages reached the file (a document of no such page leaves no file).
    int PagesOutput() const { return pagesOutput_; }

    bool HasPrinters() const override { return target_.HasPrinters(); }
    DeviceNames Names() const override { return target_.Names(); }
    DeviceGeometry Geometry() const override { return target_.Geometry(); }
    void SetCopies(int copies) override { target_.SetCopies(copies); }
    void SetOrientation(TOrientation orientation) override {
        target_.SetOrientation(orientation);
    }
    xbase::Status BeginDoc(const std::string& title) override;
    xbase::Status NewPage() override;
    xbase::Status EndDoc() override { return target_.EndDoc(); }
    void Abort() override { target_.Abort(); }
    void SetOutputEnabled(bool on) override;
    QPainter* Canvas() override { return target_.Canvas(); }

  private:
    print::TReportDevice device_;
    DeviceTarget target_{device_};
    int pagesOutput_ = 0;
    bool pageCounted_ = false;
};

}  // namespace report
