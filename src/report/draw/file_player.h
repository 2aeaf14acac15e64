// The report stream's players: TFilePrinter plays a recorded stream to the printing device with
// a page selection, TFilePreview plays one page at a time into a page image at a zoom.
#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/draw/canvas_report.h"
#include "report/model/stream_modes.h"
#include "report/model/stream_player.h"
#include "report/model/stream_reader.h"

namespace report {

class TFilePrinter : public TCanvasReport {
  public:
    // `device` is the printer the stream is played to; a preview has none.
    explicit TFilePrinter(PrintTarget* device);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    TStreamMode StreamMode() const { return streamMode_; }
    void SetStreamMode(TStreamMode mode) { streamMode_ = mode; }
    // The caller's stream for smUser; it outlives the player.
    void SetStream(ByteStream* stream) { userStream_ = stream; }

    // Plays pages FirstPage to LastPage (the stream's last when LastPage lies outside it) to the
    // device, each output or not by the page selection. Without a printer: "No printers are
    // defined, aborting print job." and nothing else.
    xbase::Status RunReport() override;

    // Where the stream read last went wrong, when it was malformed.
    std::int64_t ErrorOffset() const { return errorOffset_; }
    // The header of the stream opened last.
    const stream::StreamHeader& Header() const { return header_; }

  protected:
    TDestKind DestKind() const override { return TDestKind::Printer; }
    DeviceNames Names() const override { return device_ ? device_->Names() : DeviceNames{}; }
    // A player lays out no pages of its own: the stream carries them.
    xbase::Status OpenOutput() override { return {}; }
    xbase::Status PageStarted() override { return {}; }
    xbase::Status CloseOutput() override { return {}; }

    // Loads the stream and reads its header.
    xbase::Status OpenStream();
    bool StreamOpen() const { return reader_ != nullptr; }
    stream::StreamReader& Reader() { return *reader_; }
    // Plays page n (as far towards it as the page links go) onto the painter surface.
    xbase::Status PlayPageNumber(int n, stream::PlayerKind kind, stream::PageRecord& shown);

  private:
    PrintTarget* device_;
    std::string fileName_;
    TStreamMode streamMode_ = TStreamMode::smMemory;
    ByteStream* userStream_ = nullptr;
    std::vector<std::uint8_t> bytes_;
    std::unique_ptr<stream::StreamReader> reader_;
    stream::StreamHeader header_;
    std::int64_t errorOffset_ = -1;
};

class TFilePreview : public TFilePrinter {
  public:
    TFilePreview();

    // Opens the stream (and reads it again after a new recording).
    xbase::Status Open();
    int PageCount() const { return Header().pageCount; }
    // The page last shown, as its record numbers it.
    int CurrentPage() const { return currentPage_; }

    // Percent of the paper's real size at 96 dots per inch.
    double ZoomFactor() const { return zoom_; }
    void SetZoomFactor(double percent);

    // Page n, the whole sheet, into a white image at the zoom; with a device pixel ratio of 2 the
    // image has twice the dots and stays sharp on such a screen.
    xbase::Status RenderPage(int n, QImage& image, double devicePixelRatio = 1.0);

  protected:
    TDestKind DestKind() const override { return TDestKind::Preview; }
    // What the status tokens %D, %R and %T show in a preview.
    DeviceNames Names() const override { return {"Preview", "Preview", "Screen"}; }

  private:
    double zoom_ = 100;
    int currentPage_ = 0;
};

}  // namespace report
