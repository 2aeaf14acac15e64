// The preview's zoom arithmetic and caption.
#include "report/preview_zoom.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Halves go to the even neighbour, as the program's rounding does everywhere.
long RoundEven(double value) {
    return std::lrint(value);
}

}  // namespace

int PreviewMargin(const PreviewBox& box) {
    return static_cast<int>(RoundEven(box.dpiX * box.pageWidth * box.marginPercent / 100));
}

double PageWidthZoom(const PreviewBox& box) {
    const double m = PreviewMargin(box);
    const double pageDots = box.dpiX * box.pageWidth;
    double k = (box.outerWidth - box.shadowDepth - (box.borderWidth + 2 * m)) / pageDots;
    const double roomHigh = box.outerHeight - box.shadowDepth - box.borderHeight;
    if (roomHigh < k * box.dpiY * box.pageHeight + 2 * m) {
        k = (box.outerWidth - box.shadowDepth - (box.borderWidth + 2 * m + box.scrollBarWidth)) /
            pageDots;
    }
    return 100 * k;
}

double WholePageZoom(const PreviewBox& box) {
    const double m = PreviewMargin(box);
    const double a = box.outerWidth - box.shadowDepth - 4;
    const double b = box.outerHeight - box.shadowDepth - 4;
    const double cx = (a - 2 * m) / (box.dpiX * box.pageWidth);
    const double cy = (b - 2 * m) / (box.dpiY * box.pageHeight);
    return 100 * std::min(cx, cy);
}

double SettleZoom(double z, double pageWidthZoom, double wholePageZoom) {
    if (z <= -1.9) {
        return pageWidthZoom;
    }
    if (z < 0) {
        return wholePageZoom;
    }
    return std::clamp(z, kMinZoom, kMaxZoom);
}

std::string PreviewCaption(int page, int pageCount, double zoom) {
    return "Preview Page " + std::to_string(page) + " of " + std::to_string(pageCount) + " ( " +
           std::to_string(RoundEven(zoom)) + "% )";
}

}  // namespace report
