// A drawing surface for tests of the report model: every call becomes one line of text, and
// text is measured as 0.1 inch a character, the font's ascent and descent as a tenth and a
// twentieth of its size in inches.
#pragma once

#include "report/model/report_surface.h"

#include <cstdio>
#include <string>
#include <vector>

namespace report_test {

class FakeSurface : public report::ReportSurface {
  public:
    std::vector<std::string> calls;
    report::ReportFont font;
    report::ReportPen pen;
    report::ReportBrush brush;

    // Only the drawing calls, without the state changes that surround them.
    std::vector<std::string> Drawn() const {
        std::vector<std::string> out;
        for (const auto& call : calls)
            if (call.rfind("font", 0) != 0 && call.rfind("pen", 0) != 0 &&
                call.rfind("brush", 0) != 0 && call.rfind("bk", 0) != 0 &&
                call.rfind("scale", 0) != 0)
                out.push_back(call);
        return out;
    }

    void SetFont(const report::ReportFont& f) override {
        font = f;
        calls.push_back("font " + f.name + " " + Num(f.size) + (f.bold ? " bold" : ""));
    }
    void SetPen(const report::ReportPen& p) override {
        pen = p;
        calls.push_back("pen " + Hex(p.color) + " style" +
                        std::to_string(static_cast<int>(p.style)) + " " + Num(p.width));
    }
    void SetBrush(const report::ReportBrush& b) override {
        brush = b;
        calls.push_back("brush " + Hex(b.color) + " style" +
                        std::to_string(static_cast<int>(b.style)));
    }
    void SetBackground(report::BackgroundMode mode, report::Color color) override {
        calls.push_back("bk " + std::to_string(static_cast<int>(mode)) + " " + Hex(color));
    }
    void SetScale(double x, double y) override {
        calls.push_back("scale " + Num(x) + " " + Num(y));
    }

    report::LineMetrics FontMetrics() override { return {font.size / 100, font.size / 200}; }
    double TextWidth(std::string_view text) override {
        return 0.1 * static_cast<double>(text.size());
    }

    void PrintLeft(double x, double y, std::string_view t) override { Text("left", x, y, t); }
    void PrintRight(double x, double y, std::string_view t) override { Text("right", x, y, t); }
    void PrintCentred(double x, double y, std::string_view t) override { Text("centre", x, y, t); }
    void PrintBlock(double x, double y, double width, std::string_view t) override {
        Text("block", x, y, t);
        calls.back() += " w" + Num(width);
    }
    void ClipText(const report::Rect& r, report::Point at, std::string_view t) override {
        calls.push_back("clip " + P(r.topLeft) + " " + P(r.bottomRight) + " " + P(at) + " " +
                        std::string(t));
    }
    void MoveTo(report::Point p) override { calls.push_back("move " + P(p)); }
    void LineTo(report::Point p) override { calls.push_back("line " + P(p)); }
    void Rectangle(report::Point a, report::Point b) override {
        calls.push_back("rect " + P(a) + " " + P(b));
    }
    void ShadeBox(report::Point a, report::Point b) override {
        calls.push_back("shade " + P(a) + " " + P(b) + " " + Hex(brush.color) +
                        (pen.style == report::PenStyle::Clear ? " clearpen" : ""));
    }
    void RoundRect(report::Point, report::Point, double, double) override {
        calls.push_back("roundrect");
    }
    void Ellipse(report::Point, report::Point) override { calls.push_back("ellipse"); }
    void Arc(report::Point, report::Point, report::Point, report::Point) override {
        calls.push_back("arc");
    }
    void Chord(report::Point, report::Point, report::Point, report::Point) override {
        calls.push_back("chord");
    }
    void Pie(report::Point, report::Point, report::Point, report::Point) override {
        calls.push_back("pie");
    }
    void Polygon(std::span<const report::Point>) override { calls.push_back("polygon"); }
    void Polyline(std::span<const report::Point>) override { calls.push_back("polyline"); }
    void FillRect(const report::Rect&) override { calls.push_back("fillrect"); }
    void FrameRect(const report::Rect&) override { calls.push_back("framerect"); }
    void FocusRect(const report::Rect&) override { calls.push_back("focusrect"); }
    void FloodFill(double, double, report::Color, int) override { calls.push_back("floodfill"); }
    void DrawGraphic(double, double, const report::Graphic&) override {
        calls.push_back("graphic");
    }
    void StretchGraphic(const report::Rect&, const report::Graphic&) override {
        calls.push_back("stretch");
    }
    void RawPrinterText(std::string_view) override { calls.push_back("rawtext"); }
    void RawPrinterData(std::span<const std::uint8_t>) override { calls.push_back("rawdata"); }
    void SelectDestination(report::Destination d) override {
        calls.push_back("dest " + std::to_string(static_cast<int>(d)));
    }

    static std::string Num(double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.3f", v);
        return buf;
    }

  private:
    static std::string Hex(report::Color c) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
        return buf;
    }
    static std::string P(report::Point p) { return "(" + Num(p.x) + "," + Num(p.y) + ")"; }
    void Text(const char* kind, double x, double y, std::string_view t) {
        calls.push_back(std::string(kind) + " " + P({x, y}) + " " + std::string(t));
    }
};

}  // namespace report_test
