// The recording surface: every drawing call, state change and page boundary of a report written
// into a report stream. Measuring is passed to a surface on the device the report is laid out
// for, so that positions recorded under amPositioning are that device's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "report/model/byte_stream.h"
#include "report/model/report_stream_format.h"
#include "report/model/report_surface.h"
#include "report/model/stream_reader.h"
#include "report/model/stream_writer.h"

namespace report {

enum class TAccuracyMethod : std::uint8_t { amPositioning, amAppearance };

class StreamRecorder final : public ReportSurface {
  public:
    // `measure` answers FontMetrics and TextWidth and follows every font change.
    StreamRecorder(ByteStream& out, ReportSurface& measure, TAccuracyMethod accuracy);

    // The report header with a page count of 0, filled in by Finish.
    void WriteHeader(const stream::StreamHeader& header);
    // A page record and, after it, the whole drawing state. Dropped while skipping.
    void BeginPage(double paperWidth, double paperHeight);
    // The end code of a page whose record was written, even when the page has been skipped since
    // (an abort), so that every page in the stream ends.
    void EndPage();
    // Fills in the header's page count and flushes; the stream's first failure, if any.
    Status Finish();
    // Drops every write while a page is outside the selection or the report is aborted.
    void SetSkipping(bool skipping) { skipping_ = skipping; }
    bool skipping() const { return skipping_; }
    int pagesWritten() const { return pagesWritten_; }
    // The stream's first failure so far.
    const Status& status() const { return writer_.status(); }
    // Code 83, whenever the report refreshes its line metrics.
    void WriteLineMetrics(double ascent, double descent, double lineSpacing);

    void SetFont(const ReportFont& font) override;
    void SetPen(const ReportPen& pen) override;
    void SetBrush(const ReportBrush& brush) override;
    void SetBackground(BackgroundMode mode, Color color) override;
    void SetScale(double percentX, double percentY) override;
    LineMetrics FontMetrics() override { return measure_.FontMetrics(); }
    double TextWidth(std::string_view text) override;

    void PrintLeft(double x, double y, std::string_view text) override;
    void PrintRight(double x, double y, std::string_view text) override;
    void PrintCentred(double x, double y, std::string_view text) override;
    void PrintBlock(double x, double y, double width, std::string_view text) override;
    void ClipText(const Rect& clip, Point at, std::string_view text) override;

    void MoveTo(Point p) override;
    void LineTo(Point p) override;
    void Rectangle(Point a, Point b) override;
    void ShadeBox(Point a, Point b) override;
    void RoundRect(Point a, Point b, double cornerWidth, double cornerHeight) override;
    void Ellipse(Point a, Point b) override;
    void Arc(Point a, Point b, Point start, Point end) override;
    void Chord(Point a, Point b, Point start, Point end) override;
    void Pie(Point a, Point b, Point start, Point end) override;
    void Polygon(std::span<const Point> points) override;
    void Polyline(std::span<const Point> points) override;
    void FillRect(const Rect& r) override;
    void FrameRect(const Rect& r) override;
    void FocusRect(const Rect& r) override;
    void FloodFill(double x, double y, Color color, int fillStyle) override;
    void DrawGraphic(double x, double y, const Graphic& g) override;
    void StretchGraphic(const Rect& r, const Graphic& g) override;
    void RawPrinterText(std::string_view text) override;
    void RawPrinterData(std::span<const std::uint8_t> data) override;
    void SelectDestination(Destination d) override;

  private:
    struct Written {
        ReportFont font;
        ReportPen pen;
        ReportBrush brush;
        BackgroundMode mode = BackgroundMode::Transparent;
        Color background = kWhite;
        double scaleX = 100;
        double scaleY = 100;
    };

    bool Writing() const { return pageOpen_ && !skipping_ && writer_.status(); }
    void Put(stream::Code code);
    // Writes the fields of the current state that differ from `last`; everything when it is empty.
    void WriteFont(const std::optional<Written>& last);
    void WritePen(const std::optional<Written>& last);
    void WriteBrush(const std::optional<Written>& last);
    void WriteScaleAndBackground(const std::optional<Written>& last);
    void PrintText(stream::Code appearance, double x, double y, std::string_view text);
    void TwoPoints(stream::Code code, Point a, Point b);
    void FourPoints(stream::Code code, Point a, Point b, Point c, Point d);
    void Points(stream::Code code, std::span<const Point> points);

    stream::StreamWriter writer_;
    ReportSurface& measure_;
    TAccuracyMethod accuracy_;
    Written now_;
    std::optional<Written> written_;  // empty until a page record has set the whole state
    bool skipping_ = false;
    bool pageOpen_ = false;       // commands belong to a page: none before the first record
    bool recordWritten_ = false;  // the open page has its record in the stream
    int pagesWritten_ = 0;
    std::int64_t lastPage_ = -1;  // offset of the last page record written
    // The model measures a text just before it draws it; under amPositioning the recording
    // needs the same width, so the last answer is kept until the font changes.
    std::string measuredText_;
    double measuredWidth_ = -1;
};

}  // namespace report
