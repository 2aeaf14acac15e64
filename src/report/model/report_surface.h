// The one set of drawing calls a report makes, in inches from the paper's top-left corner (the
// report's origin offset already added). Three destinations take them: a painter on the printing
// device, the stream recorder, and a painter on a page image for the players.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace report {

// Colours as the stream stores them: 0x00BBGGRR.
using Color = std::uint32_t;
constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    Point topLeft;
    Point bottomRight;
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class FontPitch : std::uint8_t { Default = 0, Variable = 1, Fixed = 2 };
enum class TextAlign : std::uint8_t { Baseline = 0, Top = 1, Bottom = 2 };

struct ReportFont {
    std::string name = "Arial";  // Windows-1252, at most 60 characters
    Color color = kBlack;
    FontPitch pitch = FontPitch::Default;
    double size = 10;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool superscript = false;  // excludes subscript
    bool subscript = false;
    int rotation = 0;  // degrees, 0 to 359
    TextAlign align = TextAlign::Baseline;
    friend bool operator==(const ReportFont&, const ReportFont&) = default;
};

// Values of the old drawing API, kept because the stream stores them as bytes.
enum class PenStyle : std::uint8_t { Solid = 0, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class PenMode : std::uint8_t { Black = 0, White, Nop, Not, Copy, NotCopy, MergePenNot,
                                    MaskPenNot, MergeNotPen, MaskNotPen, Merge, NotMerge, Mask,
                                    NotMask, Xor, NotXor };
enum class BrushStyle : std::uint8_t { Solid = 0, Clear, Horizontal, Vertical, FDiagonal,
                                       BDiagonal, Cross, DiagCross };
enum class BackgroundMode : std::uint8_t { Transparent = 0, Opaque = 1 };

struct ReportPen {
    Color color = kBlack;
    PenMode mode = PenMode::Copy;
    PenStyle style = PenStyle::Solid;
    double width = 0;  // inches; 0 is the thinnest line the destination draws
    friend bool operator==(const ReportPen&, const ReportPen&) = default;
};

struct ReportBrush {
    Color color = kWhite;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const ReportBrush&, const ReportBrush&) = default;
};

// Ascent and descent of the current font, in inches.
struct LineMetrics {
    double ascent = 0;
    double descent = 0;
};

// A graphic as the stream carries it: a kind and the host's own saved form of it.
enum class GraphicKind : std::uint8_t { Bitmap = 1, Metafile = 2, Icon = 3, Other = 4 };
struct Graphic {
    GraphicKind kind = GraphicKind::Bitmap;
    std::string bytes;
};

// Which destinations the following drawing is for.
enum class Destination : std::uint8_t { ScreenOnly, PrinterOnly, Both };

class ReportSurface {
  public:
    virtual ~ReportSurface() = default;

    // State. Each call carries the whole value; a destination that records may drop repeats.
    virtual void SetFont(const ReportFont& font) = 0;
    virtual void SetPen(const ReportPen& pen) = 0;
    virtual void SetBrush(const ReportBrush& brush) = 0;
    virtual void SetBackground(BackgroundMode mode, Color color) = 0;
    virtual void SetScale(double percentX, double percentY) = 0;

    // Measuring in the current font, on this destination's resolution.
    virtual LineMetrics FontMetrics() = 0;
    virtual double TextWidth(std::string_view text) = 0;

    // Text on a baseline y: starting at x, ending at x, centred on x, or spread over `width`
    // from x (the gaps between words share the extra width). Texts are Windows-1252.
    virtual void PrintLeft(double x, double y, std::string_view text) = 0;
    virtual void PrintRight(double x, double y, std::string_view text) = 0;
    virtual void PrintCentred(double x, double y, std::string_view text) = 0;
    virtual void PrintBlock(double x, double y, double width, std::string_view text) = 0;
    // Text whose top left is `at`, clipped to `clip`, which is first filled with the background
    // colour unless the brush is clear.
    virtual void ClipText(const Rect& clip, Point at, std::string_view text) = 0;

    // Shapes in the current pen and brush.
    virtual void MoveTo(Point p) = 0;
    virtual void LineTo(Point p) = 0;
    virtual void Rectangle(Point a, Point b) = 0;
    // A rectangle one device dot wider and taller, for filling tab cells edge to edge.
    virtual void ShadeBox(Point a, Point b) = 0;
    virtual void RoundRect(Point a, Point b, double cornerWidth, double cornerHeight) = 0;
    virtual void Ellipse(Point a, Point b) = 0;
    virtual void Arc(Point a, Point b, Point start, Point end) = 0;
    virtual void Chord(Point a, Point b, Point start, Point end) = 0;
    virtual void Pie(Point a, Point b, Point start, Point end) = 0;
    virtual void Polygon(std::span<const Point> points) = 0;
    virtual void Polyline(std::span<const Point> points) = 0;
    virtual void FillRect(const Rect& r) = 0;
    virtual void FrameRect(const Rect& r) = 0;
    virtual void FocusRect(const Rect& r) = 0;
    virtual void FloodFill(double x, double y, Color color, int fillStyle) = 0;
    virtual void DrawGraphic(double x, double y, const Graphic& g) = 0;
    virtual void StretchGraphic(const Rect& r, const Graphic& g) = 0;

    // Passed to a printer unchanged; other destinations ignore them.
    virtual void RawPrinterText(std::string_view text) = 0;
    virtual void RawPrinterData(std::span<const std::uint8_t> data) = 0;
    virtual void SelectDestination(Destination d) = 0;
};

}  // namespace report
