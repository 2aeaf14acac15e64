// A printing device for tests: each page that reaches the "printer" is an image at the
// device's resolution, and every document step is logged.
#pragma once

#include "report/draw/print_target.h"

#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace report_test {

class ImageTarget : public report::PrintTarget {
  public:
    bool printers = true;
    report::DeviceGeometry geometry{8.5, 11, 0.25, 0.25, 0.5, 0.5, 100, 100};
    report::DeviceNames names{"Laser", "PCL", "LPT1:"};
    std::vector<QImage> printed;  // the pages output reached
    std::vector<std::string> log;
    int copies = 1;

    bool HasPrinters() const override { return printers; }
    report::DeviceNames Names() const override { return names; }
    report::DeviceGeometry Geometry() const override { return geometry; }
    void SetCopies(int n) override { copies = n; }
    void SetOrientation(report::TOrientation o) override {
        log.push_back("orientation " + std::to_string(static_cast<int>(o)));
    }
    xbase::Status BeginDoc(const std::string& title) override {
        log.push_back("begin " + title);
        StartPage();
        return {};
    }
    xbase::Status NewPage() override {
        EndPage();
        StartPage();
        return {};
    }
    xbase::Status EndDoc() override {
        EndPage();
        log.push_back("end");
        return {};
    }
    void Abort() override {
        painter_.end();
        log.push_back("abort");
    }
    void SetOutputEnabled(bool on) override { on_ = on; }
    QPainter* Canvas() override { return painter_.isActive() ? &painter_ : nullptr; }

  private:
    // The printable part of the paper, as a printer's page is.
    void StartPage() {
        const int w = static_cast<int>(
            (geometry.paperWidth - geometry.unprintableLeft - geometry.unprintableRight) *
            geometry.dpiX);
        const int h = static_cast<int>(
            (geometry.paperHeight - geometry.unprintableTop - geometry.unprintableBottom) *
            geometry.dpiY);
        page_ = QImage(w, h, QImage::Format_RGB32);
        page_.fill(Qt::white);
        painter_.begin(&page_);
        on_ = true;
    }
    void EndPage() {
        painter_.end();
        if (on_)
            printed.push_back(page_);
    }

    QImage page_;
    QPainter painter_;
    bool on_ = true;
};

}  // namespace report_test
