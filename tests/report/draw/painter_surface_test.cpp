// The report on a painter: the device mapping, the made fonts, and a page drawn where the
// report puts things, on a device that paints its pages into images.
#include "report/draw/canvas_report.h"

#include "image_target.h"
#include "report/model/report_messages.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QImage>
#include <QRect>

#include <cmath>

namespace {

using report::TBaseReport;
using report_test::ImageTarget;

// A printer whose surface tests may look at.
class TestPrinter : public report::TReportPrinter {
  public:
    using TReportPrinter::Painter;
    using TReportPrinter::TReportPrinter;
};

// The smallest rectangle around the pixels of `image` within `band` that are not white.
QRect Ink(const QImage& image, const QRect& band) {
    QRect ink;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST(DeviceDot, MapsInchesToDotsRoundingHalvesToEven) {
    struct Case {
        double inches, scale, zoom, unprintable;
        int dpi, offset, dot;
    };
    const Case cases[] = {
        {1, 100, 100, 0, 300, 0, 300},     {0.25, 100, 100, 0, 2, 0, 0},  // 0.5
        {0.75, 100, 100, 0, 2, 0, 2},                                     // 1.5
        {1.25, 100, 100, 0, 2, 0, 2},                                     // 2.5
        {-0.75, 100, 100, 0, 2, 0, -2},                                   // -1.5
        {2, 50, 100, 0, 100, 0, 100},                                     // the report's scale
        {1, 100, 200, 0, 100, 0, 200},                                    // a page image's zoom
        {1, 100, 100, 0.25, 100, 0, 75},    // the border the device cannot print
        {1, 100, 200, 0.25, 100, 10, 185},  // the border is not zoomed; the image's offset
    };
    for (const Case& c : cases)
        EXPECT_EQ(report::DeviceDot(c.inches, c.scale, c.zoom, c.unprintable, c.dpi, c.offset),
                  c.dot)
            << c.inches << " " << c.scale << " " << c.zoom << " " << c.unprintable;
}

TEST(PainterSurface, MakesEachDeviceFontOnceAtTheDevicesHeight) {
    report::PainterSurface surface;
    surface.SetMapping({.dpiX = 300, .dpiY = 300});
    report::ReportFont font;  // Arial, 10 points
    const auto use = [&](const report::ReportFont& f) {
        surface.SetFont(f);
        surface.TextWidth("x");
        return surface.DeviceFont().pixelSize();
    };
    EXPECT_EQ(use(font), 42);  // 300 x 10 / 72 = 41.67
    font.color = 0x0000FF;     // the colour is drawn, not made
    EXPECT_EQ(use(font), 42);
    EXPECT_EQ(surface.MadeFonts(), 1u);
    font.bold = true;
    EXPECT_EQ(use(font), 42);
    EXPECT_TRUE(surface.DeviceFont().bold());
    font.bold = false;
    font.superscript = true;
    EXPECT_EQ(use(font), 21);
    font.superscript = false;
    EXPECT_EQ(use(font), 42);
    EXPECT_EQ(surface.MadeFonts(), 3u);
    surface.SetMapping({.dpiX = 300, .dpiY = 300, .zoom = 200});
    EXPECT_EQ(use(font), 83);  // 83.33
    EXPECT_EQ(surface.MadeFonts(), 4u);
    surface.SetFontHeightReduction(2.2);  // a player fitting a text to its recorded width
    surface.SetFont(font);
    EXPECT_EQ(surface.DeviceFont().pixelSize(), 81);
    surface.SetFontHeightReduction(0);
    font.size = 0.001;  // still a font, one dot high
    EXPECT_EQ(use(font), 1);

    // Measures follow the zoom in dots but not in inches.
    surface.SetMapping({.dpiX = 300, .dpiY = 300});
    font.size = 10;
    surface.SetFont(font);
    const double width = surface.TextWidth("Measure me");
    surface.SetMapping({.dpiX = 300, .dpiY = 300, .zoom = 200});
    EXPECT_NEAR(surface.TextWidth("Measure me"), width, width * 0.03);
    surface.ClearFonts();
    EXPECT_EQ(surface.MadeFonts(), 0u);
}

TEST(PainterSurface, ClippedTextStaysInItsRectangleOnItsBackground) {
    for (const report::BrushStyle style : {report::BrushStyle::Solid, report::BrushStyle::Clear}) {
        SCOPED_TRACE(static_cast<int>(style));
        QImage page(300, 100, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        report::PainterSurface surface;  // 96 dots per inch
        surface.SetPainter(&painter);
        surface.SetBackground(report::BackgroundMode::Transparent, 0x00FFFF);  // yellow
        surface.SetBrush({report::kBlack, style});
        report::ReportFont font;
        font.size = 20;
        surface.SetFont(font);
        // 0.5 to 1.5 inches across, 0.25 to 0.75 down: dots 48..143 and 24..71.
        surface.ClipText({{0.5, 0.25}, {1.5, 0.75}}, {0.5, 0.25}, "WWWWWWWWWWWW");
        painter.end();
        const QRect clip(48, 24, 96, 48);
        EXPECT_EQ(Ink(page, page.rect()), clip.intersected(Ink(page, page.rect())));
        EXPECT_EQ(Ink(page, page.rect()).right(), clip.right());  // cut, not wrapped
        const QRgb corner = page.pixel(clip.bottomRight());       // below the text's last row
        EXPECT_EQ(corner,
                  style == report::BrushStyle::Solid ? qRgb(255, 255, 0) : qRgb(255, 255, 255));
    }
}

TEST(PrinterReport, DrawsABoxAShadedCellAndTextsWhereTheyBelong) {
    ImageTarget device;  // 100 dots per inch; a quarter inch lost left, half an inch at the top
    TestPrinter printer(device);
    printer.SetMarginLeft(1);
    printer.SetMarginTop(3);
    printer.SetLinesPerInch(3);  // a line clear of the next
    double baselines[3] = {};
    printer.OnPrint = [&](TBaseReport& r) {
        r.SelectFont("Arial", 14);
        EXPECT_TRUE(r.DrawBox(1, 1.5, 3, 2.5));
        for (int line = 0; line < 3; ++line) {
            baselines[line] = r.CursorY();
            const char* text = "HHHH";
            const auto status = line == 0   ? r.PrintAt(text, 1)
                                : line == 1 ? r.PrintRightAt(text, 7)
                                            : r.PrintCentredAt(text, 4);
            EXPECT_TRUE(status);
            r.AdvanceLine();
        }
        r.AdvanceLine();
        r.AddTabStop(4, report::TPrintJustify::pjLeft, 2, 0, 0, 50);
        EXPECT_TRUE(r.NextTabStop());
    };
    ASSERT_TRUE(printer.RunReport());
    ASSERT_EQ(device.printed.size(), 1u);
    const QImage& page = device.printed[0];
    const auto x = [](double inches) {
        return static_cast<int>(std::lround((inches - 0.25) * 100));
    };
    const auto y = [](double inches) {
        return static_cast<int>(std::lround((inches - 0.5) * 100));
    };

    // The box: an outline of one dot from (1, 1.5) to (3, 2.5) inches, nothing inside.
    EXPECT_EQ(Ink(page, QRect(0, y(1.2), page.width(), 140)), QRect(x(1), y(1.5), 200, 100));
    EXPECT_EQ(Ink(page, QRect(x(1) + 1, y(1.5) + 1, 198, 98)), QRect());

    // Each text on its baseline: starting at 1 inch, ending at 7, centred on 4.
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        const int base = y(baselines[line]);
        const QRect ink = Ink(page, QRect(0, base - 30, page.width(), 31));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.bottom(), base, 1);
        const int at = line == 0 ? ink.left() : line == 1 ? ink.right() : ink.center().x();
        EXPECT_NEAR(at, x(line == 0 ? 1 : line == 1 ? 7 : 4), 3);
    }

    // The cell on line 5: from 4 to 6 inches across, one line spacing up from the line's
    // bottom, in half of black.
    const double bottom = baselines[2] + 2.0 / 3 + printer.FontDescent();
    const QRect cell = Ink(page, QRect(x(3.5), y(bottom) - 40, 300, 50));
    // Filling edge to edge: one dot past the right and bottom of the cell's own dots.
    const auto dotY = [](double inches) {
        return report::DeviceDot(inches, 100, 100, 0.5, 100, 0);
    };
    // (The top lies within a rounding of a half dot here.)
    EXPECT_EQ(cell.left(), x(4));
    EXPECT_EQ(cell.right(), x(6));
    EXPECT_EQ(cell.bottom(), dotY(bottom));
    EXPECT_NEAR(cell.top(), dotY(bottom - 1.0 / 3), 1);
    EXPECT_EQ(page.pixel(cell.center()), qRgb(0x7F, 0x7F, 0x7F));
}

TEST(PrinterReport, RunsADocumentOnTheDeviceAPageAtATime) {
    ImageTarget device;
    TestPrinter printer(device);
    printer.SetTitle("A title longer than thirty-one characters");
    printer.SetMarginTop(1);
    printer.SetPageSelection("2");
    printer.SetOrientation(report::TOrientation::poLandScape);
    ASSERT_TRUE(printer.SetCopies(3));
    EXPECT_EQ(printer.WithCanvas([](QPainter&) {}).message(), report::kCanvasNotActive);
    std::string status;
    printer.OnStatus = [&](const std::string& text) { status = text; };
    printer.SetStatusFormat("%p on %d, %r, %t");
    printer.OnPrintPage = [&](TBaseReport& r, int page) {
        EXPECT_TRUE(r.PrintAt("page", 1));
        bool drawn = false;
        EXPECT_TRUE(printer.WithCanvas([&](QPainter&) { drawn = true; }));
        EXPECT_TRUE(drawn);
        return page < 3;
    };
    ASSERT_TRUE(printer.RunReport());
    EXPECT_EQ(device.log, (std::vector<std::string>{
                              "orientation 1", "begin A title longer than thirty-one ", "end"}));
    EXPECT_EQ(device.copies, 3);
    EXPECT_EQ(device.printed.size(), 1u);  // pages 1 and 3 were laid out, not printed
    EXPECT_FALSE(Ink(device.printed[0], device.printed[0].rect()).isEmpty());
    EXPECT_EQ(status, "3 on Laser, PCL, LPT1:");
    EXPECT_EQ(printer.Painter().MadeFonts(), 0u);  // dropped at the run's end
    EXPECT_EQ(printer.WithCanvas([](QPainter&) {}).message(), report::kCanvasNotActive);

    // An abort abandons the document.
    ImageTarget second;
    TestPrinter aborted(second);
    aborted.OnPrint = [](TBaseReport& r) { r.AbortReport(); };
    ASSERT_TRUE(aborted.RunReport());
    EXPECT_EQ(second.log.back(), "abort");
    EXPECT_TRUE(second.printed.empty());

    // Without a printer nothing happens at all.
    ImageTarget none;
    none.printers = false;
    TestPrinter refused(none);
    bool fired = false;
    refused.OnBeforePrint = [&](TBaseReport&) { fired = true; };
    EXPECT_EQ(refused.RunReport().message(), report::kNoPrinters);
    EXPECT_FALSE(fired);
    EXPECT_TRUE(none.log.empty());
}

}  // namespace

// Fonts need a GUI application; the offscreen one needs no display, listing the tests included.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
