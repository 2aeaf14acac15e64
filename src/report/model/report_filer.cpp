// The filer's run: the stream opened by its mode, a header, a page record for every page that is
// output, and the page count filled in at the end.
#include "report/model/report_filer.h"

namespace report {

TReportFiler::TReportFiler(ReportSurface& measure) : measure_(measure) {}

TReportFiler::~TReportFiler() = default;

void TReportFiler::SetDevice(const DeviceGeometry& geometry, const StreamDeviceSettings& settings) {
    geometry_ = geometry;
    settings_ = settings;
}

xbase::Status TReportFiler::CopyRect() const {
    return {xbase::ErrorCode::kNotSupported, std::string(kCopyRectInFileMode)};
}

// Before the run the model still sets its fonts and pens: they go to the measuring surface only.
// During it the recorder drops what belongs to a skipped page, which an abort can make of the
// page being drawn at any moment.
ReportSurface& TReportFiler::Surface() {
    if (!recorder_)
        return measure_;
    recorder_->SetSkipping(PageSkipped());
    return *recorder_;
}

xbase::Status TReportFiler::OpenOutput() {
    if (Status s = OpenRecording(streamMode_, fileName_, userStream_, stream_); !s)
        return s;
    SetGeometry(geometry_);
    recorder_ = std::make_unique<StreamRecorder>(*stream_.stream, measure_, accuracy_);
    stream::StreamHeader header;
    header.firstPage = FirstPage();
    header.lastPage = LastPage();
    header.paperWidth = geometry_.paperWidth;
    header.paperHeight = geometry_.paperHeight;
    header.unprintableLeft = geometry_.unprintableLeft;
    header.unprintableRight = geometry_.unprintableRight;
    header.unprintableTop = geometry_.unprintableTop;
    header.unprintableBottom = geometry_.unprintableBottom;
    header.orientation = static_cast<int>(Orientation());
    header.paperBin = settings_.paperBin;
    header.collate = settings_.collate;
    header.duplex = settings_.duplex;
    header.copies = settings_.copies;
    header.paperSize = settings_.paperSize;
    header.customWidth = settings_.customWidth;
    header.customLength = settings_.customLength;
    header.title = Title().substr(0, 31);
    recorder_->WriteHeader(header);
    return {};
}

xbase::Status TReportFiler::PageStarted() {
    recorder_->SetSkipping(PageSkipped());
    recorder_->BeginPage(geometry_.paperWidth, geometry_.paperHeight);
    return recorder_->status();
}

xbase::Status TReportFiler::PageEnding() {
    recorder_->EndPage();
    return {};
}

xbase::Status TReportFiler::CloseOutput() {
    recorder_->EndPage();
    Status status = recorder_->Finish();
    recorder_.reset();
    if (Status closed = CloseRecording(streamMode_, fileName_, stream_); status && !closed)
        status = closed;
    stream_ = {};
    return status;
}

void TReportFiler::LineMetricsUpdated() {
    if (recorder_)
        recorder_->WriteLineMetrics(ToInches(FontAscent()), ToInches(FontDescent()),
                                    ToInches(LineSpacing()));
}

}  // namespace report
