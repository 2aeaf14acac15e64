// Paper: the old paper codes and the print systems' page sizes.
#include "platform/print/paper.h"

#include <algorithm>

namespace print {

void SetPaper(PrinterSettings& settings, const QPageSize& paper) {
    const int code = paper.windowsId();
    settings.paperSize = code > 0 ? code : kCustomPaperCode;
    settings.paperName = paper.key();
}

void SetPaperInches(PrinterSettings& settings, double width, double height) {
    const QSizeF upright(std::min(width, height), std::max(width, height));
    settings.orientation = width > height ? Orientation::Landscape : Orientation::Portrait;
    const QPageSize standard(upright, QPageSize::Inch, QString(), QPageSize::FuzzyMatch);
    if (standard.id() != QPageSize::Custom) {
        SetPaper(settings, standard);
        return;
    }
    settings.paperSize = kCustomPaperCode;
    settings.paperName.clear();
    settings.customWidth = upright.width();
    settings.customHeight = upright.height();
}

std::optional<QPageSize> FindPaper(const std::vector<QPageSize>& offered,
                                   const PrinterSettings& settings) {
    if (!settings.paperName.isEmpty()) {
        for (const QPageSize& paper : offered) {
            if (paper.key() == settings.paperName) {
                return paper;
            }
        }
    }
    // A stream or an older setting may carry the code alone.
    if (settings.paperSize != kCustomPaperCode) {
        for (const QPageSize& paper : offered) {
            if (paper.windowsId() == settings.paperSize) {
                return paper;
            }
        }
    }
    return std::nullopt;
}

QPageLayout LayoutOf(const QPageSize& paper, const PrinterSettings& settings,
                     const QMarginsF& margins) {
    const QPageLayout::Orientation orientation = settings.orientation == Orientation::Landscape
                                                     ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait;
    return QPageLayout(paper, orientation, margins, QPageLayout::Point);
}

PageGeometry GeometryOf(const QPageLayout& layout, int dpiX, int dpiY) {
    constexpr double kPointsPerInch = 72;
    const QRectF full = layout.fullRectPoints();
    const QRectF paint = layout.paintRectPoints();
    PageGeometry geometry;
    geometry.paperWidth = full.width() / kPointsPerInch;
    geometry.paperHeight = full.height() / kPointsPerInch;
    geometry.unprintableLeft = (paint.left() - full.left()) / kPointsPerInch;
    geometry.unprintableTop = (paint.top() - full.top()) / kPointsPerInch;
    geometry.unprintableRight = (full.right() - paint.right()) / kPointsPerInch;
    geometry.unprintableBottom = (full.bottom() - paint.bottom()) / kPointsPerInch;
    geometry.dpiX = dpiX;
    geometry.dpiY = dpiY;
    return geometry;
}

}  // namespace print
