// The report's drawing calls on a QPainter: inches mapped to device dots, the report's fonts
// made at the device's resolution and kept in a list of made fonts, block text spread word by
// word. One surface serves the printing device and the page images of the players.
#pragma once

#include "report/model/report_surface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPoint>

#include <list>

class QPainter;

namespace report {

// From inches on the paper to dots on the device. A page image adds a zoom and the offset of
// the page within the image.
struct DeviceMapping {
    int dpiX = 96;
    int dpiY = 96;
    double unprintableLeft = 0;  // inches cut off the paper's left and top by the device
    double unprintableTop = 0;
    double zoom = 100;   // percent
    QPoint offset = {};  // dots
    friend bool operator==(const DeviceMapping&, const DeviceMapping&) = default;
};

// One dot position from inches, rounding halves to even: round((inches x scale x zoom / 10000
// - unprintable) x dpi) + offset.
int DeviceDot(double inches, double scalePercent, double zoomPercent, double unprintable, int dpi,
              int offset);

class PainterSurface : public ReportSurface {
  public:
    PainterSurface();
    ~PainterSurface() override;

    // The painter drawn on; null draws nothing but still measures. The current pen, brush and
    // background are applied to a new painter.
    void SetPainter(QPainter* painter);
    QPainter* Painter() const { return painter_; }
    void SetMapping(const DeviceMapping& mapping);
    const DeviceMapping& Mapping() const { return mapping_; }
    QPoint Map(Point p) const;

    // The made fonts, the last used first; a run empties the list at its end.
    std::size_t MadeFonts() const { return fonts_.size(); }
    void ClearFonts();
    // The device font of the current report font.
    const QFont& DeviceFont();
    // Takes `dots` off the em height of the fonts made from now on, so that a player can fit a
    // text to the width it had when it was recorded; 0 gives fonts their own height.
    void SetFontHeightReduction(double dots);

    // ReportSurface
    void SetFont(const ReportFont& font) override;
    void SetPen(const ReportPen& pen) override;
    void SetBrush(const ReportBrush& brush) override;
    void SetBackground(BackgroundMode mode, Color color) override;
    void SetScale(double percentX, double percentY) override;
    LineMetrics FontMetrics() override;
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
    struct MadeFont {
        ReportFont key;  // only the fields that make a device font
        int emHeight = 0;
        QFont font;
        QFontMetricsF metrics;
    };

    MadeFont& CurrentFont();
    double DotsToInchesX(double dots) const;
    double DotsToInchesY(double dots) const;
    // Draws text whose baseline starts at the device point `at`, turned by the font's rotation
    // and moved along the baseline by `shift` dots (to end or centre it on `at`).
    void DrawText(QPoint at, double shift, std::string_view text);
    void ApplyState();
    QRect Box(Point a, Point b) const;

    QPainter* painter_ = nullptr;
    DeviceMapping mapping_;
    double scaleX_ = 100;
    double scaleY_ = 100;
    ReportFont font_;
    ReportPen pen_;
    ReportBrush brush_;
    BackgroundMode bkMode_ = BackgroundMode::Transparent;
    Color bkColor_ = kWhite;
    QPoint penAt_;
    double heightReduction_ = 0;
    std::list<MadeFont> fonts_;
    MadeFont* current_ = nullptr;  // into fonts_, until the font or the mapping changes
};

}  // namespace report
