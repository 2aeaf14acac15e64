// The PDF file target: pages start when they are first drawn on, so that pages whose output is
// off never reach the file.
#include "report/draw/pdf_file_target.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "rtl/ansi.h"

namespace report {

PdfFileTarget::PdfFileTarget(QString path, double paperWidth, double paperHeight, int dpi)
    : path_(std::move(path)),
      paperWidth_(paperWidth > 0 && paperWidth < 200 ? paperWidth : 8.5),
      paperHeight_(paperHeight > 0 && paperHeight < 200 ? paperHeight : 11),
      dpi_(dpi) {}

PdfFileTarget::~PdfFileTarget() {
    if (active_)
        Abort();
}

DeviceNames PdfFileTarget::Names() const {
    return {"Print to PDF", "PDF", rtl::Utf8ToAnsi(path_.toStdString())};
}

DeviceGeometry PdfFileTarget::Geometry() const {
    return {paperWidth_, paperHeight_, 0, 0, 0, 0, dpi_, dpi_};
}

xbase::Status PdfFileTarget::BeginDoc(const std::string& title) {
    writer_ = std::make_unique<QPdfWriter>(path_);
    writer_->setResolution(dpi_);
    writer_->setTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
    writer_->setPageLayout(
        QPageLayout(QPageSize(QSizeF(paperWidth_, paperHeight_), QPageSize::Inch),
                    QPageLayout::Portrait, QMarginsF()));
    active_ = true;
    pageStarted_ = false;
    outputOn_ = true;
    pagesWritten_ = 0;
    failed_ = false;
    return {};
}

xbase::Status PdfFileTarget::NewPage() {
    pageStarted_ = false;
    if (scratchPainter_.isActive())
        scratchPainter_.end();
    return {};
}

QPainter* PdfFileTarget::Canvas() {
    if (!active_)
        return nullptr;
    if (!outputOn_) {
        if (!scratchPainter_.isActive()) {
            if (scratch_.isNull())
                scratch_ = QImage(64, 64, QImage::Format_RGB32);
            scratchPainter_.begin(&scratch_);
        }
        return &scratchPainter_;
    }
    if (!pageStarted_) {
        if (pagesWritten_ == 0 ? !painter_.begin(writer_.get()) : !writer_->newPage()) {
            failed_ = true;
            return nullptr;
        }
        pageStarted_ = true;
        ++pagesWritten_;
    }
    return &painter_;
}

xbase::Status PdfFileTarget::EndDoc() {
    if (scratchPainter_.isActive())
        scratchPainter_.end();
    const bool wrote = painter_.isActive() && painter_.end();
    active_ = false;
    writer_.reset();
    if (failed_ || (pagesWritten_ > 0 && !wrote))
        return {xbase::ErrorCode::kWriteFailed, "cannot write " + path_.toStdString()};
    return {};
}

void PdfFileTarget::Abort() {
    if (scratchPainter_.isActive())
        scratchPainter_.end();
    if (painter_.isActive())
        painter_.end();
    active_ = false;
    writer_.reset();
    QFile::remove(path_);
}

}  // namespace report
