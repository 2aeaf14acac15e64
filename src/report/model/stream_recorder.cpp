// Recording: the page records and their links, the state written only on change, and texts
// under the two accuracy methods.
#include "report/model/stream_recorder.h"

#include "report/model/report_stream_format.h"

namespace report {

using stream::Code;

StreamRecorder::StreamRecorder(ByteStream& out, ReportSurface& measure, TAccuracyMethod accuracy)
    : writer_(out), measure_(measure), accuracy_(accuracy) {
    measure_.SetFont(now_.font);
}

void StreamRecorder::Put(stream::Code code) {
    writer_.Byte(static_cast<std::uint8_t>(code));
}

void StreamRecorder::WriteHeader(const stream::StreamHeader& h) {
    Put(Code::Header);
    writer_.Word(0);
    writer_.Word(static_cast<std::uint16_t>(h.firstPage));
    writer_.Word(static_cast<std::uint16_t>(h.lastPage));
    writer_.Real(h.paperWidth);
    writer_.Real(h.paperHeight);
    writer_.Real(h.unprintableLeft);
    writer_.Real(h.unprintableRight);
    writer_.Real(h.unprintableTop);
    writer_.Real(h.unprintableBottom);
    writer_.Byte(static_cast<std::uint8_t>(h.orientation));
    writer_.Word(static_cast<std::uint16_t>(h.paperBin));
    writer_.Byte(h.collate ? 1 : 0);
    writer_.Byte(static_cast<std::uint8_t>(h.duplex));
    writer_.Word(static_cast<std::uint16_t>(h.copies));
    writer_.Word(static_cast<std::uint16_t>(h.paperSize));
    writer_.Word(static_cast<std::uint16_t>(h.customWidth));
    writer_.Word(static_cast<std::uint16_t>(h.customLength));
    writer_.Text(h.title);
}

void StreamRecorder::BeginPage(double paperWidth, double paperHeight) {
    pageOpen_ = true;
    recordWritten_ = Writing();
    if (!recordWritten_)
        return;
    // The previous page's "next" field learns where this record starts; the last page's stays 0.
    const std::int64_t here = writer_.Offset();
    if (lastPage_ >= 0)
        writer_.PatchLong(lastPage_ + stream::kPageOffNext, static_cast<std::int32_t>(here));
    Put(Code::PageStart);
    writer_.Long(static_cast<std::int32_t>(lastPage_ < 0 ? 0 : lastPage_));
    writer_.Long(0);
    writer_.Word(static_cast<std::uint16_t>(++pagesWritten_));
    writer_.Real(paperWidth);
    writer_.Real(paperHeight);
    lastPage_ = here;
    WriteBrush(std::nullopt);
    WriteFont(std::nullopt);
    WritePen(std::nullopt);
    WriteScaleAndBackground(std::nullopt);
    written_ = now_;
}

void StreamRecorder::EndPage() {
    if (pageOpen_ && recordWritten_ && writer_.status())
        Put(Code::EndPage);
    pageOpen_ = recordWritten_ = false;
}

Status StreamRecorder::Finish() {
    pageOpen_ = false;
    writer_.PatchWord(stream::kHeaderOffPageCount, static_cast<std::uint16_t>(pagesWritten_));
    writer_.Flush();
    return writer_.status();
}

void StreamRecorder::WriteLineMetrics(double ascent, double descent, double lineSpacing) {
    if (!Writing())
        return;
    Put(Code::LineMetrics);
    writer_.Real(ascent);
    writer_.Real(descent);
    writer_.Real(lineSpacing);
}

void StreamRecorder::WriteFont(const std::optional<Written>& last) {
    const ReportFont& f = now_.font;
    const ReportFont* was = last ? &last->font : nullptr;
    auto changed = [&](auto member) { return !was || f.*member != was->*member; };
    auto flag = [&](stream::Code code, bool ReportFont::*member) {
        if (!changed(member))
            return;
        Put(code);
        writer_.Byte(f.*member ? 1 : 0);
    };
    if (changed(&ReportFont::name)) {
        Put(Code::FontName);
        writer_.Text(f.name);
    }
    if (changed(&ReportFont::color)) {
        Put(Code::FontColor);
        writer_.Long(static_cast<std::int32_t>(f.color));
    }
    if (changed(&ReportFont::pitch)) {
        Put(Code::FontPitch);
        writer_.Byte(static_cast<std::uint8_t>(f.pitch));
    }
    if (changed(&ReportFont::size)) {
        Put(Code::FontSize);
        writer_.Real(f.size / 72.0);
        const double scale = now_.scaleX > 0 ? now_.scaleX : 100;
        writer_.Real(measure_.TextWidth(stream::kFontSample) * 100.0 / scale);
    }
    flag(Code::FontBold, &ReportFont::bold);
    flag(Code::FontItalic, &ReportFont::italic);
    flag(Code::FontUnderline, &ReportFont::underline);
    flag(Code::FontStrikeOut, &ReportFont::strikeOut);
    flag(Code::FontSuperscript, &ReportFont::superscript);
    flag(Code::FontSubscript, &ReportFont::subscript);
    if (changed(&ReportFont::rotation)) {
        Put(Code::FontRotation);
        writer_.Word(static_cast<std::uint16_t>(f.rotation));
    }
    if (changed(&ReportFont::align)) {
        Put(Code::FontAlign);
        writer_.Byte(static_cast<std::uint8_t>(f.align));
    }
}

void StreamRecorder::WritePen(const std::optional<Written>& last) {
    const ReportPen& p = now_.pen;
    if (!last || p.color != last->pen.color) {
        Put(Code::PenColor);
        writer_.Long(static_cast<std::int32_t>(p.color));
    }
    if (!last || p.mode != last->pen.mode) {
        Put(Code::PenMode);
        writer_.Byte(static_cast<std::uint8_t>(p.mode));
    }
    if (!last || p.style != last->pen.style) {
        Put(Code::PenStyle);
        writer_.Byte(static_cast<std::uint8_t>(p.style));
    }
    if (!last || p.width != last->pen.width) {
        Put(Code::PenWidth);
        writer_.Real(p.width);
    }
}

void StreamRecorder::WriteBrush(const std::optional<Written>& last) {
    const ReportBrush& b = now_.brush;
    if (!last || b.color != last->brush.color) {
        Put(Code::BrushColor);
        writer_.Long(static_cast<std::int32_t>(b.color));
    }
    if (!last || b.style != last->brush.style) {
        Put(Code::BrushStyle);
        writer_.Byte(static_cast<std::uint8_t>(b.style));
    }
    if (!last) {
        Put(Code::BrushBitmap);  // reports here never fill with a bitmap
        writer_.Byte(0);
    }
}

void StreamRecorder::WriteScaleAndBackground(const std::optional<Written>& last) {
    if (!last || now_.scaleX != last->scaleX) {
        Put(Code::ScaleX);
        writer_.Real(now_.scaleX);
    }
    if (!last || now_.scaleY != last->scaleY) {
        Put(Code::ScaleY);
        writer_.Real(now_.scaleY);
    }
    if (!last || now_.mode != last->mode) {
        Put(Code::BackgroundMode);
        writer_.Byte(static_cast<std::uint8_t>(now_.mode));
    }
    if (!last || now_.background != last->background) {
        Put(Code::BackgroundColor);
        writer_.Long(static_cast<std::int32_t>(now_.background));
    }
}

double StreamRecorder::TextWidth(std::string_view text) {
    if (measuredWidth_ < 0 || text != measuredText_) {
        measuredText_.assign(text);
        measuredWidth_ = measure_.TextWidth(text);
    }
    return measuredWidth_;
}

void StreamRecorder::SetFont(const ReportFont& font) {
    if (!(font == now_.font))
        measuredWidth_ = -1;
    now_.font = font;
    measure_.SetFont(font);
    if (!Writing())
        return;
    WriteFont(written_);
    written_ = now_;
}

void StreamRecorder::SetPen(const ReportPen& pen) {
    now_.pen = pen;
    if (!Writing())
        return;
    WritePen(written_);
    written_ = now_;
}

void StreamRecorder::SetBrush(const ReportBrush& brush) {
    now_.brush = brush;
    if (!Writing())
        return;
    WriteBrush(written_);
    written_ = now_;
}

void StreamRecorder::SetBackground(BackgroundMode mode, Color color) {
    now_.mode = mode;
    now_.background = color;
    if (!Writing())
        return;
    WriteScaleAndBackground(written_);
    written_ = now_;
}

void StreamRecorder::SetScale(double percentX, double percentY) {
    if (percentX != now_.scaleX || percentY != now_.scaleY)
        measuredWidth_ = -1;
    now_.scaleX = percentX;
    now_.scaleY = percentY;
    measure_.SetScale(percentX, percentY);
    if (!Writing())
        return;
    WriteScaleAndBackground(written_);
    written_ = now_;
}

// Under amPositioning a text is recorded as block text over the width it measured here, so that a
// player on another device covers exactly the same stretch of paper. Rotated text and driver
// commands keep their own form.
void StreamRecorder::PrintText(stream::Code appearance, double x, double y, std::string_view text) {
    if (!Writing())
        return;
    if (text.size() > stream::kMaxText)
        text = text.substr(0, stream::kMaxText);
    const bool keepForm = accuracy_ == TAccuracyMethod::amAppearance || now_.font.rotation != 0 ||
                          text.find(stream::kRawCommandMarker) != std::string_view::npos;
    if (keepForm) {
        Put(appearance);
        writer_.Real(y);
        writer_.Text(text);
        writer_.Real(x);
        return;
    }
    const double width = TextWidth(text);
    const double left = appearance == Code::PrintLeft    ? x
                        : appearance == Code::PrintRight ? x - width
                                                         : x - width / 2;
    Put(Code::PrintBlock);
    writer_.Real(y);
    writer_.Text(text);
    writer_.Real(left);
    writer_.Real(width);
}

void StreamRecorder::PrintLeft(double x, double y, std::string_view text) {
    PrintText(Code::PrintLeft, x, y, text);
}

void StreamRecorder::PrintRight(double x, double y, std::string_view text) {
    PrintText(Code::PrintRight, x, y, text);
}

void StreamRecorder::PrintCentred(double x, double y, std::string_view text) {
    PrintText(Code::PrintCentred, x, y, text);
}

void StreamRecorder::PrintBlock(double x, double y, double width, std::string_view text) {
    if (!Writing())
        return;
    Put(Code::PrintBlock);
    writer_.Real(y);
    writer_.Text(text);
    writer_.Real(x);
    writer_.Real(width);
}

void StreamRecorder::ClipText(const Rect& clip, Point at, std::string_view text) {
    if (!Writing())
        return;
    Put(Code::ClipText);
    writer_.PointAt(clip.topLeft);
    writer_.PointAt(clip.bottomRight);
    writer_.PointAt(at);
    writer_.Text(text);
}

void StreamRecorder::TwoPoints(stream::Code code, Point a, Point b) {
    if (!Writing())
        return;
    Put(code);
    writer_.PointAt(a);
    writer_.PointAt(b);
}

void StreamRecorder::FourPoints(stream::Code code, Point a, Point b, Point c, Point d) {
    if (!Writing())
        return;
    Put(code);
    for (const Point p : {a, b, c, d})
        writer_.PointAt(p);
}

// A point list is stored with its last index; an empty list has none and draws nothing anyway.
void StreamRecorder::Points(stream::Code code, std::span<const Point> points) {
    if (!Writing() || points.empty())
        return;
    if (points.size() > 65536)
        points = points.first(65536);
    Put(code);
    writer_.Word(static_cast<std::uint16_t>(points.size() - 1));
    for (const Point p : points)
        writer_.PointAt(p);
}

void StreamRecorder::MoveTo(Point p) {
    if (!Writing())
        return;
    Put(Code::MoveTo);
    writer_.PointAt(p);
}

void StreamRecorder::LineTo(Point p) {
    if (!Writing())
        return;
    Put(Code::LineTo);
    writer_.PointAt(p);
}

void StreamRecorder::Rectangle(Point a, Point b) {
    TwoPoints(Code::Rectangle, a, b);
}
void StreamRecorder::ShadeBox(Point a, Point b) {
    TwoPoints(Code::ShadeBox, a, b);
}
void StreamRecorder::Ellipse(Point a, Point b) {
    TwoPoints(Code::Ellipse, a, b);
}
void StreamRecorder::FillRect(const Rect& r) {
    TwoPoints(Code::FillRect, r.topLeft, r.bottomRight);
}
void StreamRecorder::FrameRect(const Rect& r) {
    TwoPoints(Code::FrameRect, r.topLeft, r.bottomRight);
}
void StreamRecorder::FocusRect(const Rect& r) {
    TwoPoints(Code::FocusRect, r.topLeft, r.bottomRight);
}

void StreamRecorder::RoundRect(Point a, Point b, double cornerWidth, double cornerHeight) {
    if (!Writing())
        return;
    Put(Code::RoundRect);
    writer_.PointAt(a);
    writer_.PointAt(b);
    writer_.Real(cornerWidth);
    writer_.Real(cornerHeight);
}

void StreamRecorder::Arc(Point a, Point b, Point start, Point end) {
    FourPoints(Code::Arc, a, b, start, end);
}
void StreamRecorder::Chord(Point a, Point b, Point start, Point end) {
    FourPoints(Code::Chord, a, b, start, end);
}
void StreamRecorder::Pie(Point a, Point b, Point start, Point end) {
    FourPoints(Code::Pie, a, b, start, end);
}
void StreamRecorder::Polygon(std::span<const Point> points) {
    Points(Code::Polygon, points);
}
void StreamRecorder::Polyline(std::span<const Point> points) {
    Points(Code::Polyline, points);
}

void StreamRecorder::FloodFill(double x, double y, Color color, int fillStyle) {
    if (!Writing())
        return;
    Put(Code::FloodFill);
    writer_.Real(x);
    writer_.Real(y);
    writer_.Long(static_cast<std::int32_t>(color));
    writer_.Long(fillStyle);
}

void StreamRecorder::DrawGraphic(double x, double y, const Graphic& g) {
    if (!Writing())
        return;
    Put(Code::DrawGraphic);
    writer_.GraphicOf(g);
    writer_.Real(x);
    writer_.Real(y);
}

void StreamRecorder::StretchGraphic(const Rect& r, const Graphic& g) {
    if (!Writing())
        return;
    Put(Code::StretchGraphic);
    writer_.GraphicOf(g);
    writer_.PointAt(r.topLeft);
    writer_.PointAt(r.bottomRight);
}

void StreamRecorder::RawPrinterText(std::string_view text) {
    if (!Writing())
        return;
    Put(Code::RawText);
    writer_.Text(text);
}

void StreamRecorder::RawPrinterData(std::span<const std::uint8_t> data) {
    if (!Writing() || data.size() > 0x7FFFFFFF)
        return;
    Put(Code::RawData);
    writer_.Long(static_cast<std::int32_t>(data.size()));
    writer_.Bytes(data);
}

void StreamRecorder::SelectDestination(Destination d) {
    if (!Writing())
        return;
    Put(d == Destination::ScreenOnly    ? Code::ScreenOnly
        : d == Destination::PrinterOnly ? Code::PrinterOnly
                                        : Code::BothDestinations);
}

}  // namespace report
