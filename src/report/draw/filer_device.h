// The device a stream recording is laid out for: the printer the report will be printed on, or,
// with no printer at all, 8.5 x 11 inches measured at 96 dots per inch (where the old program
// borrowed its window's screen resolution, this one needs no window).
#pragma once

#include "report/draw/painter_surface.h"
#include "report/draw/print_target.h"
#include "report/model/report_filer.h"

namespace report {

// Gives `filer` the device's paper and resolution and points `measure` (the filer's measuring
// surface) at the same resolution. `device` may be null.
void PrepareFiler(TReportFiler& filer, PainterSurface& measure, const PrintTarget* device);

}  // namespace report
