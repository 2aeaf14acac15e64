// A PDF file as a print target, for quillet-report's play command and the players' tests: each
// page that is output becomes a page of the file, on the paper the stream's header gives. The
// program's printing device has its own "Print to PDF" printer; this one needs no device.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

#include "report/draw/print_target.h"

class QPdfWriter;

namespace report {

class PdfFileTarget : public PrintTarget {
  public:
    // Pages of `paperWidth` x `paperHeight` inches at `dpi` dots per inch.
    PdfFileTarget(QString path, double paperWidth, double paperHeight, int dpi = 600);
    ~PdfFileTarget() override;

    bool HasPrinters() const override { return true; }
    DeviceNames Names() const override;
    DeviceGeometry Geometry() const override;
    void SetCopies(int) override {}
    void SetOrientation(TOrientation) override {}

    xbase::Status BeginDoc(const std::string& title) override;
    xbase::Status NewPage() override;
    xbase::Status EndDoc() override;
    void Abort() override;
    void SetOutputEnabled(bool on) override { outputOn_ = on; }
    QPainter* Canvas() override;

    int PagesWritten() const { return pagesWritten_; }

  private:
    QString path_;
    double paperWidth_;
    double paperHeight_;
    int dpi_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    bool active_ = false;
    bool outputOn_ = true;
    bool pageStarted_ = false;
    int pagesWritten_ = 0;
    bool failed_ = false;  // a page could not be started: the file is not whole
    // Pages whose output is off are drawn here and dropped.
    QImage scratch_;
    QPainter scratchPainter_;
};

}  // namespace report
