// Playing streams to the printing device and into page images.
#include "report/draw/file_player.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

#include "report/model/page_selection.h"
#include "report/model/report_messages.h"
#include "report/model/stream_player.h"

namespace report {

namespace {

constexpr double kScreenDpi = 96;
// A page image larger than this many dots on a side is refused rather than allocated.
constexpr double kMaxImageSide = 20000;

}  // namespace

TFilePrinter::TFilePrinter(PrintTarget* device) : device_(device) {}

xbase::Status TFilePrinter::OpenStream() {
    reader_.reset();
    if (Status s = LoadRecording(streamMode_, fileName_, userStream_, bytes_); !s)
        return s;
    auto reader = std::make_unique<stream::StreamReader>(bytes_);
    if (Status s = reader->ReadHeader(header_); !s) {
        errorOffset_ = reader->errorOffset();
        return s;
    }
    if (!header_.title.empty())
        SetTitle(header_.title);
    reader_ = std::move(reader);
    return {};
}

xbase::Status TFilePrinter::PlayPageNumber(int n, stream::PlayerKind kind,
                                           stream::PageRecord& shown) {
    const DeviceMapping& m = Painter().Mapping();
    const stream::PlayOptions options{kind, m.dpiX * m.zoom / 100};
    SetPageNumber(n);
    RefreshStatus();
    Status played = stream::PlayPage(*reader_, n, Painter(), options, shown);
    if (!played)
        errorOffset_ = reader_->errorOffset();
    return played;
}

xbase::Status TFilePrinter::RunReport() {
    if (!device_ || !device_->HasPrinters())
        return {xbase::ErrorCode::kNotSupported, std::string(kNoPrinters)};
    if (Active())
        return {xbase::ErrorCode::kBadArgument, std::string(kAlreadyPrinting)};
    if (Status s = OpenStream(); !s)
        return s;
    if (header_.orientation != static_cast<int>(TOrientation::poDefault))
        device_->SetOrientation(static_cast<TOrientation>(header_.orientation == 1 ? 1 : 0));
    device_->SetCopies(Copies() > 0 ? Copies() : std::max(header_.copies, 1));
    if (Status s = StartDocument(*device_); !s)
        return s;
    SetActive(true);
    const int first = std::max(FirstPage(), 1);
    const int last =
        LastPage() < 1 || LastPage() > header_.pageCount ? header_.pageCount : LastPage();
    xbase::Status failure;
    for (int page = first; page <= last && failure; ++page) {
        const bool output = PageSelected(PageSelection(), FirstPage(), LastPage(), page);
        failure = StartDevicePage(*device_, page == first, output);
        stream::PageRecord shown;
        if (failure)
            failure = PlayPageNumber(page, stream::PlayerKind::Printer, shown);
    }
    // A failure still ends the document: what was played is printed.
    const xbase::Status ended = FinishDocument(*device_, false);
    SetActive(false);
    return failure ? ended : failure;
}

TFilePreview::TFilePreview() : TFilePrinter(nullptr) {}

xbase::Status TFilePreview::Open() {
    return OpenStream();
}

void TFilePreview::SetZoomFactor(double percent) {
    if (percent > 0 && std::isfinite(percent))
        zoom_ = percent;
}

xbase::Status TFilePreview::RenderPage(int n, QImage& image, double devicePixelRatio) {
    if (!StreamOpen())
        if (Status s = OpenStream(); !s)
            return s;
    if (!(devicePixelRatio > 0 && devicePixelRatio <= 4))
        devicePixelRatio = 1;
    // The page's own paper decides the image's size: walk to it first.
    stream::PageRecord page;
    if (Status s = Reader().GoToPage(n, page); !s)
        return s;
    const double dotsPerInch = kScreenDpi * devicePixelRatio * zoom_ / 100;
    auto side = [&](double inches, double fallback) {
        const double paper = inches > 0 && inches < 1000 ? inches : fallback;
        return static_cast<int>(std::clamp(std::round(paper * dotsPerInch), 1.0, kMaxImageSide));
    };
    image = QImage(side(page.paperWidth, Header().paperWidth),
                   side(page.paperHeight, Header().paperHeight), QImage::Format_RGB32);
    if (image.isNull())
        return {xbase::ErrorCode::kBadArgument, "page image too large"};
    image.fill(Qt::white);
    // Drawn at the screen's own dots, so that text and lines stay sharp at a scale factor of 2;
    // the ratio then tells the window how large the image is meant to look.
    DeviceMapping mapping;
    mapping.dpiX = mapping.dpiY = static_cast<int>(std::lround(kScreenDpi * devicePixelRatio));
    mapping.zoom = zoom_;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Painter().SetMapping(mapping);
    Painter().SetPainter(&painter);
    const Status played = PlayPageNumber(n, stream::PlayerKind::Preview, page);
    Painter().SetPainter(nullptr);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    if (played)
        currentPage_ = page.number;
    return played;
}

}  // namespace report
