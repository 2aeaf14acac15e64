// Paper: the old paper codes and the print systems' page sizes, the paper a printer takes for
// given settings, and the page layout that puts it under the page.
#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include <optional>
#include <vector>

#include "platform/print/report_device.h"

namespace print {

// Records `paper` in the settings: its old code (kCustomPaperCode when it has none) and key.
void SetPaper(PrinterSettings& settings, const QPageSize& paper);

// Records the paper a page of `width` x `height` inches lies on (as a stream's header gives
// it): a standard paper of that size, turned when the page is wider than high, else a custom
// one.
void SetPaperInches(PrinterSettings& settings, double width, double height);

// The paper of `offered` the settings name: by key first, then by old code; nullopt when the
// printer takes no such paper.
std::optional<QPageSize> FindPaper(const std::vector<QPageSize>& offered,
                                   const PrinterSettings& settings);

// The paper as the settings turn it, with `margins` (points) kept clear.
QPageLayout LayoutOf(const QPageSize& paper, const PrinterSettings& settings,
                     const QMarginsF& margins = {});

// Paper, unprintable borders and resolution of a layout.
PageGeometry GeometryOf(const QPageLayout& layout, int dpiX, int dpiY);

}  // namespace print
