// The report's drawing calls on a QPainter.
#include "report/draw/painter_surface.h"

#include "report/model/block_text.h"
#include "rtl/ansi.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <numbers>
#include <vector>

namespace report {
namespace {

QColor ToQColor(Color c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QString ToQString(std::string_view ansi) {
    return QString::fromStdString(rtl::AnsiToUtf8(ansi));
}

Qt::PenStyle ToQtPenStyle(PenStyle style) {
    switch (style) {
        case PenStyle::Dash:
            return Qt::DashLine;
        case PenStyle::Dot:
            return Qt::DotLine;
        case PenStyle::DashDot:
            return Qt::DashDotLine;
        case PenStyle::DashDotDot:
            return Qt::DashDotDotLine;
        case PenStyle::Clear:
            return Qt::NoPen;
        case PenStyle::Solid:
        case PenStyle::InsideFrame:
            break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle ToQtBrushStyle(BrushStyle style) {
    switch (style) {
        case BrushStyle::Clear:
            return Qt::NoBrush;
        case BrushStyle::Horizontal:
            return Qt::HorPattern;
        case BrushStyle::Vertical:
            return Qt::VerPattern;
        case BrushStyle::FDiagonal:
            return Qt::FDiagPattern;
        case BrushStyle::BDiagonal:
            return Qt::BDiagPattern;
        case BrushStyle::Cross:
            return Qt::CrossPattern;
        case BrushStyle::DiagCross:
            return Qt::DiagCrossPattern;
        case BrushStyle::Solid:
            break;
    }
    return Qt::SolidPattern;
}

// The angle of `p` seen from the centre of `box`, counter-clockwise from three o'clock as the
// eye sees it (device y grows downwards), in sixteenths of a degree.
int Angle16(const QRect& box, QPoint p) {
    const QPointF c = QRectF(box).center();
    const double degrees = std::atan2(c.y() - p.y(), p.x() - c.x()) * 180 / std::numbers::pi;
    return static_cast<int>(std::lround(degrees * 16));
}

// From the start angle counter-clockwise to the end angle, a whole turn when they meet.
std::pair<int, int> ArcAngles(const QRect& box, QPoint start, QPoint end) {
    const int from = Angle16(box, start);
    int span = Angle16(box, end) - from;
    while (span <= 0)
        span += 360 * 16;
    return {from, span};
}

}  // namespace

int DeviceDot(double inches, double scalePercent, double zoomPercent, double unprintable, int dpi,
              int offset) {
    const double dots = (inches * scalePercent * zoomPercent / 10000 - unprintable) * dpi;
    return static_cast<int>(std::nearbyint(dots)) + offset;  // halves to even
}

PainterSurface::PainterSurface() = default;
PainterSurface::~PainterSurface() = default;

void PainterSurface::SetPainter(QPainter* painter) {
    painter_ = painter;
    ApplyState();
}

void PainterSurface::SetMapping(const DeviceMapping& mapping) {
    if (mapping == mapping_)
        return;
    mapping_ = mapping;
    current_ = nullptr;
    SetPen(pen_);  // its width is in dots
}

QPoint PainterSurface::Map(Point p) const {
    return {DeviceDot(p.x, scaleX_, mapping_.zoom, mapping_.unprintableLeft, mapping_.dpiX,
                      mapping_.offset.x()),
            DeviceDot(p.y, scaleY_, mapping_.zoom, mapping_.unprintableTop, mapping_.dpiY,
                      mapping_.offset.y())};
}

double PainterSurface::DotsToInchesX(double dots) const {
    return dots / (mapping_.dpiX * mapping_.zoom / 100);
}

double PainterSurface::DotsToInchesY(double dots) const {
    return dots / (mapping_.dpiY * mapping_.zoom / 100);
}

QRect PainterSurface::Box(Point a, Point b) const {
    const QPoint p = Map(a);
    const QPoint q = Map(b);
    return QRect(QPoint(std::min(p.x(), q.x()), std::min(p.y(), q.y())),
                 QPoint(std::max(p.x(), q.x()) - 1, std::max(p.y(), q.y()) - 1));
}

// --- Fonts ---

void PainterSurface::ClearFonts() {
    fonts_.clear();
    current_ = nullptr;
}

void PainterSurface::SetFont(const ReportFont& font) {
    if (font == font_)
        return;
    font_ = font;
    current_ = nullptr;
}

PainterSurface::MadeFont& PainterSurface::CurrentFont() {
    if (current_)
        return *current_;
    // Colour and alignment do not make a different device font; the height does, and it
    // follows the resolution and the zoom as well as the size.
    ReportFont key = font_;
    key.color = kBlack;
    key.align = TextAlign::Baseline;
    int em = static_cast<int>(
        std::nearbyint(mapping_.dpiY * key.size / 72 * mapping_.zoom / 100 - heightReduction_));
    if (key.superscript || key.subscript)
        em /= 2;
    em = std::max(em, 1);

    for (auto it = fonts_.begin(); it != fonts_.end(); ++it) {
        if (it->key == key && it->emHeight == em) {
            fonts_.splice(fonts_.begin(), fonts_, it);
            return *(current_ = &fonts_.front());
        }
    }
    QFont font(ToQString(key.name));
    font.setPixelSize(em);
    font.setWeight(key.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(key.italic);
    font.setUnderline(key.underline);
    font.setStrikeOut(key.strikeOut);
    // Unhinted outlines keep widths proportional to the height, so a text measured at one zoom
    // takes the same share of the line at every other.
    font.setHintingPreference(QFont::PreferNoHinting);
    if (key.pitch == FontPitch::Fixed) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    fonts_.push_front({key, em, font, QFontMetricsF(font)});
    return *(current_ = &fonts_.front());
}

const QFont& PainterSurface::DeviceFont() {
    return CurrentFont().font;
}

void PainterSurface::SetFontHeightReduction(double dots) {
    if (dots == heightReduction_)
        return;
    heightReduction_ = dots;
    current_ = nullptr;
}

LineMetrics PainterSurface::FontMetrics() {
    const QFontMetricsF& metrics = CurrentFont().metrics;
    return {DotsToInchesY(metrics.ascent()), DotsToInchesY(metrics.descent())};
}

double PainterSurface::TextWidth(std::string_view text) {
    return DotsToInchesX(CurrentFont().metrics.horizontalAdvance(ToQString(text)));
}

// --- State ---

void PainterSurface::SetPen(const ReportPen& pen) {
    pen_ = pen;
    if (painter_)
        ApplyState();
}

void PainterSurface::SetBrush(const ReportBrush& brush) {
    brush_ = brush;
    if (painter_)
        painter_->setBrush(QBrush(ToQColor(brush_.color), ToQtBrushStyle(brush_.style)));
}

void PainterSurface::SetBackground(BackgroundMode mode, Color color) {
    bkMode_ = mode;
    bkColor_ = color;
    if (!painter_)
        return;
    painter_->setBackgroundMode(mode == BackgroundMode::Opaque ? Qt::OpaqueMode
                                                               : Qt::TransparentMode);
    painter_->setBackground(ToQColor(color));
}

void PainterSurface::SetScale(double percentX, double percentY) {
    scaleX_ = percentX;
    scaleY_ = percentY;
}

void PainterSurface::ApplyState() {
    if (!painter_)
        return;
    const double dots = pen_.width * mapping_.dpiX * mapping_.zoom / 100;
    QPen pen(ToQColor(pen_.color), dots < 1.5 ? 0 : std::nearbyint(dots), ToQtPenStyle(pen_.style),
             Qt::FlatCap);
    painter_->setPen(pen);
    painter_->setBrush(QBrush(ToQColor(brush_.color), ToQtBrushStyle(brush_.style)));
    painter_->setBackgroundMode(bkMode_ == BackgroundMode::Opaque ? Qt::OpaqueMode
                                                                  : Qt::TransparentMode);
    painter_->setBackground(ToQColor(bkColor_));
}

// --- Text ---

void PainterSurface::DrawText(QPoint at, double shift, std::string_view text) {
    if (!painter_ || text.empty())
        return;
    const MadeFont& made = CurrentFont();
    double baseline = 0;
    if (font_.align == TextAlign::Top)
        baseline = made.metrics.ascent();
    if (font_.align == TextAlign::Bottom)
        baseline = -made.metrics.descent();
    const QPen shapePen = painter_->pen();
    painter_->setFont(made.font);
    painter_->setPen(ToQColor(font_.color));
    if (font_.rotation == 0) {
        painter_->drawText(QPointF(at.x() + shift, at.y() + baseline), ToQString(text));
    } else {
        painter_->save();
        painter_->translate(at);
        painter_->rotate(-font_.rotation);
        painter_->drawText(QPointF(shift, baseline), ToQString(text));
        painter_->restore();
    }
    painter_->setPen(shapePen);
}

void PainterSurface::PrintLeft(double x, double y, std::string_view text) {
    DrawText(Map({x, y}), 0, text);
}

void PainterSurface::PrintRight(double x, double y, std::string_view text) {
    if (!painter_)
        return;
    DrawText(Map({x, y}), -CurrentFont().metrics.horizontalAdvance(ToQString(text)), text);
}

void PainterSurface::PrintCentred(double x, double y, std::string_view text) {
    if (!painter_)
        return;
    DrawText(Map({x, y}), -CurrentFont().metrics.horizontalAdvance(ToQString(text)) / 2, text);
}

void PainterSurface::PrintBlock(double x, double y, double width, std::string_view text) {
    if (!painter_)
        return;
    const auto measure = [this](std::string_view part) { return TextWidth(part); };
    for (const BlockPiece& piece : LayoutBlock(text, width, measure))
        DrawText(Map({x + piece.x, y}), 0, text.substr(piece.start, piece.length));
}

void PainterSurface::ClipText(const Rect& clip, Point at, std::string_view text) {
    if (!painter_)
        return;
    const QRect box = Box(clip.topLeft, clip.bottomRight);
    painter_->save();
    if (brush_.style != BrushStyle::Clear)
        painter_->fillRect(box, ToQColor(bkColor_));
    painter_->setClipRect(box);
    const TextAlign align = font_.align;
    font_.align = TextAlign::Top;  // `at` is the text's top left
    DrawText(Map(at), 0, text);
    font_.align = align;
    painter_->restore();
}

// --- Shapes ---

void PainterSurface::MoveTo(Point p) {
    penAt_ = Map(p);
}

void PainterSurface::LineTo(Point p) {
    const QPoint to = Map(p);
    if (painter_)
        painter_->drawLine(penAt_, to);
    penAt_ = to;
}

void PainterSurface::Rectangle(Point a, Point b) {
    if (!painter_)
        return;
    const QRect box = Box(a, b);
    painter_->fillRect(box, painter_->brush());
    if (pen_.style == PenStyle::Clear)
        return;
    const QBrush brush = painter_->brush();
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(box.adjusted(0, 0, -1, -1));  // a stroked QRect grows by the pen
    painter_->setBrush(brush);
}

void PainterSurface::ShadeBox(Point a, Point b) {
    if (!painter_)
        return;
    painter_->fillRect(Box(a, b).adjusted(0, 0, 1, 1), painter_->brush());
}

void PainterSurface::RoundRect(Point a, Point b, double cornerWidth, double cornerHeight) {
    if (!painter_)
        return;
    const QRect box = Box(a, b);
    const double rx = cornerWidth * mapping_.dpiX * mapping_.zoom / 100 / 2;
    const double ry = cornerHeight * mapping_.dpiY * mapping_.zoom / 100 / 2;
    painter_->drawRoundedRect(box, rx, ry);
}

void PainterSurface::Ellipse(Point a, Point b) {
    if (painter_)
        painter_->drawEllipse(Box(a, b));
}

void PainterSurface::Arc(Point a, Point b, Point start, Point end) {
    if (!painter_)
        return;
    const QRect box = Box(a, b);
    const auto [from, span] = ArcAngles(box, Map(start), Map(end));
    painter_->drawArc(box, from, span);
}

void PainterSurface::Chord(Point a, Point b, Point start, Point end) {
    if (!painter_)
        return;
    const QRect box = Box(a, b);
    const auto [from, span] = ArcAngles(box, Map(start), Map(end));
    painter_->drawChord(box, from, span);
}

void PainterSurface::Pie(Point a, Point b, Point start, Point end) {
    if (!painter_)
        return;
    const QRect box = Box(a, b);
    const auto [from, span] = ArcAngles(box, Map(start), Map(end));
    painter_->drawPie(box, from, span);
}

void PainterSurface::Polygon(std::span<const Point> points) {
    if (!painter_)
        return;
    QPolygon polygon;
    for (const Point& p : points)
        polygon << Map(p);
    painter_->drawPolygon(polygon);
}

void PainterSurface::Polyline(std::span<const Point> points) {
    if (!painter_)
        return;
    QPolygon polygon;
    for (const Point& p : points)
        polygon << Map(p);
    painter_->drawPolyline(polygon);
}

void PainterSurface::FillRect(const Rect& r) {
    if (painter_)
        painter_->fillRect(Box(r.topLeft, r.bottomRight), painter_->brush());
}

void PainterSurface::FrameRect(const Rect& r) {
    if (!painter_)
        return;
    const QRect box = Box(r.topLeft, r.bottomRight);
    const QColor color = ToQColor(brush_.color);
    painter_->fillRect(QRect(box.left(), box.top(), box.width(), 1), color);
    painter_->fillRect(QRect(box.left(), box.bottom(), box.width(), 1), color);
    painter_->fillRect(QRect(box.left(), box.top(), 1, box.height()), color);
    painter_->fillRect(QRect(box.right(), box.top(), 1, box.height()), color);
}

void PainterSurface::FocusRect(const Rect& r) {
    if (!painter_)
        return;
    painter_->save();
    painter_->setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(Box(r.topLeft, r.bottomRight).adjusted(0, 0, -1, -1));
    painter_->restore();
}

// A painter has no flood fill; the reports of this program never ask for one.
void PainterSurface::FloodFill(double, double, Color, int) {}

void PainterSurface::DrawGraphic(double x, double y, const Graphic& g) {
    if (!painter_)
        return;
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(g.bytes.data()),
                                          static_cast<int>(g.bytes.size()));
    if (image.isNull())
        return;
    // At the graphic's own size: its resolution when it carries one, else the screen's 96.
    const double dpiX = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() * 0.0254 : 96;
    const double dpiY = image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() * 0.0254 : 96;
    const Point far{x + image.width() / dpiX, y + image.height() / dpiY};
    painter_->drawImage(QRect(Map({x, y}), Map(far) - QPoint(1, 1)), image);
}

void PainterSurface::StretchGraphic(const Rect& r, const Graphic& g) {
    if (!painter_)
        return;
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(g.bytes.data()),
                                          static_cast<int>(g.bytes.size()));
    if (!image.isNull())
        painter_->drawImage(Box(r.topLeft, r.bottomRight), image);
}

// A painter has no channel past its drawing; raw printer bytes have nowhere to go.
void PainterSurface::RawPrinterText(std::string_view) {}
void PainterSurface::RawPrinterData(std::span<const std::uint8_t>) {}

// The report drops output meant for other destinations before it reaches a surface.
void PainterSurface::SelectDestination(Destination) {}

}  // namespace report
