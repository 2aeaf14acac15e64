// Command by command, what a played stream does to a surface. State codes only mark the state
// as changed; it reaches the surface just before the next drawing, so a page's state block costs
// one font change, not twelve.
#include "report/model/stream_player.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/model/report_stream_format.h"

namespace report::stream {

namespace {

// A stream is outside bytes: lengths and positions beyond any paper are cut to a range that no
// device arithmetic overflows on, and values that are not numbers become 0.
constexpr double kMaxInches = 1000;
constexpr double kMaxPenInches = 10;
constexpr double kMaxFontPoints = 1000;

double Bounded(double v, double limit) {
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -limit, limit);
}

double R(const Command& c, std::size_t i) {
    return Bounded(c.Real(i), kMaxInches);
}

Point P(const Command& c, std::size_t i) {
    const Point p = c.PointAt(i);
    return {Bounded(p.x, kMaxInches), Bounded(p.y, kMaxInches)};
}

class PagePlayer {
  public:
    PagePlayer(ReportSurface& target, const PlayOptions& options)
        : target_(target), options_(options) {}

    // False at the page's end.
    bool Play(const Command& c);

  private:
    bool Drawing() {
        if (!drawing_)
            return false;
        if (fontDirty_)
            target_.SetFont(font_);
        if (penDirty_)
            target_.SetPen(pen_);
        if (brushDirty_)
            target_.SetBrush(brush_);
        if (backgroundDirty_)
            target_.SetBackground(mode_, background_);
        fontDirty_ = penDirty_ = brushDirty_ = backgroundDirty_ = false;
        return true;
    }
    void FontSize(double inches, double referenceWidth);
    void PrintBlock(double x, double y, double width, const std::string& text);
    std::vector<Point> PointList(const Command& c) const;

