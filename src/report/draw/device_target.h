// The program's printing device as a report printer's target.
#pragma once

#include "report/draw/print_target.h"

namespace print {
class TReportDevice;
}

namespace report {

class DeviceTarget : public PrintTarget {
  public:
    explicit DeviceTarget(print::TReportDevice& device) : device_(device) {}

    bool HasPrinters() const override;
    DeviceNames Names() const override;
    DeviceGeometry Geometry() const override;
    void SetCopies(int copies) override;
    void SetOrientation(TOrientation orientation) override;
    xbase::Status BeginDoc(const std::string& title) override;
    xbase::Status NewPage() override;
    xbase::Status EndDoc() override;
    void Abort() override;
    void SetOutputEnabled(bool on) override;
    QPainter* Canvas() override;

  private:
    print::TReportDevice& device_;
};

// The program's shared printing device as a target, for the report printers of the program.
PrintTarget& SharedDeviceTarget();

}  // namespace report
