// A drawing surface for tests: text is a fixed half em wide per character (wider when bold), and
// every drawing call is kept as a line of text, so tests can read what a player drew.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "report/model/report_surface.h"

namespace report::test {

class LogSurface : public ReportSurface {
  public:
    std::vector<std::string> calls;
    ReportFont font;
    // How much wider than recorded this surface's text runs, as a factor.
    double widthFactor = 1.0;
    int fontChanges = 0;

    static std::string N(double v) {
        char b[32];
        std::snprintf(b, sizeof b, "%.4f", v);
        return b;
    }
    static std::string P(Point p) { return "(" + N(p.x) + "," + N(p.y) + ")"; }
    void Log(std::string line) { calls.push_back(std::move(line)); }

    void SetFont(const ReportFont& f) override {
        font = f;
        ++fontChanges;
    }
    void SetPen(const ReportPen& p) override {
        Log("pen " + std::to_string(p.color) + " " + N(p.width));
    }
    void SetBrush(const ReportBrush& b) override {
        Log("brush " + std::to_string(b.color) + " " + std::to_string(static_cast<int>(b.style)));
    }
    void SetBackground(BackgroundMode, Color) override {}
    void SetScale(double, double) override {}
    LineMetrics FontMetrics() override { return {font.size / 72 * 0.8, font.size / 72 * 0.2}; }
    double TextWidth(std::string_view text) override {
        return static_cast<double>(text.size()) * font.size / 144 * (font.bold ? 1.2 : 1.0) *
               widthFactor;
    }
    void PrintLeft(double x, double y, std::string_view t) override {
        Log("left " + N(x) + " " + N(y) + " " + std::string(t) + " @" + N(font.size));
    }
    void PrintRight(double x, double y, std::string_view t) override {
        Log("right " + N(x) + " " + N(y) + " " + std::string(t));
    }
    void PrintCentred(double x, double y, std::string_view t) override {
        Log("centred " + N(x) + " " + N(y) + " " + std::string(t));
    }
    void PrintBlock(double x, double y, double w, std::string_view t) override {
        Log("block " + N(x) + " " + N(y) + " " + N(w) + " " + std::string(t));
    }
    void ClipText(const Rect& r, Point at, std::string_view t) override {
        Log("clip " + P(r.topLeft) + P(r.bottomRight) + " " + P(at) + " " + std::string(t));
    }
    void MoveTo(Point p) override { Log("move " + P(p)); }
    void LineTo(Point p) override { Log("line " + P(p)); }
    void Rectangle(Point a, Point b) override { Log("rect " + P(a) + P(b)); }
    void ShadeBox(Point a, Point b) override { Log("shade " + P(a) + P(b)); }
    void RoundRect(Point a, Point b, double, double) override { Log("round " + P(a) + P(b)); }
    void Ellipse(Point a, Point b) override { Log("ellipse " + P(a) + P(b)); }
    void Arc(Point, Point, Point, Point) override { Log("arc"); }
    void Chord(Point, Point, Point, Point) override { Log("chord"); }
    void Pie(Point, Point, Point, Point) override { Log("pie"); }
    void Polygon(std::span<const Point> p) override { Log("polygon " + std::to_string(p.size())); }
    void Polyline(std::span<const Point> p) override {
        Log("polyline " + std::to_string(p.size()));
    }
    void FillRect(const Rect& r) override { Log("fill " + P(r.topLeft) + P(r.bottomRight)); }
    void FrameRect(const Rect&) override { Log("frame"); }
    void FocusRect(const Rect&) override { Log("focus"); }
    void FloodFill(double, double, Color, int) override { Log("flood"); }
    void DrawGraphic(double, double, const Graphic& g) override {
        Log("graphic " + std::to_string(g.bytes.size()));
    }
    void StretchGraphic(const Rect& r, const Graphic& g) override {
        Log("stretch " + P(r.topLeft) + P(r.bottomRight) + " " + std::to_string(g.bytes.size()));
    }
    void RawPrinterText(std::string_view t) override { Log("raw " + std::string(t)); }
    void RawPrinterData(std::span<const std::uint8_t> d) override {
        Log("data " + std::to_string(d.size()));
    }
    void SelectDestination(Destination) override {}
};

}  // namespace report::test