    ReportSurface& target_;
    PlayOptions options_;
    ReportFont font_;
    ReportPen pen_;
    ReportBrush brush_;
    BackgroundMode mode_ = BackgroundMode::Transparent;
    Color background_ = kWhite;
    bool fontDirty_ = true, penDirty_ = true, brushDirty_ = true, backgroundDirty_ = true;
    bool drawing_ = true;
};

std::vector<Point> PagePlayer::PointList(const Command& c) const {
    std::vector<Point> points;
    for (std::size_t i = 1; i < c.operands.size(); ++i)
        points.push_back(P(c, i));
    return points;
}

// A font that runs wider here than where it was recorded would push text into its neighbours:
// it is made smaller a device dot at a time while that still narrows it.
void PagePlayer::FontSize(double inches, double referenceWidth) {
    font_.size = Bounded(inches * 72, kMaxFontPoints);
    fontDirty_ = true;
    if (!(referenceWidth > 0) || !(options_.dotsPerInch > 0))
        return;
    referenceWidth = Bounded(referenceWidth, kMaxInches);
    target_.SetFont(font_);
    fontDirty_ = false;
    // Widths are compared in whole device dots, as the device draws them.
    auto dots = [&](double inches) { return std::lround(inches * options_.dotsPerInch); };
    const long reference = dots(referenceWidth);
    long width = dots(target_.TextWidth(kFontSample));
    const double applied = font_.size;
    const double step = 1.1 * 72 / options_.dotsPerInch;
    // The bound only guards against sizes no font has; real fonts narrow at nearly every step.
    for (int steps = 0; width > reference && steps < 1000; ++steps) {
        ReportFont smaller = font_;
        smaller.size -= step;
        if (smaller.size <= 0)
            break;
        target_.SetFont(smaller);
        const long narrower = dots(target_.TextWidth(kFontSample));
        if (narrower >= width) {
            font_.size = applied;
            fontDirty_ = true;
            return;
        }
        font_ = smaller;
        width = narrower;
    }
}

// A text that already measures its recorded width here, to within half a dot, is drawn whole:
// spreading it would move nothing, and costs a measure and a drawing per word.
void PagePlayer::PrintBlock(double x, double y, double width, const std::string& text) {
    if (std::abs(target_.TextWidth(text) - width) * options_.dotsPerInch < 0.5)
        target_.PrintLeft(x, y, text);
    else
        target_.PrintBlock(x, y, width, text);
}

bool PagePlayer::Play(const Command& c) {
    auto flag = [&](bool& field) {
        field = c.Int(0) != 0;
        fontDirty_ = true;
    };
    switch (static_cast<Code>(c.code)) {
        case Code::EndPage:
            return false;
        case Code::Arc:
            if (Drawing())
                target_.Arc(P(c, 0), P(c, 1), P(c, 2), P(c, 3));
            break;
        case Code::Chord:
            if (Drawing())
                target_.Chord(P(c, 0), P(c, 1), P(c, 2), P(c, 3));
            break;
        case Code::Pie:
            if (Drawing())
                target_.Pie(P(c, 0), P(c, 1), P(c, 2), P(c, 3));
            break;
        case Code::DrawGraphic:
            if (Drawing())
                target_.DrawGraphic(R(c, 1), R(c, 2), c.GraphicAt(0));
            break;
        case Code::GraphicAtSize: {
            const Point at = P(c, 1);
            if (Drawing())
                target_.StretchGraphic({at, {at.x + R(c, 2), at.y + R(c, 3)}}, c.GraphicAt(0));
            break;
        }
        case Code::GraphicCorners:
        case Code::StretchGraphic:
            if (Drawing())
                target_.StretchGraphic({P(c, 1), P(c, 2)}, c.GraphicAt(0));
            break;
        case Code::FocusRect:
            if (Drawing())
                target_.FocusRect({P(c, 0), P(c, 1)});
            break;
        case Code::Ellipse:
            if (Drawing())
                target_.Ellipse(P(c, 0), P(c, 1));
            break;
        case Code::FillRect:
            if (Drawing())
                target_.FillRect({P(c, 0), P(c, 1)});
            break;
        case Code::FloodFill:
            if (Drawing())
                target_.FloodFill(R(c, 0), R(c, 1), static_cast<Color>(c.Int(2)),
                                  static_cast<int>(c.Int(3)));
            break;
        case Code::FrameRect:
            if (Drawing())
                target_.FrameRect({P(c, 0), P(c, 1)});
            break;
        case Code::LineTo:
            if (Drawing())
                target_.LineTo(P(c, 0));
            break;
        case Code::MoveTo:
            if (Drawing())
                target_.MoveTo(P(c, 0));
            break;
        case Code::Polygon:
            if (Drawing())
                target_.Polygon(PointList(c));
            break;
        case Code::Polyline:
            if (Drawing())
                target_.Polyline(PointList(c));
            break;
        case Code::Rectangle:
            if (Drawing())
                target_.Rectangle(P(c, 0), P(c, 1));
            break;
        case Code::ShadeBox:
            if (Drawing())
                target_.ShadeBox(P(c, 0), P(c, 1));
            break;
        case Code::RoundRect:
            if (Drawing())
                target_.RoundRect(P(c, 0), P(c, 1), R(c, 2), R(c, 3));
            break;
        case Code::ClipText:
            if (Drawing())
                target_.ClipText({P(c, 0), P(c, 1)}, P(c, 2), c.Text(3));
            break;
        case Code::PrintCentred:
            if (Drawing())
                target_.PrintCentred(R(c, 2), R(c, 0), c.Text(1));
            break;
        case Code::PrintLeft:
            if (Drawing())
                target_.PrintLeft(R(c, 2), R(c, 0), c.Text(1));
            break;
        case Code::PrintRight:
            if (Drawing())
                target_.PrintRight(R(c, 2), R(c, 0), c.Text(1));
            break;
        case Code::PrintBlockOld:
        case Code::PrintBlock:
            if (Drawing())
                PrintBlock(R(c, 2), R(c, 0), R(c, 3), c.Text(1));
            break;
        case Code::BackgroundMode:
            mode_ = c.Int(0) == 1 ? BackgroundMode::Opaque : BackgroundMode::Transparent;
            backgroundDirty_ = true;
            break;
        case Code::BackgroundColor:
            background_ = static_cast<Color>(c.Int(0));
            backgroundDirty_ = true;
            break;
        case Code::RawText:
            if (Drawing())
                target_.RawPrinterText(c.Text(0));
            break;
        case Code::RawData: {
            const std::string& data = c.Text(1);
            for (std::size_t at = 0; at < data.size() && Drawing(); at += 4096) {
                const std::size_t n = std::min<std::size_t>(4096, data.size() - at);
                target_.RawPrinterData(
                    {reinterpret_cast<const std::uint8_t*>(data.data()) + at, n});
            }
            break;
        }
        case Code::Brush:
            brush_.color = static_cast<Color>(c.Int(0));
            brush_.style = static_cast<BrushStyle>(c.Int(1) & 7);
            brushDirty_ = true;
            break;
        case Code::BrushColor:
            brush_.color = static_cast<Color>(c.Int(0));
            brushDirty_ = true;
            break;
        case Code::BrushStyle:
            brush_.style = static_cast<BrushStyle>(c.Int(0) & 7);
            brushDirty_ = true;
            break;
        case Code::Font:
            font_.name = c.Text(0);
            font_.color = static_cast<Color>(c.Int(1));
            font_.pitch = static_cast<FontPitch>(c.Int(2) % 3);
            font_.size = Bounded(c.Real(3) * 72, kMaxFontPoints);
            font_.bold = c.Int(4) != 0;
            font_.italic = c.Int(5) != 0;
            font_.underline = c.Int(6) != 0;
            font_.strikeOut = c.Int(7) != 0;
            font_.rotation = static_cast<int>(c.Int(8) % 360);
            fontDirty_ = true;
            break;
        case Code::FontName:
            font_.name = c.Text(0);
            fontDirty_ = true;
            break;
        case Code::FontColor:
            font_.color = static_cast<Color>(c.Int(0));
            fontDirty_ = true;
            break;
        case Code::FontPitch:
            font_.pitch = static_cast<FontPitch>(c.Int(0) % 3);
            fontDirty_ = true;
            break;
        case Code::FontSize:
            FontSize(c.Real(0), c.Real(1));
            break;
        case Code::FontBold:
            flag(font_.bold);
            break;
        case Code::FontUnderline:
            flag(font_.underline);
            break;
        case Code::FontItalic:
            flag(font_.italic);
            break;
        case Code::FontStrikeOut:
            flag(font_.strikeOut);
            break;
        case Code::FontSuperscript:
            flag(font_.superscript);
            if (font_.superscript)
                font_.subscript = false;
            break;
        case Code::FontSubscript:
            flag(font_.subscript);
            if (font_.subscript)
                font_.superscript = false;
            break;
        case Code::FontRotation:
            font_.rotation = static_cast<int>(c.Int(0) % 360);
            fontDirty_ = true;
            break;
        case Code::FontAlign:
            font_.align = static_cast<TextAlign>(c.Int(0) % 3);
            fontDirty_ = true;
            break;
        case Code::Pen:
            pen_.color = static_cast<Color>(c.Int(0));
            pen_.mode = static_cast<PenMode>(c.Int(1) & 15);
            pen_.style = static_cast<PenStyle>(c.Int(2) % 7);
            pen_.width = Bounded(c.Real(3), kMaxPenInches);
            penDirty_ = true;
            break;
        case Code::PenColor:
            pen_.color = static_cast<Color>(c.Int(0));
            penDirty_ = true;
            break;
        case Code::PenMode:
            pen_.mode = static_cast<PenMode>(c.Int(0) & 15);
            penDirty_ = true;
            break;
        case Code::PenStyle:
            pen_.style = static_cast<PenStyle>(c.Int(0) % 7);
            penDirty_ = true;
            break;
        case Code::PenWidth:
            pen_.width = Bounded(c.Real(0), kMaxPenInches);
            penDirty_ = true;
            break;
        case Code::ScreenOnly:
            drawing_ = options_.kind == PlayerKind::Preview;
            break;
        case Code::PrinterOnly:
            drawing_ = options_.kind == PlayerKind::Printer;
            break;
        case Code::BothDestinations:
            drawing_ = true;
            break;
        // Read and passed over: the scale (already in every position), copying from a canvas
        // the stream cannot carry, bitmap brushes, the graphic mode, line metrics, the paper
        // settings of the device, and the shapes no report of this program draws.
        default:
            break;
    }
    return true;
}

}  // namespace

Status PlayPage(StreamReader& reader, int n, ReportSurface& target, const PlayOptions& options,
                PageRecord& played) {
    if (Status s = reader.GoToPage(n, played); !s)
        return s;
    PagePlayer player(target, options);
    Command command;
    for (;;) {
        if (Status s = reader.NextCommand(command); !s)
            return s;
        if (!player.Play(command))
            return Status::Ok();
    }
}

}  // namespace report::stream
