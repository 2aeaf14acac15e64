// The preview's zoom rules and caption as plain arithmetic: the fit-to-width and whole-page
// zooms of a page in a scroll box with fixed margins, the limits a zoom is kept within, and
// "Preview Page n of m ( z% )".
#pragma once

#include <string>

namespace report {

// The page and the scroll box it is shown in. Lengths of the page in inches, of the box in
// screen pixels.
struct PreviewBox {
    double pageWidth = 8.5;
    double pageHeight = 11;
    int dpiX = 96;
    int dpiY = 96;
    double marginPercent = 2.5;
    int outerWidth = 0;  // the scroll box with its border
    int outerHeight = 0;
    int borderWidth = 0;  // outer size less client size, both sides together
    int borderHeight = 0;
    int shadowDepth = 0;
    int scrollBarWidth = 0;  // of the vertical scroll bar, should one appear
};

inline constexpr double kZoomStep = 10;
inline constexpr double kMinZoom = 10;
inline constexpr double kMaxZoom = 200;

// The gap in pixels around the page image; fixed whatever the zoom.
int PreviewMargin(const PreviewBox& box);
// The zoom, in percent, at which the page fills the box's width; narrower by a scroll bar when
// the page at that zoom is taller than the box.
double PageWidthZoom(const PreviewBox& box);
// The zoom at which the whole page fits the box.
double WholePageZoom(const PreviewBox& box);

// The zoom a request `z` settles on: -1.9 and below asks for the page width, above that but
// below 0 for the whole page; otherwise `z` kept within 10 to 200.
double SettleZoom(double z, double pageWidthZoom, double wholePageZoom);

// "Preview Page 2 of 5 ( 87% )": the zoom rounded to the nearest whole number, halves to the
// even neighbour.
std::string PreviewCaption(int page, int pageCount, double zoom);

}  // namespace report
